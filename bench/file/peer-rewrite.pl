#!/usr/bin/perl
# The file-mode benchmark's peer: the same link change with MARC::Record, as a cataloguer would
# script it. Every record of IN goes to OUT; in each 856 whose first $u begins with OLD, that stem
# becomes NEW.   peer-rewrite.pl IN OUT OLD NEW
use strict;
use warnings;
use MARC::File::USMARC;

my ($in, $out, $old, $new) = @ARGV;
my $file = MARC::File::USMARC->in($in) or die "cannot read $in\n";
open(my $o, '>:raw', $out) or die "cannot write $out\n";
my ($read, $changed) = (0, 0);
while (my $record = $file->next) {
    $read++;
    my $hit = 0;
    for my $f ($record->field('856')) {
        my $u = $f->subfield('u');
        next unless defined $u && index($u, $old) == 0;
        $f->update(u => $new . substr($u, length $old));
        $hit = 1;
    }
    $changed += $hit;
    my $octets = $record->as_usmarc;
    utf8::encode($octets) if utf8::is_utf8($octets);  # UTF-8 records come back decoded
    print $o $octets;
}
close($o) or die "cannot write $out\n";
print STDERR "$read records read, $changed changed\n";

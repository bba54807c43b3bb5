#!/usr/bin/perl
# Prints every field of every record of a MARC file, decoded by MARC::Record (an implementation
# independent of ours), one line each, texts in hexadecimal:
#   R <TAB> record number <TAB> leader
#   C <TAB> tag <TAB> control field data
#   D <TAB> tag <TAB> indicators <TAB> code=text <TAB> code=text ...
#   U <TAB> tag <TAB> the field's subfield texts joined by blanks, MARC-8 converted to UTF-8
#                     (records whose leader/09 is blank only)
#   W <TAB> what MARC::Record or MARC::Charset found wrong with the record
use strict;
use warnings;
use MARC::File::USMARC;
use MARC::Charset qw(marc8_to_utf8);

binmode STDOUT;

# The octets of a text (MARC::Record hands UTF-8 records' texts over as characters).
sub hex_of {
    my $text = shift;
    utf8::encode($text) if utf8::is_utf8($text);
    return unpack('H*', $text);
}

my $file = shift or die "usage: marc_fields.pl FILE\n";
open my $in, '<:raw', $file or die "cannot read $file: $!\n";
local $/ = "\x1d";
my $n = 0;
while (my $raw = <$in>) {
    $n++;
    my @problems;
    local $SIG{__WARN__} = sub { my $w = shift; chomp $w; push @problems, $w };
    my $record = MARC::File::USMARC->decode($raw);
    unless ($record) {
        print "R\t$n\t\nW\tnot decoded: $MARC::File::ERROR\n";
        next;
    }
    push @problems, $record->warnings();
    my $leader = $record->leader();
    print "R\t$n\t$leader\n";
    my $marc8 = substr($leader, 9, 1) eq ' ';
    for my $field ($record->fields()) {
        if ($field->is_control_field()) {
            print "C\t", $field->tag(), "\t", hex_of($field->data()), "\n";
            next;
        }
        my @subfields = $field->subfields();
        print "D\t", $field->tag(), "\t", $field->indicator(1), $field->indicator(2);
        print "\t", $_->[0], "=", hex_of($_->[1]) for @subfields;
        print "\n";
        if ($marc8) {
            my $utf8 = marc8_to_utf8(join(' ', map { $_->[1] } @subfields));
            if (defined $utf8) {
                print "U\t", $field->tag(), "\t", hex_of($utf8), "\n";
            } else {
                push @problems, "field " . $field->tag() . " is not MARC-8";
            }
        }
    }
    print "W\t$_\n" for @problems;
}

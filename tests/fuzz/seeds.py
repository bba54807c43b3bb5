#!/usr/bin/env python3
"""Seed inputs of the fuzz targets.

  seeds.py make FOLDER                 writes the hand-made broken inputs (committed under seeds/)
  seeds.py real TARGET REAL-MARC OUT   adds inputs cut from the real MARC files to a scratch corpus
                                       (never committed: the data may not be copied)

Each target's input layout is the one its .cpp describes: the file target's first octet chooses the
form, the translation targets' first octet the character set and member, the INI target's input is
a section, key and value line followed by the file's content.
"""
import hashlib
import os
import sys

FT, RT, SF, ESC = b"\x1e", b"\x1d", b"\x1f", b"\x1b"


def record(fields, leader=b"00000nam a2200000   4500", coding=None):
    """An ISO 2709 record of (tag, octets) fields, lengths and addresses computed."""
    directory, data = b"", b""
    for tag, text in fields:
        field = text + FT
        directory += tag + b"%04d%05d" % (len(field), len(data))
        data += field
    base = 24 + len(directory) + 1
    leader = bytearray(leader)
    leader[0:5] = b"%05d" % (base + len(data) + 1)
    leader[12:17] = b"%05d" % base
    if coding is not None:
        leader[9:10] = coding
    return bytes(leader) + directory + FT + data + RT


def sub(code, text):
    return SF + code + text


BOOK = [
    (b"001", b"ocm00012345"),
    (b"008", b"960221s1955    dcu           000 0 eng d"),
    (b"245", b"10" + sub(b"a", b"The title :") + sub(b"b", b"a subtitle.")),
    (b"856", b"40" + sub(b"3", b"Table of contents") + sub(b"u", b"http://old.example.edu/toc/1")
     + sub(b"x", b"note") + sub(b"z", b"Public note") + sub(b"x", b"second")),
]


def record_seeds():
    good = record(BOOK)
    yield "valid_book", good
    yield "truncated_in_data", good[:-40]
    yield "truncated_in_directory", good[:40]
    yield "too_short_49", good[:24] + b"0" * 24 + RT
    yield "letter_in_length_digits", b"00a" + good[3:]
    bad_len = bytearray(good)
    bad_len[24 + 3:24 + 7] = b"00a2"  # 001 entry with a letter in its length
    yield "directory_length_with_letter", bytes(bad_len)
    minus = bytearray(good)
    minus[24 + 12 + 3:24 + 12 + 7] = b"0-40"  # 008 entry with a minus sign
    yield "directory_length_with_minus", bytes(minus)
    start = bytearray(good)
    start[24 + 24 + 7:24 + 24 + 12] = b"99999"  # 245 starts past the data
    yield "directory_start_past_end", bytes(start)
    past = bytearray(good)
    past[12:17] = b"99999"
    yield "base_address_past_end", bytes(past)
    zero = bytearray(good)
    zero[12:17] = b"00000"
    yield "base_address_zero", bytes(zero)
    blank = bytearray(good)
    blank[12:17] = b"  1 2"
    yield "base_address_blanks", bytes(blank)
    base = int(good[12:17])
    yield "directory_without_terminator", good[:base - 1] + b"0" + good[base:]
    yield "no_record_terminator", good[:-1] + b"#"
    yield "last_field_without_terminator", good[:-2] + b"x" + RT
    yield "leader_lost_two_octets", good[:8] + good[10:]
    yield "leader_45_at_end", good[:20] + b"0045" + good[24:]
    yield "directory_not_multiple_of_12", record(BOOK)[:24] + b"24500" + record(BOOK)[24:]
    yield "field_lengths_zero_and_one", record([(b"001", b""), (b"500", b"")] + BOOK)
    yield "length_understated", b"00050" + good[5:]
    yield "trailing_junk", good + b"junk" + RT
    yield "nul_octets", record(BOOK + [(b"500", b"  " + sub(b"a", b"a\x00b\x00"))])
    yield "tag_with_letters_and_controls", record([(b"a\x1e5", b"  " + sub(b"a", b"x")), (b"85", b"")] + BOOK)
    yield "control_field_with_delimiters", record([(b"001", SF + b"a" + SF + b"b123")] + BOOK[1:])
    yield "dup_035_of_001", record(BOOK + [(b"035", b"  " + sub(b"a", b"ocm00012345"))])
    yield "856_first_entry", record([BOOK[3]] + BOOK[:3])
    yield "856_blanks_and_no_u", record(BOOK + [
        (b"856", b"4 " + sub(b"u", b"  http://old.example.edu/a   ") + sub(b"x", b"") + sub(b"x", b"y")),
        (b"856", b"42" + sub(b"z", b"no link")), (b"856", b"  "), (b"856", b"40" + SF)])
    yield "text_before_first_delimiter", record(BOOK + [(b"856", b"40http://x" + sub(b"u", b"y"))])
    yield "indicators_invalid", record(BOOK + [(b"500", b"\xff\x1f" + b"a" + sub(b"a", b"b"))])
    yield "marc8_diacritics", record(BOOK + [(b"500", b"  " + sub(b"a", b"Caf\xe2e \xe1a\xe3\xf2o \xacn \xb9"))], coding=b" ")
    yield "marc8_escape_cut_short", record(BOOK + [(b"500", b"  " + sub(b"a", b"abc" + ESC + b"("))], coding=b" ")
    yield "marc8_east_asian_tail", record(BOOK + [(b"880", b"  " + sub(b"6", b"245-01/$1") +
                                                   sub(b"a", ESC + b"$1" + b"\x21\x30\x21\x21\x30"))], coding=b" ")
    yield "marc8_mark_at_end", record(BOOK + [(b"500", b"  " + sub(b"a", b"x\xe1") + sub(b"b", b"\xe2"))], coding=b" ")
    yield "marc8_cyrillic_880", record(BOOK + [(b"880", b"10" + sub(b"6", b"245-01/(N") +
                                                sub(b"a", ESC + b"(N" + b"Kniga" + ESC + b"(B"))], coding=b" ")
    yield "utf8_invalid", record(BOOK + [(b"500", b"  " + sub(b"a", b"\xc3\x28 \xed\xa0\x80 \xf4\x90\x80\x80 \xe2\x82"))],
                                 coding=b"a")
    yield "utf8_precomposed_and_alif", record(BOOK + [(b"500", b"  " + sub(b"a", "Café ʾAlī Ṩ ǖ".encode()))],
                                              coding=b"a")
    yield "utf8_undeclared", record(BOOK + [(b"500", b"  " + sub(b"a", "Müller".encode()))], coding=b" ")
    yield "holdings_short_008", record([(b"001", b"1"), (b"008", b"9602210u"), BOOK[3]],
                                       leader=b"00000nx  a2200000   4500")
    yield "authority_010", record([(b"001", b"1"), (b"010", b"  " + sub(b"a", b" n  79021164 ")), BOOK[3]],
                                  leader=b"00000nz  a2200000n  4500")


def file_seeds():
    a = record(BOOK)
    b = record(BOOK[:2] + [(b"500", b"  " + sub(b"a", "é".encode()))], coding=b"a")
    yield "raw_two_records_crlf", b"\x00" + a + b"\r\n" + b
    yield "raw_bom_record", b"\x00\xef\xbb\xbf" + a + b"\n\xc2\xa0" + b
    yield "raw_length_overstated", b"\x00" + b"09999" + a[5:] + b
    yield "raw_length_understated", b"\x00" + b"00030" + a[5:] + b
    yield "raw_digits_only", b"\x00" + b"12345"
    yield "raw_junk_between", b"\x00" + b"junk 12a45 " + a + b"\x00\x00" + b
    seg = b"1%04d" % (105) + a[:100] + b"2%04d" % 55 + a[100:150] + b" 3%04d" % (len(a) - 150 + 5) + a[150:]
    yield "raw_segmented", b"\x00" + seg
    yield "raw_segmented_broken_header", b"\x00" + seg[:60] + b"\r\n9x" + seg[60:]
    yield "raw_segmented_no_last", b"\x00" + b"1%04d" % 105 + a[:100]
    xml = (b'<?xml version="1.0"?>\n<collection xmlns="http://www.loc.gov/MARC21/slim">'
           b'<record><leader>00000nam a2200000 a 4500</leader>'
           b'<datafield tag="856" ind1="4" ind2="0"><subfield code="u">http://x</subfield></datafield>'
           b'</record><marc:record>two</marc:record><record/></collection>')
    yield "raw_xml_records", b"\x00" + xml
    yield "raw_xml_nested_unterminated", b"\x00  \n<record><record>inner</record> <record>open"
    yield "raw_xml_bom_prefixed_names", b"\x00\xef\xbb\xbf<x:collection><x:record a='1'>one</x:record><re" \
                                        b"cord></recordx></record></x:collection>"
    yield "plain_body", b"\x01" + a[5:]
    yield "plain_body_early_terminator", b"\x01" + a[5:50] + RT + a[50:]
    yield "segmented_body", b"\x02\x20" + a[5:]
    yield "segmented_tiny_segments", b"\x02\x00" + a[5:80]
    yield "xml_content", b"\x03" + b'<leader>x</leader><controlfield tag="001">1</controlfield>'
    yield "xml_content_plain_text", b"\x03" + b"no markup & > at all"


def marc8_seeds():
    # member 0: format, tag, two indicators, then the field's text
    def field(fmt, tag, ind, text, charset=0):
        return bytes([charset, fmt, tag]) + ind + text

    def text(start, body, charset=0):
        return bytes([charset | 4, start]) + body

    yield "field_245_article_diacritic", field(0, 0, b"14", sub(b"a", b"L\xe1e livre") + sub(b"c", b"\xe2ecrit"))
    yield "field_245_article_mark_run", field(0, 0, b"02", sub(b"a", b"\xe1\xe2") + b"x")
    yield "field_130_auth_530", field(7, 5, b"39", sub(b"a", b"Der \xe8uber"))
    yield "field_880_arabic", field(0, 6, b"10", sub(b"6", b"245-01/(3/r") + sub(b"a", ESC + b"(3" + b"ABC" + ESC + b"(B"))
    yield "field_holdings", field(8, 8, b"  ", sub(b"a", b"\xff\xa0\xfe"))
    yield "text_escape_cut_short", text(0, b"abc" + ESC)
    yield "text_escape_dollar_cut", text(0, b"abc" + ESC + b"$")
    yield "text_escape_unknown_final", text(0, ESC + b"(Z" + b"abc" + ESC + b"-")
    yield "text_east_asian_tail", text(0, ESC + b"$1" + b"\x21\x30\x21\x21\x30" + ESC + b"(B" + b"x")
    yield "text_start_east_asian", text(7, b"\x21\x30\x21\x69\x2f\x21\xff")
    yield "text_subscripts", text(0, ESC + b"b2" + ESC + b"s" + ESC + b"p3" + ESC + b"g" + b"abc")
    yield "text_references", text(0, b"&#x2113; &#x; &#xD800; &#x110000; &#x1F; &#X41; &#x4E00;&#x1;")
    yield "text_greek_cyrillic", text(0, ESC + b"(S" + b"abc" + ESC + b"(N" + b"abc" + ESC + b")Q" + b"\xc0")
    yield "text_hebrew_g1", text(9, b"\xa0\xe1\xfe" + ESC + b")E" + b"\xe1a")
    yield "text_marks_then_delimiter", text(0, b"\xe1" + SF + b"a\xe2\xe3")
    yield "text_ligature_halves", text(0, b"\xebt\xecs \xfan\xfbg")
    yield "text_controls_and_high", text(0, bytes(range(0, 256)))
    yield "short_form", bytes([8]) + b"\xe1e \xb9 " + ESC + b"g" + b"abc"
    yield "short_form_variant_v", bytes([9]) + b"\xc0\xd0\x93\xaf"
    yield "latin1", bytes([3]) + b"caf\xe9 \xff"


def utf8_seeds():
    # choice octet: set (0 M, 1 V, 2 O, 3 L) | tag << 2 (0 500, 1 245, 2 856, 3 880) | start << 4
    def u(choice, text):
        return bytes([choice]) + (text.encode() if isinstance(text, str) else text)

    yield "latin_precomposed", u(0, "Café Ơ ǖ Ṩ ² ₂ ℓ ℗ © ♯ ¿ ¡ °")
    yield "combining_marks", u(0, "e\u0301\u0323 a\u0361b \u0360x \ufe20t\ufe21")
    yield "greek_cyrillic_hebrew", u(0, "αβγ ΑΩ Книга Ёё שלום")
    yield "arabic_880", u(3 << 2, "\x1f6245-01/(3\x1fa" + "كتاب")
    yield "hebrew_880_marked", u(3 << 2, "\x1f6245-01/(2/r\x1fa" + "ספר")
    yield "east_asian", u(0, "一二 日本語 한국어 \u3000\ue8a0")
    yield "no_marc8_form", u(1, "😀 \u2603 \u0085 \ufffd")
    yield "invalid_utf8", u(0, b"\xc0\x80 \xed\xa0\x80 \xf4\x90\x80\x80 \x80 \xe2\x82 \xff")
    yield "ascii_escape_reference", u(0, "abc \x1b(B &#x41; \x1d\x1e")
    yield "start_in_superscripts", u(3 << 4, "x² y")
    yield "start_east_asian", u(7 << 4, "a一b")
    yield "variant_v_o", u(1, "⁰₀©♯¿¡℗ℓ°αβγ")
    yield "variant_o", u(2, "ℓ é")
    yield "latin1", u(3, "café ÿ € ā")
    yield "alif_ayn", u(0, "ʾ ʿ ʼ")


def ini_seeds():
    def i(size, section, key, value, content):
        return bytes([size]) + section + b"\n" + key + b"\n" + value + b"\n" + content

    yield "new_key_existing_section", i(0, b"General", b"Debug", b"True", b"[General]\nA=1\n\n[Other]\nB=2\n")
    yield "replace_key_crlf", i(1, b"general", b"a", b"new", b"; comment\r\n[General]\r\nA = old\r\nB=2\r\n")
    yield "new_section_no_final_newline", i(2, b"UrlStem", b"Old", b"http://x/", b"[General]\nA=1")
    yield "duplicate_sections_and_keys", i(3, b"S", b"K", b"v", b"[S]\nK=1\nK=2\n[T]\n[S]\nK=3\n")
    yield "quoted_and_sentinel", i(0, b"S", b"K", b'"q"', b"[S]\nQ=\"quoted\"\nN=NO9999NE\nE=\n")
    yield "odd_lines", i(4, b" Sp ace ", b"  key  ", b"  value  ",
                         b"no equals\n[Unclosed\n  ;indented comment\n=novalue\n[ Sp ace ]\r\r\n\tkey\t=\tx\n\x00nul=1\n")
    yield "empty_file", i(5, b"S", b"K", b"", b"")
    yield "cr_only_lines", i(6, b"S", b"K", b"v", b"[S]\rK=1\r[T]\rX=2\r")
    yield "value_with_equals", i(7, b"S", b"K", b"a=b=c", b"[s]\nk=1=2\n")
    yield "long_value", i(200, b"S", b"K", b"x" * 300, b"[S]\nK=" + b"y" * 50 + b"\n")


GENERATORS = {"record": record_seeds, "file": file_seeds, "marc8_to_utf8": marc8_seeds,
              "utf8_to_marc8": utf8_seeds, "ini": ini_seeds}


def make(folder):
    for target, generate in GENERATORS.items():
        out = os.path.join(folder, target)
        os.makedirs(out, exist_ok=True)
        for name, data in generate():
            with open(os.path.join(out, name), "wb") as f:
                f.write(data)


def records_of(data):
    return [r + RT for r in data.split(RT) if len(r) >= 24]


def fields_of(rec):
    try:
        base = int(rec[12:17])
    except ValueError:
        return []
    fields, directory = [], rec[24:base - 1]
    for e in range(0, len(directory) - 11, 12):
        tag, length, start = directory[e:e + 3], directory[e + 3:e + 7], directory[e + 7:e + 12]
        if length.isdigit() and start.isdigit() and not tag.startswith(b"00"):
            fields.append((tag, rec[base + int(start):base + int(start) + int(length) - 1]))
    return fields


def real(target, source, out):
    """Inputs for one target cut from the real files: records, whole files, or field texts."""
    os.makedirs(out, exist_ok=True)
    inputs = []
    for name in sorted(os.listdir(source)):
        with open(os.path.join(source, name), "rb") as f:
            data = f.read()
        if target == "file":
            inputs.append(b"\x00" + data)
        elif name.endswith(".mrc"):
            for rec in records_of(data):
                if target == "record":
                    inputs.append(rec)
                    continue
                utf8 = rec[9:10] == b"a"
                for tag, text in fields_of(rec)[:40]:
                    if target == "marc8_to_utf8" and not utf8:
                        inputs.append(bytes([0, 0, 0 if tag == b"245" else 8]) + text)
                    elif target == "utf8_to_marc8" and utf8:
                        inputs.append(bytes([0 if tag != b"880" else 3 << 2]) + text[2:])
    for data in inputs:
        with open(os.path.join(out, "real-" + hashlib.sha1(data).hexdigest()), "wb") as f:
            f.write(data)
    return len(inputs)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "make":
        make(sys.argv[2])
    elif len(sys.argv) == 5 and sys.argv[1] == "real":
        print(real(sys.argv[2], sys.argv[3], sys.argv[4]))
    else:
        sys.exit(__doc__)

"""MARC 21 exchange records (ISO 2709) from fields, in UTF-8 or MARC-8.

A field is (tag, data): a control field's data is its text; a data field's data is its two
indicators followed by its subfields, each the delimiter 0x1F, a code and the text. Text is held
decomposed (combining marks after their base letter); MARC-8 puts the mark before the letter.
"""
import re
from itertools import accumulate

SF = "\x1f"
FT = b"\x1e"
RT = b"\x1d"

# MARC-8 (ANSEL) octets of the combining marks and of the spacing letters the demo uses.
_MARC8_COMBINING = {
    "\u0300": "\xe1", "\u0301": "\xe2", "\u0302": "\xe3", "\u0303": "\xe4", "\u0304": "\xe5",
    "\u0306": "\xe6", "\u0307": "\xe7", "\u0308": "\xe8", "\u030c": "\xe9", "\u030a": "\xea",
    "\u0327": "\xf0", "\u0328": "\xf1",
}
_MARC8_SPACING = str.maketrans({"\u0141": "\xa1", "\u00d8": "\xa2", "\u00c6": "\xa5", "\u0152": "\xa6",
                                "\u0142": "\xb1", "\u00f8": "\xb2", "\u00e6": "\xb5", "\u0153": "\xb6",
                                "\u00df": "\xc7"})
_BASE_WITH_MARKS = re.compile("(.)([\u0300-\u036f]+)", re.S)


def _marks_first(match):
    return "".join(_MARC8_COMBINING[m] for m in match.group(2)) + match.group(1)


def to_marc8(text):
    """The MARC-8 octets of decomposed text; raises KeyError for a character MARC-8 lacks here."""
    if text.isascii():
        return text.encode("ascii")
    moved = _BASE_WITH_MARKS.sub(_marks_first, text).translate(_MARC8_SPACING)
    return moved.encode("latin-1")


# UTF-8 octets of a text (str.encode's default), without a call of our own in the hot path.
to_utf8 = str.encode


def subfields(*pairs):
    return "".join([SF + code + value for code, value in pairs])


def assemble(leader, fields, encode):
    """The record's octets. leader is 24 characters; its record length (0-4) and base address
    (12-16) are filled in here."""
    data = [encode(d) for _, d in fields]
    lengths = [len(d) + 1 for d in data]
    directory = "".join(map("%s%04d%05d".__mod__,
                            zip([t for t, _ in fields], lengths, accumulate(lengths, initial=0))))
    base = 24 + len(directory) + 1
    length = base + sum(lengths) + 1
    if length > 99999:
        raise ValueError("a record of %d octets does not fit the exchange format" % length)
    head = "%05d%s%05d%s%s" % (length, leader[5:12], base, leader[17:24], directory)
    return b"".join((head.encode("ascii"), FT, FT.join(data), FT, RT))


def segments(record, size):
    """The record cut into stored segments of size octets, the last one shorter."""
    return [record[i:i + size] for i in range(0, len(record), size)]

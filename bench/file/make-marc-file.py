#!/usr/bin/env python3
"""Writes a deterministic ISO 2709 file of N bibliographic records for the file-mode benchmark:
make-marc-file.py N OUT [--matching PERCENT]. Every record has 001, 005, 008, 020, 100, 245, 260,
300, 500, two 650 and one or two 856 fields; PERCENT of them (default 20) carry a first $u beginning
with the old stem "http://old.example.org/", the others other links. One record in four is MARC-8
(leader/09 blank) with combining diacritics, the rest UTF-8 with precomposed letters."""
import random
import sys

OLD_STEM = "http://old.example.org/"
WORDS = ("river library harbour winter atlas garden letters northern history songs coast field "
         "railway island engines village market voyage").split()
UTF8_NAMES = ["Dvo\u0159\u00e1k", "Bront\u00eb", "Garc\u00eda M\u00e1rquez", "\u00c5sa M\u00fcller"]
MARC8_NAMES = [b"Dvor\xe9ak", b"Bront\xe8e", b"Garc\xe2ia M\xe2arquez", b"Asa M\xe8uller"]


def field(data):
    return data + b"\x1e"


def sub(code, text):
    return b"\x1f" + code + text


def record(n, rng, matching):
    marc8 = n % 4 == 3
    title = " ".join(rng.choice(WORDS) for _ in range(rng.randint(2, 6))).capitalize()
    name = MARC8_NAMES[n % 4] if marc8 else UTF8_NAMES[n % 4].encode()
    year = 1950 + n % 70
    links = []
    if matching:
        links.append(OLD_STEM + "item/%d" % n)
    if not matching or n % 3 == 0:
        links.append("https://other.example.net/%d/%s" % (n, rng.choice(WORDS)))
    fields = [
        (b"001", field(b"%09d" % n)),
        (b"005", field(b"20240102%06d.0" % (n % 240000))),
        (b"008", field(b"240102s%d    xx            000 0 eng d" % year)),
        (b"020", field(b"  " + sub(b"a", b"978%010d" % (n * 7919 % 10**10)))),
        (b"100", field(b"1 " + sub(b"a", name + b",") + sub(b"d", b"%d-" % (year - 40)))),
        (b"245", field(b"10" + sub(b"a", title.encode() + b" /") + sub(b"c", name + b"."))),
        (b"260", field(b"  " + sub(b"a", b"London :") + sub(b"b", b"Example Press,") + sub(b"c", b"%d." % year))),
        (b"300", field(b"  " + sub(b"a", b"%d p. ;" % (80 + n % 400)) + sub(b"c", b"24 cm."))),
        (b"500", field(b"  " + sub(b"a", ("Notes on %s." % " ".join(rng.choice(WORDS) for _ in range(8))).encode()))),
        (b"650", field(b" 0" + sub(b"a", rng.choice(WORDS).capitalize().encode()) + sub(b"x", b"History."))),
        (b"650", field(b" 0" + sub(b"a", rng.choice(WORDS).capitalize().encode()) + sub(b"v", b"Maps."))),
    ]
    for link in links:
        fields.append((b"856", field(b"40" + sub(b"u", link.encode()) + sub(b"z", b"Online version"))))
    directory, data = b"", b""
    for tag, text in fields:
        directory += tag + b"%04d%05d" % (len(text), len(data))
        data += text
    base = 24 + len(directory) + 1
    leader = b"%05dnam %s22%05d   4500" % (base + len(data) + 1, b" " if marc8 else b"a", base)
    return leader + directory + b"\x1e" + data + b"\x1d"


def main():
    args = sys.argv[1:]
    percent = 20
    if "--matching" in args:
        i = args.index("--matching")
        percent = int(args[i + 1])
        del args[i:i + 2]
    count, out = int(args[0]), args[1]
    rng = random.Random(14)
    with open(out, "wb") as f:
        for n in range(1, count + 1):
            f.write(record(n, rng, n % 100 < percent))


if __name__ == "__main__":
    main()

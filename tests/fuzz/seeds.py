#!/usr/bin/env python3
"""Inputs of the fuzz targets cut from the real MARC files, for a scratch corpus (never committed: the
data may not be copied). The hand-made seeds are committed under seeds/.

  seeds.py real TARGET REAL-MARC OUT

Each target's input layout is the one its .cpp describes: the translation targets' first octet
chooses the character set and member.
"""
import hashlib
import os
import sys

RT = b"\x1d"


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
    if len(sys.argv) == 5 and sys.argv[1] == "real":
        print(real(sys.argv[2], sys.argv[3], sys.argv[4]))
    else:
        sys.exit(__doc__)

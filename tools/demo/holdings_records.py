"""Holdings records (852 $b = a location code) and the call numbers of their master rows."""
from catalog import LOCATION_BY_CODE
from marc21 import subfields


def call_number(c, location_code):
    """(852 first indicator, $h, $i, CALL_NO_TYPE, display form, normalised form)."""
    if location_code.endswith("ONLINE"):
        return "8", "Online resource", None, "8", "Online resource", "ONLINE RESOURCE"
    if location_code == "MED":
        digits = "".join(ch for ch in c.lc_class.split(".")[0] if ch.isdigit())
        h, i, kind, indicator = "WB " + digits, ".%s %d" % (c.cutter, c.year), "2", "2"
    elif location_code == "SPCOLL":
        h, i, kind, indicator = c.ddc, c.cutter, "1", "1"
    else:
        h, i, kind, indicator = c.lc_class, ".%s %d" % (c.cutter, c.year), "0", "0"
    display = h + " " + i
    letters = "".join(ch for ch in h if ch.isalpha())
    number = h[len(letters):].strip()
    whole, _, fraction = number.partition(".")
    normalized = ("%s %s%s %s" % (letters, whole.rjust(4, "0") if whole.isdigit() else whole,
                                  "." + fraction if fraction else "", i.lstrip(".").upper())).strip()
    return indicator, h, i, kind, display, normalized


def holdings_leader(kind, status):
    return "00000%s%s  a22000004  4500" % (status, kind)


def holdings_fields(c, mfhd_id, bib_id, stamp, entered, location_code, copies, link):
    """Fields of a holdings record for location_code; link is its 856 or None."""
    indicator, h, i, _, _, _ = call_number(c, location_code)
    fixed = "%s0u    8   4%03duueng0%s" % (entered, copies, entered)
    if len(fixed) != 32:
        raise AssertionError("holdings 008 of %d characters" % len(fixed))
    location = [("b", location_code), ("h", h)] + ([("i", i)] if i else [])
    f = [("001", str(mfhd_id)), ("004", str(bib_id)), ("005", stamp), ("008", fixed),
         ("852", indicator + " " + subfields(*location))]
    if link:
        f.append(("856", link[0] + subfields(*link[1])))
    return f


def location_id(code):
    return LOCATION_BY_CODE[code][0]

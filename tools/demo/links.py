"""856 fields of the demo records and the link-index rows they give.

The link index holds one row per $u of every 856, as the batch-cataloguing component writes it when it
rewrites a record: LINK_SUBTYPE is the URL's scheme in upper case ("" without one), LINK the $u octets,
LINK_TEXT the field's first $y, else its first $z, else its first $3, else NULL."""
import re

from catalog import CASE_VARIANT_STEM, OLD_STEM, OTHER_PROXY_STEMS
from vocabulary import MATERIALS, PUBLIC_NOTES, STAFF_NOTES

# What a bibliographic record's own links do in a demo run.
MATCH = 1         # a 856 whose first $u starts with the old stem: the job changes it
CASE_VARIANT = 2  # the old stem in other letter case: found by the link query, left unchanged
SECOND_U = 3      # the old stem only in a second $u: found by the link query, left unchanged
VIA_HOLDINGS = 4  # no link of its own with the stem, but a holdings record has one
PLAIN = 0

_SCHEME = re.compile(r"([A-Za-z][A-Za-z0-9+.-]*):")


def scheme(url):
    m = _SCHEME.match(url)
    return m.group(1).upper() if m else ""


def index_rows(fields, encode):
    """(LINK_SUBTYPE, LINK, LINK_TEXT) for each $u of each 856 (ind, [(code, text)...]), in order."""
    rows = []
    for _, subs in fields:
        text = None
        for wanted in ("y", "z", "3"):
            text = next((t for c, t in subs if c == wanted), None)
            if text is not None:
                break
        for code, url in subs:
            if code == "u":
                rows.append((scheme(url), encode(url), None if text is None else encode(text)))
    return rows


def vendor_url(rng, vendor, isbn):
    host, pattern = vendor[0], vendor[1]
    return "https://" + host + pattern.format(n=rng.randrange(10000, 9999999), isbn=isbn)


def _layout(rng, url, vendor):
    """The subfields of a main link field around its URL, in one of the orders catalogues show."""
    shape = rng.randrange(6)
    if shape == 0:
        return [("u", url), ("z", rng.choice(PUBLIC_NOTES))]
    if shape == 1:
        return [("3", rng.choice(MATERIALS)), ("u", url), ("y", vendor[2])]
    if shape == 2:
        return [("u", url), ("x", rng.choice(STAFF_NOTES)), ("z", rng.choice(PUBLIC_NOTES))]
    if shape == 3:
        return [("z", rng.choice(PUBLIC_NOTES)), ("u", url)]
    if shape == 4:
        return [("u", url), ("y", vendor[2]), ("z", rng.choice(PUBLIC_NOTES)), ("x", rng.choice(STAFF_NOTES))]
    return [("u", url)]


def _main_indicators(rng):
    r = rng.random()
    return "40" if r < 0.8 else ("41" if r < 0.95 else "4 ")


def bib_links(rng, c, role):
    """The 856 fields of a bibliographic record: [(indicators, [(code, text)...])]."""
    fields = []
    if c.online:
        url = vendor_url(rng, c.vendor, c.isbn)
        if role == MATCH:
            stem = OLD_STEM
        elif role == CASE_VARIANT:
            stem = CASE_VARIANT_STEM
        else:
            stem = rng.choice(OTHER_PROXY_STEMS + ["", ""])
        if role == SECOND_U:
            subs = [("u", stem + url), ("u", OLD_STEM + url), ("z", rng.choice(PUBLIC_NOTES))]
        else:
            subs = _layout(rng, stem + url, c.vendor)
        fields.append((_main_indicators(rng), subs))
        if role == MATCH and rng.random() < 0.3:
            # The same title on a second platform, through the same proxy.
            other = vendor_url(rng, c.vendor, c.isbn).replace("https://", "https://backfile.", 1)
            fields.append(("41", [("3", "Backfile"), ("u", OLD_STEM + other), ("z", rng.choice(PUBLIC_NOTES))]))
    if not c.serial and c.kind != "database" and rng.random() < (0.2 if c.online else 0.35):
        what = rng.choice(["toc", "enhancements"])
        label = "Table of contents" if what == "toc" else "Publisher description"
        fields.append(("42", [("3", label), ("u", "http://catdir.loc.gov/catdir/%s/fy%02d/%s.html"
                                                   % (what, c.year % 100, c.lccn))]))
    if not c.online:
        r = rng.random()
        if r < 0.02:
            fields.append(("40", [("3", "Finding aid"), ("z", "Available in the Special Collections reading room")]))
        elif r < 0.03:
            fields.append(("4 ", [("u", "www.archivum-digital.org/stable/%d" % rng.randrange(10000, 99999)),
                                  ("z", "Author's website")]))
    return fields


def holdings_link(rng, bib_fields, role, vendor, isbn):
    """The 856 of an online holdings record, or None."""
    if role == VIA_HOLDINGS:
        return ("40", [("u", OLD_STEM + vendor_url(rng, vendor, isbn)), ("z", "Online access for current subscribers")])
    if not bib_fields or not bib_fields[0][1]:
        return None
    first_u = next((t for c, t in bib_fields[0][1] if c == "u"), None)
    if first_u is None or (role == MATCH and rng.random() >= 0.4) or (role == PLAIN and rng.random() >= 0.15):
        return None
    if role in (CASE_VARIANT, SECOND_U):
        return None
    return ("41", [("u", first_u), ("z", "Campus access")])


def item_link(rng, item_id):
    """A digitised copy of an item: (LINK_SUBTYPE, LINK, LINK_TEXT), through the old proxy for half."""
    url = ("https://www.archivum-digital.org/scan/%07d" % item_id)
    if rng.random() < 0.5:
        url = OLD_STEM + url
    return scheme(url), url.encode("ascii"), b"Digitized copy"


def authority_link(rng, auth_id):
    if auth_id % 5 == 0:
        return ("4 ", [("u", OLD_STEM + "https://www.archivum-digital.org/people/%d" % auth_id), ("z", "Biography")])
    return ("4 ", [("u", "https://id.demo-university.edu/names/%d" % auth_id), ("z", "Home page")])


def starts_with_old_stem(fields):
    """Whether some 856 has the old stem at the start of its first $u, exactly as the job tests."""
    for _, subs in fields:
        first_u = next((t for c, t in subs if c == "u"), None)
        if first_u is not None and first_u.startswith(OLD_STEM):
            return True
    return False


"""The demo library's fixed rows: libraries, locations, cataloguing profiles, operators and the code
tables, plus the URL stems the demo's links are built on."""
import ctypes
import random

# The stem the demo job changes, and the one it changes it to.
OLD_STEM = "http://ezproxy.demo-university.edu/login?url="
NEW_STEM = "https://login.proxy.demo-university.edu/login?qurl="
# Links the job must leave alone: already moved to https or to the new proxy, or through the proxy's
# port form. None of them starts with the old stem, even compared case-blind.
OTHER_PROXY_STEMS = ["https://ezproxy.demo-university.edu/login?url=", NEW_STEM,
                     "http://ezproxy.demo-university.edu:2048/login?url="]
# The old stem as sloppy cataloguing wrote it: the link query (case-blind) finds it, the job's
# exact comparison does not, so such a record is read and left unchanged.
CASE_VARIANT_STEM = "HTTP://EZPROXY.DEMO-UNIVERSITY.EDU/login?url="

VERSION = ("DATABASE", "9.2.1")
BASE_CURRENCY = ("United States", "USD", "US Dollar", 2, ".")

# LIBRARY_ID, LIBRARY_NAME, LIBRARY_DISPLAY_NAME, NUC_CODE
LIBRARIES = [
    (1, "Main Library", "Demo University Main Library", "DUM"),
    (2, "Law Library", "Demo University Law Library", "DUL"),
    (3, "Health Sciences Library", "Demo University Health Sciences Library", "DUH"),
]

# LOCATION_ID, LOCATION_CODE, LOCATION_NAME, LOCATION_DISPLAY_NAME, LOCATION_SPINE_LABEL, LIBRARY_ID,
# SUPPRESS_IN_OPAC, and whether the location is a cataloguing ("happening") location.
LOCATIONS = [
    (1, "MAIN", "Main Stacks", "Main Library, Stacks", "MAIN", 1, "N", False),
    (2, "REF", "Main Reference", "Main Library, Reference", "REF", 1, "N", False),
    (3, "SPCOLL", "Special Collections", "Main Library, Special Collections", "SP COLL", 1, "N", False),
    (4, "ONLINE", "Online Resources", "Online resource", None, 1, "N", False),
    (5, "MAINTS", "Main Technical Services", "Main Library, Technical Services", None, 1, "Y", True),
    (6, "LAW", "Law Stacks", "Law Library, Stacks", "LAW", 2, "N", False),
    (7, "LAWONLINE", "Law Online", "Law Library, Online resource", None, 2, "N", False),
    (8, "LAWTS", "Law Technical Services", "Law Library, Technical Services", None, 2, "Y", True),
    (9, "MED", "Health Sciences Stacks", "Health Sciences Library, Stacks", "MED", 3, "N", False),
    (10, "MEDONLINE", "Health Sciences Online", "Health Sciences Library, Online resource", None, 3, "N", False),
    (11, "MEDTS", "Health Sci Tech Services", "Health Sciences Library, Technical Services", None, 3, "Y", True),
]
LOCATION_BY_CODE = {loc[1]: loc for loc in LOCATIONS}
# Where a library's printed and online holdings go.
SHELF_LOCATIONS = {1: ["MAIN", "MAIN", "MAIN", "REF", "SPCOLL"], 2: ["LAW"], 3: ["MED"]}
ONLINE_LOCATION = {1: "ONLINE", 2: "LAWONLINE", 3: "MEDONLINE"}

# CAT_PROFILE_ID, CAT_PROFILE_NAME, then BIB, HOLD, ITEM, AUTH rights as add/update/delete, and the
# profile's cataloguing locations.
_ALL = ("Y", "Y", "Y")
_NONE = ("N", "N", "N")
CAT_PROFILES = [
    (1, "All update rights", _ALL, _ALL, _ALL, _ALL, [loc[0] for loc in LOCATIONS]),
    (2, "Bibliographic only", ("Y", "Y", "N"), _NONE, _NONE, _NONE, [1, 2, 3, 4, 5]),
    (3, "Holdings only", _NONE, ("Y", "Y", "N"), _NONE, _NONE, [6, 7, 8, 9, 10, 11]),
]

# OPERATOR_ID, LAST_NAME, FIRST_NAME, password, CAT_PROFILE_IDs, a happening location of the operator.
# The passwords are the demo's published ones (demo/README.md).
OPERATORS = [
    ("cataloger", "Cataloger", "Casey", "cataloger-demo", [1], 5),
    ("bibcat", "Bibliographer", "Blair", "bibcat-demo", [2], 5),
    ("holdcat", "Holdings", "Harper", "holdcat-demo", [3], 8),
    ("guest", "Guest", "Gale", "guest-demo", [], 0),
]
# Operators of the history rows: the demo's own and some who have left the library.
HISTORY_OPERATORS = [("cataloger", 5), ("bibcat", 5), ("holdcat", 8), ("batchload", 5), ("jsmith", 8),
                     ("mlopez", 11)]

ITEM_TYPES = [(1, "book", "Book", "Book"), (2, "journal", "Journal", "Journal"),
              (3, "ref", "Reference", "Reference book"), (4, "media", "Media", "Audio-visual media")]
ITEM_STATUS_TYPES = [(1, "Not Charged"), (2, "Charged"), (12, "Missing"), (14, "Lost--System Applied"),
                     (17, "Withdrawn")]
ITEM_NOTE_TYPES = [(1, "Staff"), (2, "Circulation")]
CALL_NO_TYPES = [("0", "LC"), ("1", "DDC"), ("2", "NLM"), ("3", "SuDocs"), ("8", "Other")]

_SALT_CHARACTERS = "./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
_libcrypt = None


def password_hash(password, operator_id, seed):
    """glibc's SHA-512 crypt of the password, "$6$salt$hash"; the salt follows from the seed and the
    operator, so the same seed gives the same database."""
    global _libcrypt
    if _libcrypt is None:
        _libcrypt = ctypes.CDLL("libcrypt.so.1")
        _libcrypt.crypt.restype = ctypes.c_char_p
        _libcrypt.crypt.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    rng = random.Random("%s:%s" % (seed, operator_id))
    salt = "".join(rng.choice(_SALT_CHARACTERS) for _ in range(16))
    hashed = _libcrypt.crypt(password.encode("utf-8"), ("$6$" + salt).encode("ascii"))
    if not hashed or not hashed.startswith(b"$6$"):
        raise RuntimeError("libcrypt gave no SHA-512 hash for operator " + operator_id)
    return hashed.decode("ascii")


def static_rows(seed):
    """(table, row) pairs of the fixed tables, rows in the column order of schema.COLUMNS."""
    yield "VERSIONS", VERSION
    yield "BASE_CURRENCY", BASE_CURRENCY
    for lib in LIBRARIES:
        yield "LIBRARY", lib
    for loc in LOCATIONS:
        yield "LOCATION", loc[:7]
    for loc in LOCATIONS:
        yield "CAT_POLICY_LOCS", (loc[0], "Y" if loc[7] else "N")
    for profile_id, name, bib, hold, item, auth, locations in CAT_PROFILES:
        yield "CAT_PROFILE", (profile_id, name) + bib + hold + item + auth
        for loc in locations:
            yield "CAT_SECURITY_LOCS", (profile_id, loc)
    for operator_id, last, first, password, profiles, _ in OPERATORS:
        yield "OPERATOR", (operator_id, last, first, password_hash(password, operator_id, seed))
        for profile_id in profiles:
            yield "CAT_OPERATOR", (operator_id, profile_id)
    for row in ITEM_TYPES:
        yield "ITEM_TYPE", row
    for row in ITEM_STATUS_TYPES:
        yield "ITEM_STATUS_TYPE", row
    for row in ITEM_NOTE_TYPES:
        yield "ITEM_NOTE_TYPE", row
    for row in CALL_NO_TYPES:
        yield "CALL_NO_TYPE", row

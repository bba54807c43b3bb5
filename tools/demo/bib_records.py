"""The descriptive content of bibliographic and authority records: leader, 008, standard numbers,
names, titles, imprint, notes and subjects, in the field order the record class keeps (tags
ascending up to 399; 4XX before 5XX; subjects by thesaurus; 700, 710, 776; 856 last)."""
import random

from marc21 import SF, subfields
from vocabulary import (ACUTE_WORDS, ADJECTIVES, AREAS, CHAPTER_WORDS, CONNECTORS, FORENAMES,
                        FORENAMES_DIACRITIC, OTHER_DIACRITIC_WORDS, PLACE_CODES, PUBLISHERS, SERIES,
                        SUBTITLES, SUMMARY_SENTENCES, SURNAMES, SURNAMES_DIACRITIC, VENDORS)

GENERAL_VENDORS = [v for i, v in enumerate(VENDORS) if i not in (3, 4)]
# Chapter titles of contents notes, made once (the same in every run).
_titles = random.Random(505)
CHAPTER_TITLES = [" ".join(_titles.sample(CHAPTER_WORDS, _titles.randrange(2, 5))) for _ in range(400)]


def isbn13(rng):
    digits = "978%09d" % rng.randrange(1000000000)
    total = sum(map(int, digits[0::2])) + 3 * sum(map(int, digits[1::2]))
    return digits + str((10 - total % 10) % 10)


def issn(rng):
    digits = "%07d" % rng.randrange(10000000)
    check = (11 - sum(int(d) * (8 - i) for i, d in enumerate(digits)) % 11) % 11
    return digits[:4] + "-" + digits[4:] + ("X" if check == 10 else str(check))


def vendor_for(rng, area):
    if area["name"] == "law":
        return VENDORS[3]
    if area["name"] == "medicine":
        return VENDORS[4]
    return rng.choice(GENERAL_VENDORS)


def person(rng, diacritics):
    surname = rng.choice(SURNAMES_DIACRITIC if diacritics and rng.random() < 0.6 else SURNAMES)
    forename = rng.choice(FORENAMES_DIACRITIC if diacritics and rng.random() < 0.4 else FORENAMES)
    return surname, forename


def title_words(rng, area, marc8):
    words = [rng.choice(ADJECTIVES), rng.choice(area["words"])]
    if rng.random() < 0.5:
        words += [rng.choice(CONNECTORS), rng.choice(area["words"]).lower()]
    if marc8:
        # Every MARC-8 record carries an acute accent (0xE2 before its letter) in its title.
        words += ["and", rng.choice(ACUTE_WORDS)]
    elif rng.random() < 0.15:
        words += ["and", rng.choice(ACUTE_WORDS + OTHER_DIACRITIC_WORDS)]
    return " ".join(words)


class BibContent:
    """What one bibliographic record says, chosen once and used for its fields and its holdings."""

    def __init__(self, rng, kind, area, marc8, year, rda):
        self.kind = kind            # "ebook", "print", "ejournal", "printjournal", "database"
        self.area = area
        self.marc8 = marc8
        self.year = year
        self.rda = rda
        self.serial = kind in ("ejournal", "printjournal")
        self.online = kind in ("ebook", "ejournal", "database")
        self.title = title_words(rng, area, marc8)
        if self.serial:
            self.title = "Journal of " + self.title.lower()
        elif kind == "database":
            self.title = area["name"].capitalize() + " full text online"
            if marc8:
                self.title += " : " + rng.choice(ACUTE_WORDS)
        self.author = None if self.serial or kind == "database" else person(rng, marc8 or rng.random() < 0.3)
        self.place, self.publisher = rng.choice(PUBLISHERS)
        self.isbn = isbn13(rng)
        self.print_isbn = isbn13(rng)
        self.issn = issn(rng)
        self.lc_class = rng.choice(area["lc"])
        self.cutter = "%s%d" % ((self.author[0] if self.author else self.title)[0].upper(), rng.randrange(10, 99))
        self.ddc = rng.choice(area["ddc"])
        self.oclc = rng.randrange(10000000, 99999999)
        self.lccn = "%d%06d" % (year, rng.randrange(1, 999999))
        self.vendor = vendor_for(rng, area) if self.online or kind == "printjournal" else None


def leader(kind, marc8, status, encoding_level, rda):
    type_level = {"ebook": "am", "print": "am", "ejournal": "as", "printjournal": "as", "database": "ai"}[kind]
    return "00000%s%s %s2200000%s%s 4500" % (status, type_level, " " if marc8 else "a", encoding_level,
                                             "i" if rda else "a")


def fixed_data(c, entered):
    """The 40 characters of a bibliographic 008."""
    place = PLACE_CODES[c.place]
    if c.serial:
        material = "mr p " + ("o" if c.online else " ") + "     0   a0"
        dates = "c%04d9999" % c.year
    elif c.kind == "database":
        material = "ux d o     0   a2"
        dates = "c%04d9999" % c.year
    else:
        material = "a    " + ("o" if c.online else " ") + "b    001 0 "
        dates = "s%04d    " % c.year
    text = entered + dates + place + material + "eng" + " " + "d"
    if len(text) != 40:
        raise AssertionError("008 of %d characters: %r" % (len(text), text))
    return text


def descriptive_fields(rng, c, bib_id, stamp, entered):
    """Fields 001 to 7XX of the record (its 856 fields come from the link plan)."""
    f = [("001", str(bib_id)), ("005", stamp), ("008", fixed_data(c, entered))]
    if c.serial:
        f.append(("022", "  " + subfields(("a", c.issn))))
    elif c.kind != "database":
        if c.online:
            f.append(("020", "  " + subfields(("a", c.isbn), ("q", "(electronic bk.)"))))
            f.append(("020", "  " + subfields(("z", c.print_isbn), ("q", "(print)"))))
        else:
            f.append(("020", "  " + subfields(("a", c.isbn), ("q", "(hardcover)"))))
    f.append(("035", "  " + subfields(("a", "(OCoLC)ocm%08d" % c.oclc))))
    cataloguing = [("a", "DLC"), ("b", "eng")] + ([("e", "rda")] if c.rda else []) + [("c", "DLC"), ("d", "DUM")]
    f.append(("040", "  " + subfields(*cataloguing)))
    f.append(("050", " 4" + subfields(("a", c.lc_class), ("b", ".%s %d" % (c.cutter, c.year)))))
    f.append(("082", "04" + subfields(("a", c.ddc), ("2", "23"))))
    if c.author:
        surname, forename = c.author
        f.append(("100", "1 " + subfields(("a", "%s, %s," % (surname, forename)), ("e", "author."))))
    subtitle = None if c.serial or c.kind == "database" else rng.choice(SUBTITLES)
    title = [("a", c.title + (" :" if subtitle else "."))]
    if subtitle:
        title.append(("b", subtitle + (" /" if c.author else ".")))
    if c.author:
        title.append(("c", "%s %s." % (c.author[1], c.author[0])))
    f.append(("245", ("1" if c.author else "0") + "0" + subfields(*title)))
    if not c.serial and rng.random() < 0.2:
        f.append(("250", "  " + subfields(("a", rng.choice(["Second edition.", "Third edition.", "Revised edition."])))))
    imprint = [("a", c.place + " :"), ("b", c.publisher + ","), ("c", "%d%s" % (c.year, "-" if c.serial else "."))]
    f.append(("264", " 1" + subfields(*imprint)) if c.rda else ("260", "  " + subfields(*imprint)))
    pages = rng.randrange(90, 640)
    if c.online and not c.serial:
        f.append(("300", "  " + subfields(("a", "1 online resource (%d pages) :" % pages), ("b", "illustrations"))))
    elif c.online:
        f.append(("300", "  " + subfields(("a", "1 online resource"))))
    elif c.serial:
        f.append(("300", "  " + subfields(("a", "v. :"), ("b", "ill. ;"), ("c", "28 cm."))))
    else:
        f.append(("300", "  " + subfields(("a", "xii, %d p. :" % pages), ("b", "ill. ;"), ("c", "24 cm."))))
    if c.serial:
        f.append(("310", "  " + subfields(("a", rng.choice(["Monthly", "Quarterly", "Bimonthly"])))))
    if c.rda:
        f.append(("336", "  " + subfields(("a", "text"), ("b", "txt"), ("2", "rdacontent"))))
        if c.online:
            f.append(("337", "  " + subfields(("a", "computer"), ("b", "c"), ("2", "rdamedia"))))
            f.append(("338", "  " + subfields(("a", "online resource"), ("b", "cr"), ("2", "rdacarrier"))))
        else:
            f.append(("337", "  " + subfields(("a", "unmediated"), ("b", "n"), ("2", "rdamedia"))))
            f.append(("338", "  " + subfields(("a", "volume"), ("b", "nc"), ("2", "rdacarrier"))))
    if c.serial:
        f.append(("362", "0 " + subfields(("a", "Vol. 1, no. 1 (%d)-" % c.year))))
    if not c.serial and c.kind != "database" and rng.random() < 0.3:
        f.append(("490", "0 " + subfields(("a", rng.choice(SERIES) + " ;"), ("v", str(rng.randrange(1, 120))))))
    if rng.random() < 0.3:
        f.append(("500", "  " + subfields(("a", rng.choice(["Includes index.", "Title from publisher's website.",
                                                               "Translated from the original edition."])))))
    if not c.serial and c.kind != "database":
        first = rng.randrange(pages // 2, pages)
        f.append(("504", "  " + subfields(("a", "Includes bibliographical references (pages %d-%d) and index."
                                           % (first, min(pages, first + rng.randrange(5, 40)))))))
        chapters = " -- ".join(rng.choice(CHAPTER_TITLES) for _ in range(rng.randrange(8, 17)))
        f.append(("505", "0 " + subfields(("a", chapters + "."))))
    f.append(("520", "  " + subfields(("a", " ".join(rng.sample(SUMMARY_SENTENCES, rng.randrange(2, 4)))))))
    if c.online:
        f.append(("538", "  " + subfields(("a", "Mode of access: World Wide Web."))))
    if c.kind == "ebook":
        f.append(("588", "0 " + subfields(("a", "Description based on print version record."))))
    subjects = sorted(rng.sample(c.area["subjects"], min(len(c.area["subjects"]), rng.randrange(1, 4))))
    for thesaurus, heading in subjects:
        f.append(("650", " " + thesaurus + SF + "a" + heading))
    if c.kind == "ebook":
        f.append(("655", " 4" + subfields(("a", "Electronic books."))))
    if c.author and rng.random() < 0.35:
        surname, forename = person(rng, c.marc8)
        f.append(("700", "1 " + subfields(("a", "%s, %s," % (surname, forename)), ("e", "editor."))))
    if c.vendor:
        f.append(("710", "2 " + subfields(("a", c.vendor[3]))))
    if c.kind == "ebook":
        link = [("i", "Print version:")]
        if c.author:
            link.append(("a", "%s, %s." % c.author))
        link += [("t", c.title + "."), ("z", c.print_isbn)]
        f.append(("776", "08" + subfields(*link)))
    return f


def authority_fields(rng, auth_id, stamp, entered):
    """An authority record for a person or a body (its 856 comes from the link plan)."""
    fixed = entered + "n| acannaabn          |a aaa      "
    if len(fixed) != 40:
        raise AssertionError("authority 008 of %d characters" % len(fixed))
    f = [("001", str(auth_id)), ("005", stamp), ("008", fixed),
         ("040", "  " + subfields(("a", "DLC"), ("b", "eng"), ("e", "rda"), ("c", "DLC")))]
    if auth_id % 2:
        surname, forename = person(rng, rng.random() < 0.3)
        born = rng.randrange(1900, 1990)
        f.append(("100", "1 " + subfields(("a", "%s, %s," % (surname, forename)), ("d", "%d-" % born))))
        source = "%s %s, %d" % (rng.choice(AREAS)["words"][0], "studies", born + 35)
    else:
        area = rng.choice(AREAS)
        f.append(("110", "2 " + subfields(("a", "Demo University."), ("b", area["name"].capitalize() + " Research Centre"))))
        source = "Centre's website, viewed %s" % entered
    f.append(("670", "  " + subfields(("a", source))))
    return f

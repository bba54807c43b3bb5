"""Words, names and subject areas the demo records are made of.

Text with diacritics is written decomposed (base letter, then combining mark), the form UTF-8
catalogue records are kept in; marc21.py turns it into MARC-8 for the MARC-8 records.
"""
import unicodedata


def nfd(text):
    return unicodedata.normalize("NFD", text)


# Subject areas: title words, LC class stems, DDC stems, subject headings (second indicator,
# heading) and the owning library (1 main, 2 law, 3 health sciences).
AREAS = [
    {
        "name": "computing", "library": 1, "lc": ["QA76.9", "QA76.73", "QA76.76", "QA75.5"],
        "ddc": ["005.1", "005.74", "004.6"],
        "words": ["Data", "Systems", "Algorithms", "Networks", "Software", "Databases", "Computing",
                  "Programming", "Security", "Machine Learning", "Information Retrieval", "Metadata"],
        "subjects": [("0", "Database management."), ("0", "Computer programming."),
                     ("0", "Computer networks" + "\x1fx" + "Security measures."),
                     ("0", "Machine learning."), ("0", "Metadata."), ("0", "Information retrieval.")],
    },
    {
        "name": "history", "library": 1, "lc": ["D16.2", "DC35", "DD89", "DP66", "E178"],
        "ddc": ["909", "944.03", "943.08"],
        "words": ["Empires", "Revolutions", "Memory", "Borderlands", "Cities", "Archives", "Merchants",
                  "Pilgrims", "Republics", "Frontiers", "Monarchy", "Migration"],
        "subjects": [("0", "Europe" + "\x1fx" + "History."), ("0", "France" + "\x1fx" + "History" +
                     "\x1fy" + "Revolution, 1789-1799."), ("0", "Migration, Internal" + "\x1fx" + "History."),
                     ("0", "Cities and towns" + "\x1fz" + "Spain" + "\x1fx" + "History.")],
    },
    {
        "name": "literature", "library": 1, "lc": ["PN56", "PQ2631", "PR6005", "PT2603"],
        "ddc": ["809", "843.912", "823.914"],
        "words": ["Poetics", "Narrative", "Fiction", "Voices", "Translation", "Exile", "Letters",
                  "Modernism", "Tragedy", "Romance", "Satire", "Drama"],
        "subjects": [("0", "Literature, Modern" + "\x1fy" + "20th century" + "\x1fx" + "History and criticism."),
                     ("0", "French fiction" + "\x1fx" + "History and criticism."), ("0", "Translating and interpreting."),
                     ("0", "Exiles' writings.")],
    },
    {
        "name": "law", "library": 2, "lc": ["K561", "KF801", "KJE947", "KZ3410"],
        "ddc": ["340", "346.02", "341.48"],
        "words": ["Contracts", "Rights", "Jurisprudence", "Constitutions", "Courts", "Regulation",
                  "Property", "Liability", "Treaties", "Arbitration", "Procedure", "Sovereignty"],
        "subjects": [("0", "Contracts."), ("0", "Human rights."), ("0", "Constitutional law."),
                     ("0", "Arbitration and award."), ("0", "International law.")],
    },
    {
        "name": "medicine", "library": 3, "lc": ["R118", "RA418", "RC254", "RT41"],
        "ddc": ["610", "616.994", "362.1"],
        "words": ["Medicine", "Nursing", "Oncology", "Epidemiology", "Therapeutics", "Public Health",
                  "Anatomy", "Clinical Practice", "Cardiology", "Pathology", "Pharmacology", "Care"],
        "subjects": [("0", "Medicine."), ("0", "Public health."), ("0", "Nursing."),
                     ("2", "Neoplasms" + "\x1fx" + "therapy."), ("2", "Epidemiologic Methods."),
                     ("2", "Delivery of Health Care.")],
    },
    {
        "name": "economics", "library": 1, "lc": ["HB171", "HC240", "HG4521", "HD30.28"],
        "ddc": ["330", "332.6", "338.9"],
        "words": ["Markets", "Finance", "Growth", "Trade", "Capital", "Labour", "Inequality",
                  "Banking", "Development", "Firms", "Money", "Policy"],
        "subjects": [("0", "Economics."), ("0", "Finance" + "\x1fz" + "Europe."), ("0", "Economic development."),
                     ("0", "Banks and banking" + "\x1fx" + "History.")],
    },
    {
        "name": "music", "library": 1, "lc": ["ML410", "ML3800", "MT6", "ML1700"],
        "ddc": ["780", "781.68", "782.1"],
        "words": ["Music", "Opera", "Harmony", "Song", "Composers", "Performance", "Sound",
                  "Symphony", "Counterpoint", "Rhythm", "Jazz", "Listening"],
        "subjects": [("0", "Music" + "\x1fx" + "History and criticism."), ("0", "Opera."),
                     ("0", "Composers" + "\x1fx" + "Biography."), ("0", "Jazz.")],
    },
]

ADJECTIVES = ["Modern", "Early", "Critical", "Comparative", "Global", "Practical", "Applied", "Digital",
              "Open", "Hidden", "Contested", "Changing", "New", "Essential", "Advanced", "Collected"]

CONNECTORS = ["and", "in", "of", "beyond", "after", "before", "between"]

SUBTITLES = ["a critical introduction", "theory and practice", "new perspectives", "a handbook",
             "case studies", "essays in honour of a teacher", "sources and methods", "an overview",
             "from the beginnings to the present", "a comparative study", "selected papers"]

# Words with diacritics for titles; the first group carries an acute accent (MARC-8 0xE2).
ACUTE_WORDS = [nfd(w) for w in ["café", "política", "educación", "résumé", "régime", "société",
                                 "música", "época", "crónica", "liberté", "médecine", "théâtre"]]
OTHER_DIACRITIC_WORDS = [nfd(w) for w in ["Übersetzung", "naïve",
                                           "façade", "señor", "Åland", "crème", "Bücher", "Öffentlichkeit",
                                           "São Paulo", "Kraków", "Dvořák"]]

SURNAMES = ["Adams", "Baker", "Chen", "Davies", "Evans", "Fischer", "Garcia", "Hughes", "Ito", "Jensen",
            "Kowalski", "Lambert", "Moreau", "Nakamura", "Olsen", "Patel", "Quinn", "Rossi", "Schmidt",
            "Tanaka", "Urquhart", "Vargas", "Walsh", "Young", "Zimmermann", "Okafor", "Lindqvist", "Haddad"]
SURNAMES_DIACRITIC = [nfd(w) for w in ["Müller", "García", "Núñez", "Dvořák", "Gonçalves", "Håkansson",
                                        "Pérez", "Šimek", "Ångström", "Lefèvre", "Jiménez", "Brontë"]]
FORENAMES = ["Anna", "Ben", "Clara", "David", "Elena", "Farid", "Grace", "Hiro", "Ines", "Jonas", "Kara",
             "Luis", "Maya", "Nils", "Olga", "Pavel", "Rosa", "Samir", "Tess", "Victor", "Wen", "Yusuf"]
FORENAMES_DIACRITIC = [nfd(w) for w in ["José", "Renée", "Zoë", "André", "Jürgen", "Ferenc", "Søren",
                                         "Małgorzata", "François", "Inés"]]

PUBLISHERS = [("New York", "Harborlight Press"), ("London", "Meridian Scholarly"),
              ("Oxford", "Quill & Vane"), ("Cambridge, MA", "Northfield University Press"),
              ("Berlin", "Archivum Verlag"), ("Amsterdam", "Lexbridge Academic"),
              ("Chicago", "Lakeshore Books"), ("Toronto", "Maple Row Publishing"),
              ("Paris", nfd("Éditions du Pont")), ("Madrid", nfd("Ediciones Céfiro"))]

PLACE_CODES = {"New York": "nyu", "London": "enk", "Oxford": "enk", "Cambridge, MA": "mau",
               "Berlin": "gw ", "Amsterdam": "ne ", "Chicago": "ilu", "Toronto": "onc",
               "Paris": "fr ", "Madrid": "sp "}

SERIES = ["Studies in the humanities", "Lecture notes in applied science", "Law and society series",
          "Handbooks of clinical practice", "Library of economic thought", "Music in context"]

CHAPTER_WORDS = ["Introduction", "Origins", "Methods", "Sources", "Institutions", "Practices",
                 "Networks", "Reform", "Crisis", "Recovery", "Conclusion", "Afterword", "Appendix",
                 "Case study", "Debates", "Evidence", "Theory", "Comparisons", "Legacies", "Futures"]

SUMMARY_SENTENCES = [
    "This volume brings together recent research by an international group of scholars.",
    "The author draws on archival sources that have not been studied before.",
    "Chapters combine theoretical discussion with detailed case studies.",
    "The book offers students and practitioners a clear introduction to the field.",
    "Each chapter ends with questions for discussion and suggestions for further reading.",
    "The study argues that established accounts overlook the role of ordinary people.",
    "Drawing on interviews and statistical data, the work traces change over three decades.",
    "An extensive bibliography and index complete the volume.",
]

# Vendors of the online resources: host, path pattern ({n} is a number, {isbn} an ISBN), link
# text for $y, and the corporate name that appears in 710.
VENDORS = [
    ("ebooks.harborlight-press.com", "/book/{isbn}", "Harborlight eBooks", "Harborlight Press."),
    ("journals.meridianscholar.com", "/toc/{n}", "Meridian Scholar Journals", "Meridian Scholarly (Firm)"),
    ("www.archivum-digital.org", "/stable/{n}", "Archivum Digital", "Archivum Digital (Organization)"),
    ("lexbridge-online.com", "/research/doc?id={n}", "Lexbridge Online", "Lexbridge Academic (Firm)"),
    ("medicusportal.org", "/ebook/{n}", "Medicus Portal", "Medicus Portal (Firm)"),
    ("quillvane-reader.com", "/read/{isbn}", "Quill & Vane Reader", "Quill & Vane (Firm)"),
]

PUBLIC_NOTES = ["Connect to this resource online", "Access restricted to Demo University users",
                "Full text available to the university community", "Off-campus access requires login"]
STAFF_NOTES = ["Proxied link; license 2019-044", "Vendor package renewed annually", "Checked by e-resources team",
               "Perpetual access"]
MATERIALS = ["Full text", "v. 1-12", "Table of contents", "Selected chapters", "Current issues"]

"""The demo database's rows: for a number of bibliographic records and a seed, always the same rows.

Bibliographic records get roles (links.MATCH and the others) drawn once from the seed, so that exactly
the asked share carries the old proxy stem; everything else (kind, subject, dates, holdings, items)
is drawn record by record from one random sequence."""
import random
import time
from decimal import ROUND_HALF_UP, Decimal

import catalog
import links
from bib_records import BibContent, authority_fields, descriptive_fields, leader
from holdings_records import call_number, holdings_fields, holdings_leader, location_id
from marc21 import assemble, segments, subfields, to_marc8, to_utf8
from vocabulary import AREAS

MAX_BIBS = 1_000_000
_START = 1041379200   # 2003-01-01 00:00:00 UTC: the oldest creation date
_END = 1719748800     # 2024-06-30 12:00:00 UTC: no history after this
_CREATE_SPAN = 1640908800 - _START   # creation dates run to 2021-12-31
_DECOY_SHARE = Decimal("0.005")      # of each decoy kind and of bibs linked only through holdings

_ONLINE_KINDS = ["ebook"] * 7 + ["ejournal"] * 2 + ["database"]
_PLAIN_KINDS = ["print"] * 45 + ["ebook"] * 35 + ["ejournal"] * 8 + ["printjournal"] * 7 + ["database"] * 5


class Draw(random.Random):
    """The seeded random sequence, with choice and randrange drawn from one random() each: several
    times faster than the library's, and as repeatable."""

    def choice(self, seq):
        return seq[int(self.random() * len(seq))]

    def randrange(self, start, stop=None):
        if stop is None:
            start, stop = 0, start
        return start + int(self.random() * (stop - start))


def share_count(total, fraction):
    """fraction of total, rounded to the nearest whole number (halves up)."""
    return int((Decimal(total) * fraction).to_integral_value(rounding=ROUND_HALF_UP))


_days = {}


def _day(t):
    """(yyyy-mm-dd, yymmdd, yyyymmdd) of the day of time t, formatted once per day."""
    day = t // 86400
    known = _days.get(day)
    if known is None:
        known = _days[day] = (time.strftime("%Y-%m-%d", time.gmtime(day * 86400)),
                              time.strftime("%y%m%d", time.gmtime(day * 86400)),
                              time.strftime("%Y%m%d", time.gmtime(day * 86400)))
    return known


def text_date(t):
    """'yyyy-mm-dd hh:mm:ss', as the history rows hold dates."""
    s = t % 86400
    return "%s %02d:%02d:%02d" % (_day(t)[0], s // 3600, s // 60 % 60, s % 60)


def stamp_005(t):
    """The 005 form, yyyymmddhhmmss.0."""
    s = t % 86400
    return "%s%02d%02d%02d.0" % (_day(t)[2], s // 3600, s // 60 % 60, s % 60)


def entered_008(t):
    """The date entered of an 008, yymmdd."""
    return _day(t)[1]


def history_times(rng, start):
    """A creation time at or after start and 0 to 3 later update times, all before _END."""
    created = start
    times = [created]
    for _ in range(rng.choice((0, 0, 1, 1, 2, 3))):
        later = times[-1] + rng.randrange(3600, 400 * 86400)
        if later >= _END:
            break
        times.append(later)
    return times


class Builder:
    def __init__(self, bibs, seed, matching_percent):
        if not 1 <= bibs <= MAX_BIBS:
            raise ValueError("the number of bibliographic records must be 1 to %d" % MAX_BIBS)
        fraction = Decimal(matching_percent) / 100
        if not 0 <= fraction <= 1:
            raise ValueError("the matching share must be 0 to 100 per cent")
        self.bibs = bibs
        self.seed = seed
        self.rng = Draw(seed)
        self.roles = bytearray(bibs + 1)
        wanted = [(links.MATCH, share_count(bibs, fraction))]
        room = bibs - wanted[0][1]
        for role in (links.CASE_VARIANT, links.SECOND_U, links.VIA_HOLDINGS):
            n = min(room, share_count(bibs, _DECOY_SHARE))
            wanted.append((role, n))
            room -= n
        chosen = self.rng.sample(range(1, bibs + 1), sum(n for _, n in wanted))
        at = 0
        for role, n in wanted:
            for bib_id in chosen[at:at + n]:
                self.roles[bib_id] = role
            at += n
        self.next_mfhd = self.next_item = self.next_link = self.next_note = 1
        self.summary = {k: 0 for k in (
            "bibs", "bibs_matching", "bibs_case_variant", "bibs_second_u", "bibs_via_holdings", "bibs_marc8",
            "bibs_suppressed", "holdings", "holdings_matching", "authorities", "authorities_matching",
            "items", "item_links", "item_links_matching", "links")}
        self.summary.update(seed=seed, matching_percent=str(matching_percent), old_stem=catalog.OLD_STEM,
                            new_stem=catalog.NEW_STEM)

    def build(self, sink):
        for table, row in catalog.static_rows(self.seed):
            sink.add(table, row)
        for bib_id in range(1, self.bibs + 1):
            self._bib(sink, bib_id, self.roles[bib_id])
        for auth_id in range(1, max(5, share_count(self.bibs, Decimal("0.01"))) + 1):
            self._authority(sink, auth_id)
        s = self.summary
        s["records_to_change"] = s["bibs_matching"] + s["holdings_matching"] + s["authorities_matching"]
        return s

    def _link_rows(self, sink, record_type, record_id, fields, encode):
        for subtype, link, text in links.index_rows(fields, encode):
            sink.add("ELINK_INDEX", (self.next_link, record_id, record_type, subtype, link, text))
            self.next_link += 1
            self.summary["links"] += 1

    def _history(self, sink, table, record_id, times, extra=()):
        rng = self.rng
        for n, t in enumerate(times):
            operator, location = rng.choice(catalog.HISTORY_OPERATORS)
            sink.add(table, (record_id, text_date(t), operator, location, 1 if n == 0 else 2) + extra)

    def _bib(self, sink, bib_id, role):
        rng = self.rng
        s = self.summary
        area = rng.choice(AREAS)
        if role in (links.MATCH, links.CASE_VARIANT, links.SECOND_U):
            kind = rng.choice(_ONLINE_KINDS)
        elif role == links.VIA_HOLDINGS:
            kind = "printjournal"
        else:
            kind = rng.choice(_PLAIN_KINDS)
        marc8 = rng.random() < 0.1
        times = history_times(rng, _START + rng.randrange(_CREATE_SPAN))
        created = time.gmtime(times[0])
        year = max(1950, created.tm_year - rng.randrange(0, 6))
        rda = created.tm_year >= 2013 and rng.random() < 0.8
        c = BibContent(rng, kind, area, marc8, year, rda)
        stamp = stamp_005(times[-1])
        entered = entered_008(times[0])
        fields = descriptive_fields(rng, c, bib_id, stamp, entered)
        link_fields = links.bib_links(rng, c, role)
        fields += [("856", ind + subfields(*subs)) for ind, subs in link_fields]
        encoding_level = rng.choice("  I7") if not marc8 else " "
        encode = to_marc8 if marc8 else to_utf8
        record = assemble(leader(kind, marc8, "c" if len(times) > 1 else "n", encoding_level, rda), fields, encode)
        suppress = "Y" if rng.random() < 0.04 else "N"
        library = area["library"]
        sink.add("BIB_MASTER", (bib_id, library, suppress, text_date(times[0]),
                                text_date(times[-1]) if len(times) > 1 else None, "Y"))
        for seq, segment in enumerate(segments(record, 990), 1):
            sink.add("BIB_DATA", (bib_id, seq, segment))
        self._history(sink, "BIB_HISTORY", bib_id, times, (encoding_level.strip() or None, suppress))
        self._link_rows(sink, "B", bib_id, link_fields, encode)
        s["bibs"] += 1
        s["bibs_marc8"] += marc8
        s["bibs_suppressed"] += suppress == "Y"
        if links.starts_with_old_stem(link_fields):
            s["bibs_matching"] += 1
        s["bibs_case_variant"] += role == links.CASE_VARIANT
        s["bibs_second_u"] += role == links.SECOND_U
        s["bibs_via_holdings"] += role == links.VIA_HOLDINGS
        self._holdings_of(sink, bib_id, c, role, link_fields, times[0])

    def _holdings_of(self, sink, bib_id, c, role, bib_fields, bib_created):
        rng = self.rng
        library = c.area["library"]
        plan = []   # (location code, holdings type, 856 or None)
        # Serials are held as multipart items (leader/06 "v"), monographs as single parts ("x").
        serial_type = "v" if c.serial else None
        if c.kind == "printjournal":
            plan.append((rng.choice(catalog.SHELF_LOCATIONS[library]), "v", None))
            link = links.holdings_link(rng, None, role, c.vendor, c.isbn)
            if link or rng.random() < 0.3:
                plan.append((catalog.ONLINE_LOCATION[library], "v", link))
        elif c.online:
            if rng.random() < 0.9:
                link = links.holdings_link(rng, bib_fields, role, c.vendor, c.isbn)
                plan.append((catalog.ONLINE_LOCATION[library], serial_type or "x", link))
        else:
            multipart = rng.random() < 0.1
            for _ in range(2 if rng.random() < 0.2 else 1):
                plan.append((rng.choice(catalog.SHELF_LOCATIONS[library]), "v" if multipart else "x", None))
        for code, holdings_type, link in plan:
            self._holdings(sink, bib_id, c, code, holdings_type, link, bib_created)

    def _holdings(self, sink, bib_id, c, code, holdings_type, link, bib_created):
        rng = self.rng
        s = self.summary
        mfhd_id = self.next_mfhd
        self.next_mfhd += 1
        times = history_times(rng, bib_created + rng.randrange(60, 30 * 86400))
        stamp = stamp_005(times[-1])
        entered = entered_008(times[0])
        copies = 2 if holdings_type == "v" else 1
        fields = holdings_fields(c, mfhd_id, bib_id, stamp, entered, code, copies, link)
        record = assemble(holdings_leader(holdings_type, "c" if len(times) > 1 else "n"), fields, to_utf8)
        _, _, _, call_type, display, normalized = call_number(c, code)
        suppress = "Y" if rng.random() < 0.03 else "N"
        location = location_id(code)
        sink.add("MFHD_MASTER", (mfhd_id, location, suppress, normalized, display, call_type, text_date(times[0]),
                                 text_date(times[-1]) if len(times) > 1 else None))
        for seq, segment in enumerate(segments(record, 300), 1):
            sink.add("MFHD_DATA", (mfhd_id, seq, segment))
        self._history(sink, "MFHD_HISTORY", mfhd_id, times)
        sink.add("BIB_MFHD", (bib_id, mfhd_id))
        if link:
            self._link_rows(sink, "M", mfhd_id, [link], to_utf8)
            s["holdings_matching"] += links.starts_with_old_stem([link])
        s["holdings"] += 1
        if not code.endswith("ONLINE") and rng.random() < 0.12:
            for n in range(1, (rng.randrange(2, 4) if holdings_type == "v" else 1) + 1):
                self._item(sink, bib_id, mfhd_id, location, n, holdings_type, c.serial, times[0])

    def _item(self, sink, bib_id, mfhd_id, location, n, holdings_type, serial, since):
        rng = self.rng
        s = self.summary
        item_id = self.next_item
        self.next_item += 1
        added = text_date(since + rng.randrange(60, 10 * 86400))
        item_type = 2 if serial else (3 if rng.random() < 0.1 else 1)
        sink.add("ITEM", (item_id, location, None, item_type, None, 1, 1, rng.randrange(500, 15000), None, None,
                          added, None, rng.choice(catalog.HISTORY_OPERATORS)[0], None, "N", "Y"))
        enum = ("v.%d" % n) if holdings_type == "v" else None
        sink.add("MFHD_ITEM", (mfhd_id, item_id, enum, None, None, None, None))
        sink.add("BIB_ITEM", (bib_id, item_id, added))
        sink.add("ITEM_BARCODE", (item_id, "39999%09d" % item_id, 1, added))
        sink.add("ITEM_STATUS", (item_id, rng.choice((1, 1, 1, 1, 2, 12)), added))
        if rng.random() < 0.2:
            sink.add("ITEM_NOTE", (self.next_note, item_id, rng.choice(["Spine damaged", "Includes CD-ROM",
                                                                        "Gift of the author"]), rng.choice((1, 2))))
            self.next_note += 1
        s["items"] += 1
        if rng.random() < 0.3:
            subtype, link, text = links.item_link(rng, item_id)
            sink.add("ELINK_INDEX", (self.next_link, item_id, "I", subtype, link, text))
            self.next_link += 1
            s["links"] += 1
            s["item_links"] += 1
            s["item_links_matching"] += link.startswith(catalog.OLD_STEM.encode("ascii"))

    def _authority(self, sink, auth_id):
        rng = self.rng
        s = self.summary
        times = history_times(rng, _START + rng.randrange(_CREATE_SPAN))
        stamp = stamp_005(times[-1])
        entered = entered_008(times[0])
        fields = authority_fields(rng, auth_id, stamp, entered)
        link = links.authority_link(rng, auth_id)
        fields.append(("856", link[0] + subfields(*link[1])))
        record = assemble("00000%sz  a2200000n  4500" % ("c" if len(times) > 1 else "n"), fields, to_utf8)
        sink.add("AUTH_MASTER", (auth_id, text_date(times[0]), text_date(times[-1]) if len(times) > 1 else None))
        for seq, segment in enumerate(segments(record, 990), 1):
            sink.add("AUTH_DATA", (auth_id, seq, segment))
        self._history(sink, "AUTH_HISTORY", auth_id, times)
        self._link_rows(sink, "A", auth_id, [link], to_utf8)
        s["authorities"] += 1
        s["authorities_matching"] += links.starts_with_old_stem([link])

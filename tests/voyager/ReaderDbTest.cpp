// The reader on both drivers, on rows each case inserts: the pass-through, records reassembled from
// their segments with their metadata, items and locations, operators, and the index searches (the
// golden tests pin what the job reads).
#include <algorithm>

#include "ReaderDb.h"
#include "base/Error.h"
#include "kit/Octets.h"

namespace linkmend::test {
namespace {

class Records : public ReaderDb {
protected:
    static Rows Column(VgerReaderClass7& r, std::int16_t set, std::int16_t column) {
        Rows out;
        while (r.GetNextRow(set)) out.push_back(r.CurrentRow(column));
        return out;
    }
};

TEST_P(Records, PassThroughVersionAndDiagnosticDumps) {
    auto none = NewReader();
    EXPECT_EQ(none->VgerMajorVersion(), 2000);  // no VERSIONS row
    Exec("INSERT INTO " + Prefix() + "VERSIONS (MODULE, VERSION) VALUES ('DATABASE', ' 99.2 ')");
    Exec("INSERT INTO " + Prefix() +
         "LIBRARY VALUES (1, 'Main', 'Main\tLibrary', NULL), (2, NULL, 'Law\nLibrary', 'X'), (3, 'caf\xC3\xA9', '', "
         "'')");
    Exec("INSERT INTO " + Prefix() + "BASE_CURRENCY VALUES ('Norway', 'NOK', 'Krone', 2, ',')");
    auto r = NewReader();
    EXPECT_EQ(r->SqlStatementsSubmitted(), 0);
    EXPECT_EQ(r->VgerMajorVersion(), 1999);  // connects first; read once per reader
    EXPECT_EQ(r->VgerVersion(), "99.2");
    std::int16_t a = 0, b = 0;
    r->ExecuteSQL("SELECT LIBRARY_NAME, LIBRARY_ID FROM " + Prefix() + "LIBRARY ORDER BY LIBRARY_ID", a);
    r->ExecuteSQL("SELECT LIBRARY_ID FROM " + Prefix() + "LIBRARY WHERE LIBRARY_NAME = 'caf\xC3\xA9'", b);
    EXPECT_EQ(a * 10 + b, 12);
    EXPECT_NE(r->SQLString().find("'caf' || HEXTORAW('C3A9') || ''"), std::string::npos) << r->SQLString();
    EXPECT_EQ(Column(*r, b, 1), Rows{"3"});
    EXPECT_FALSE(r->GetNextRowScroll(b, VgerReaderDllClass6::kFetchNext, 0));  // past the end
    EXPECT_TRUE(r->GetNextRow(a));
    EXPECT_FALSE(r->GetNextRow(a));  // an empty first column reads as the end, though rows follow
    EXPECT_EQ(r->CurrentRow(2), "2");
    EXPECT_TRUE(r->GetNextRow(a));
    std::string header = r->ColumnHeader(a, 2);
    std::transform(header.begin(), header.end(), header.begin(), [](unsigned char c) { return std::toupper(c); });
    EXPECT_EQ(header, "LIBRARY_ID");
    EXPECT_THROW(r->ColumnHeader(a, 0), LinkmendError);
    EXPECT_EQ(r->BaseCurrencyCountry() + r->BaseCurrencyCode() + r->BaseCurrencyName() +
                  std::to_string(r->BaseCurrencyDecimals()),
              "NorwayNOKKrone2");
    const auto statements = r->SqlStatementsSubmitted();
    EXPECT_EQ(r->BaseCurrencyDecimalDelimiter(), ",");
    EXPECT_EQ(r->SqlStatementsSubmitted(), statements);  // loaded once

    TempDir dir;
    r->DumpTable(Prefix() + "LIBRARY", dir.File("library.txt"), 2);
    std::string text = ReadFile(dir.File("library.txt"));
    std::transform(text.begin(), text.begin() + static_cast<long>(text.find('\n')), text.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    EXPECT_EQ(
        text,
        "LIBRARY_ID\tLIBRARY_NAME\tLIBRARY_DISPLAY_NAME\tNUC_CODE\n1\tMain\tMain\\tLibrary\t\n2\t\tLaw\\nLibrary\tX\n");
    EXPECT_EQ(r->ResultSet(), a);
    EXPECT_THROW(r->DumpTable("LIBRARY; DROP TABLE LIBRARY", dir.File("x")), LinkmendError);
    r->DumpDatabaseStructure(dir.File("structure.txt"));
    text = ReadFile(dir.File("structure.txt"));
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    for (const char* line :
         {"\nBIB_DATA\tRECORD_SEGMENT\t", "\nMFHD_MASTER\tNORMALIZED_CALL_NO\t", "\nELINK_INDEX\tLINK\t"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

// Segments of 990 (300 for holdings) are joined; one stored without its trailing blanks is padded
// before the next, the last never; a record without segments is empty, not an error.
TEST_P(Records, RecordsReassembledFromTheirSegments) {
    const std::string a = RecordOf(985, 'a'), b = RecordOf(990, 'b'), c = RecordOf(400, 'c') + "   ";
    Segments("BIB", 11, {b, b, c});
    Segments("AUTH", 12, {a, c});
    Segments("MFHD", 21, {RecordOf(296, 'h'), RecordOf(300, 'i'), "j"});
    History("AUTH", 12, "2024-01-01 10:00:00", "maker", 1);
    auto r = NewReader();
    r->RetrieveBibRecord(" 11 ");
    EXPECT_EQ(r->BibRecordNumber(), "11");
    EXPECT_TRUE(OctetsEqual(b + b + c, r->BibRecord()));
    r->RetrieveAuthRecord("12");
    EXPECT_TRUE(OctetsEqual(a + "     " + c, r->AuthRecord()));
    Exec("DELETE FROM " + Prefix() + "AUTH_DATA");  // gone since: read again, it has no history either
    r->RetrieveAuthRecord("");
    EXPECT_EQ(r->AuthRecord() + r->AuthCreateOperatorID(), "");
    r->RetrieveHoldRecord("21");
    EXPECT_TRUE(OctetsEqual(RecordOf(296, 'h') + "    " + RecordOf(300, 'i') + "j", r->HoldRecord()));
    r->RetrieveBibRecord("999"), r->RetrieveHoldRecord("999"), r->RetrieveAuthRecord("999");
    EXPECT_EQ(r->BibRecord() + r->HoldRecord() + r->AuthRecord() + r->HoldBibRecordNumber(), "");
    EXPECT_TRUE(r->BibDateLastModifiedVB().IsZero());
}

// A lower-case n suppresses a bib (case-sensitive), a lower-case y a holdings record (case-blind);
// a bib without its master row counts as suppressed. Last modified: the newest update, else the
// creation, else zero (an unreadable date too). Holdings: the lowest of their bibs, and location.
TEST_P(Records, MetadataOfBibsAndHoldings) {
    for (const auto& [id, suppress] : {std::pair{1, "N"}, {2, "n"}, {3, "Y"}}) {
        Segments("BIB", id, {RecordOf(100, 'r')});
        Exec("INSERT INTO " + Prefix() + "BIB_MASTER (BIB_ID, LIBRARY_ID, SUPPRESS_IN_OPAC) VALUES (" +
             std::to_string(id) + ", 3, '" + suppress + "')");
    }
    Segments("BIB", 4, {RecordOf(100, 'r')});
    History("BIB", 1, "2019-03-04 05:06:07", "cat1", 1);
    History("BIB", 2, "2019-03-04 05:06:07", "cat1", 1);
    History("BIB", 2, "2021-01-02 03:04:05", "cat2", 2);
    History("BIB", 2, "2023-07-08 09:10:11", "cat3", 3);
    History("BIB", 2, "2022-12-31 23:59:59", "cat4", 2);
    if (IsSqlite())
        Exec("INSERT INTO " + Prefix() +
             "BIB_HISTORY (BIB_ID, ACTION_DATE, OPERATOR_ID, ACTION_TYPE_ID) VALUES (3, 'last Tuesday', 'x', 1)");
    Insert("LIBRARY", "LIBRARY_ID, LIBRARY_NAME, LIBRARY_DISPLAY_NAME, NUC_CODE",
           {{"3", "Law Library", "The Law Library", "LAW"}});
    Insert("LOCATION", "LOCATION_ID, LOCATION_CODE, LOCATION_NAME, LOCATION_DISPLAY_NAME, LOCATION_SPINE_LABEL",
           {{"6", "annex", "N", "D", "S"}});
    Insert("MFHD_MASTER", "MFHD_ID, LOCATION_ID, SUPPRESS_IN_OPAC, NORMALIZED_CALL_NO, DISPLAY_CALL_NO, CALL_NO_TYPE",
           {{"40", "6", "y", "QA 76", "QA76", "0"}, {"41", "6", "N", "QA 76", "QA76", "0"}});
    Segments("MFHD", 40, {RecordOf(120, 'h')});
    Segments("MFHD", 41, {RecordOf(120, 'h')});
    Exec("INSERT INTO " + Prefix() + "BIB_MFHD VALUES (9, 40), (7, 40), (8, 41)");
    History("MFHD", 40, "2020-02-02 10:00:00", "late", 1);
    History("MFHD", 40, "2018-01-01 09:00:00", "early", 1);
    auto r = NewReader();
    std::string got;
    for (const char* id : {"1", "2", "3", "4"}) {
        r->RetrieveBibRecord(id);
        got += std::to_string(r->BibRecordIsSuppressed()) + r->BibOwningLibraryNumber() + " " +
               r->BibDateLastModifiedVB().Format() + " " + r->BibUpdateOperatorID() + "|";
    }
    EXPECT_EQ(got,
              "03 2019-03-04 05:06:07 |13 2023-07-08 09:10:11 cat3|13 1899-12-30 00:00:00 |1 1899-12-30 00:00:00 |");
    EXPECT_EQ(r->BibOwningLibraryName() + "|" + r->BibOwningLibraryDisplayName() + "|" + r->BibOwningLibraryNucCode(),
              "||");
    const auto before = r->SqlStatementsSubmitted();
    r->BibRecordNumber("1");
    EXPECT_EQ(r->BibOwningLibraryName() + "|" + r->BibOwningLibraryDisplayName() + "|" + r->BibOwningLibraryNucCode(),
              "Law Library|The Law Library|LAW");
    r->BibRecordNumber("2");
    EXPECT_EQ(r->BibOwningLibraryNucCode(), "LAW");
    EXPECT_EQ(r->SqlStatementsSubmitted(), before + 3);  // the library once, then from the cache
    std::string id, name, display, nuc;
    r->RetrieveOwningLibraryForBib("2", id, name, display, nuc);
    EXPECT_EQ(id + name + display + nuc, "3Law LibraryThe Law LibraryLAW");
    got.clear();
    for (const char* holdings : {"40", "41"}) {
        r->RetrieveHoldRecord(holdings);
        got += std::to_string(r->HoldRecordIsSuppressed()) + r->HoldBibRecordNumber() +
               std::to_string(r->HoldRecordIsMultiplyLinked()) + " " + r->HoldLocationID() + r->HoldLocationCode() +
               r->HoldLocationName() + r->HoldLocationDisplay() + r->HoldLocationSpine() + " " +
               r->HoldCallNoNormalized() + r->HoldCallNoDisplay() + r->HoldCallNoType() + " " +
               r->HoldCreateOperatorID() + " " + r->HoldDateLastModifiedVB().Format() + "|";
    }
    EXPECT_EQ(got, "171 6annexNDS QA 76QA760 early 2018-01-01 09:00:00|080 6annexNDS QA 76QA760  1899-12-30 00:00:00|");
}

TEST_P(Records, ItemsWithTheirLocationsStatusesAndNotes) {
    Exec("INSERT INTO " + Prefix() + "BASE_CURRENCY VALUES ('Norway', 'NOK', 'Krone', 2, ',')");
    for (const char* l :
         {"1, 'c1', 'n1', 'd1', 's1', 'N'", "2, 'c2', 'n2', 'd2', 's2', 'Y'", "3, 'c3', 'n3', 'd3', 's3', 'y'"})
        Exec("INSERT INTO " + Prefix() +
             "LOCATION (LOCATION_ID, LOCATION_CODE, LOCATION_NAME, LOCATION_DISPLAY_NAME, LOCATION_SPINE_LABEL, "
             "SUPPRESS_IN_OPAC) VALUES (" +
             l + ")");
    Exec("INSERT INTO " + Prefix() +
         "ITEM (ITEM_ID, PERM_LOCATION, TEMP_LOCATION, ITEM_TYPE_ID, TEMP_ITEM_TYPE_ID, COPY_NUMBER, PIECES, "
         "PRICE, SPINE_LABEL, MEDIA_TYPE_ID, MAGNETIC_MEDIA, SENSITIZE, CREATE_OPERATOR_ID) VALUES (100, 1, 2, 4, 0, "
         "2, 3, 1250, 'spine', 6, 'N', 'Y', 'maker'), "
         "(101, 1, NULL, 99, 0, 1, 1, 5, NULL, 0, 'N', 'N', 'x'), (200, 1, NULL, 4, 0, 1, 1, NULL, NULL, 0, 'N', 'N', "
         "'x')");
    Exec("INSERT INTO " + Prefix() +
         "MFHD_ITEM VALUES (10, 100, 'v.1', '1999', '1999', 'cap', 'free'), (10, 99, '', '', '', '', '')");
    Exec("INSERT INTO " + Prefix() + "BIB_ITEM (BIB_ID, ITEM_ID) VALUES (5, 100), (3, 100)");
    Exec("INSERT INTO " + Prefix() + "BIB_MFHD VALUES (5, 10), (5, 11), (6, 10)");
    Exec("INSERT INTO " + Prefix() +
         "ITEM_BARCODE VALUES (100, '39015000001', 0, NULL), (100, '39015000002', 1, NULL), (200, '555', 2, NULL)");
    Exec("INSERT INTO " + Prefix() + "ITEM_STATUS_TYPE VALUES (1, 'Not Charged'), (2, 'Charged'), (7, 'Lost')");
    Exec("INSERT INTO " + Prefix() + "ITEM_STATUS (ITEM_ID, ITEM_STATUS) VALUES (100, 2), (100, 7), (101, 7)");
    Exec("INSERT INTO " + Prefix() + "ITEM_NOTE_TYPE VALUES (1, 'Staff'), (2, 'Public')");
    Exec("INSERT INTO " + Prefix() +
         "ITEM_NOTE (ITEM_NOTE_ID, ITEM_ID, ITEM_NOTE, ITEM_NOTE_TYPE) VALUES (1, 100, 'water', 1), (2, 100, 'desk', "
         "2)");
    Exec("INSERT INTO " + Prefix() + "ITEM_TYPE (ITEM_TYPE_ID, ITEM_TYPE_CODE) VALUES (4, 'book')");
    auto r = NewReader();
    r->ItemSequenceNewItemsAtTop(true);
    r->RetrieveItemRecord("100");
    EXPECT_EQ(r->ItemBarcode() + std::to_string(r->ItemBarcodeActive()) + " " + r->ItemPermLocationNumber() +
                  r->ItemTempLocationNumber() + r->ItemCopyNumber() + r->ItemPieces() + " " + r->ItemPrice() + " " +
                  r->ItemSpineLabel() + r->ItemMediaType() + r->ItemCreateOperatorID() + r->ItemUpdateDate() +
                  r->ItemMagneticMedia() + r->ItemSensitize() + " " + r->ItemHoldRecordNumber() + r->ItemEnum() +
                  r->ItemCaption() + r->ItemFreeText() + r->ItemBibRecordNumber() + " " + r->ItemTypeName() +
                  r->ItemPermLocationCode() + r->ItemTempLocationDisplay() + r->ItemTempLocationSpine(),
              "390150000021 1223 12,50 spine6makerNY 10v.1capfree3 bookc1d2s2");
    EXPECT_EQ(r->ItemStatus(), "Charged\nLost");
    EXPECT_TRUE(r->ItemNote() == "[Staff]:water\nPublic:desk" || r->ItemNote() == "[Public]:desk\nStaff:water")
        << r->ItemNote();
    EXPECT_EQ(r->RetrieveHoldNumberForItem("100"), "10");
    CatalogItemData d;
    d.MagneticMedia(true);
    r->CopyItemObject(d);
    EXPECT_EQ(
        std::to_string(d.itemID()) + " " + std::to_string(d.HoldingID()) + " " + std::to_string(d.PermLocationID()) +
            std::to_string(d.ItemTypeID()) + std::to_string(d.TempLocationID()) + std::to_string(d.TempTypeID()) +
            std::to_string(d.MediaTypeID()) + std::to_string(d.CopyNumber()) + std::to_string(d.PieceCount()) + " " +
            d.Price() + d.Enumeration() + d.Chron() + d.year() + d.Caption() + d.FreeText() + d.SpineLabel() + " " +
            std::to_string(d.AddItemToTop()) + std::to_string(d.MagneticMedia()) + std::to_string(d.Sensitize()),
        "100 10 1420623 12,50v.119991999capfreespine 101");
    const auto before = r->SqlStatementsSubmitted();
    r->RetrieveItemRecord("101");                        // a status seen before comes from the cache
    EXPECT_EQ(r->SqlStatementsSubmitted() - before, 8);  // no status look-up
    EXPECT_EQ(r->ItemPrice() + " " + r->ItemStatus() + " " + r->ItemTypeName(), "0.05 Lost Item type 99 not defined");
    r->RetrieveItemRecord("200");  // its only barcode is inactive
    EXPECT_EQ(r->ItemBarcode() + std::to_string(r->ItemBarcodeActive()) + r->ItemPrice() + r->ItemStatus() +
                  r->ItemNote() + r->ItemTypeName(),
              "5550book");
    r->RetrieveItemRecordByBarcode("39015000001");
    EXPECT_EQ(r->ItemRecordNumber() + std::to_string(r->ItemBarcodeActive()), "1000");
    r->RetrieveItemRecordByBarcode("123");
    EXPECT_EQ(r->ItemRecordNumber() + r->ItemHoldRecordNumber(), "");
    std::string code, name, display, spine;
    bool suppressed = false;
    std::string got;
    for (const char* id : {"1", "2", "3", "77"}) {
        r->TranslateLocationID(id, code, name, display, spine, suppressed);
        got += code + name + display + spine + (*id == '7' ? "" : std::to_string(suppressed)) + " ";
    }
    EXPECT_EQ(got, "c1n1d1s10 c2n2d2s21 c3n3d3s30  ");  // only an upper-case Y suppresses
    std::int16_t s = 0, t = 0;
    r->SearchItemNumbersForHold("10", s);
    EXPECT_EQ(Column(*r, s, 1), (Rows{"99", "100"}));
    r->SearchHoldNumbersForBib("5", t);
    EXPECT_EQ(Column(*r, t, 1), (Rows{"10", "11"}));
    r->SearchBibNumbersForHold("10", s);  // reuses set s
    EXPECT_EQ(Column(*r, s, 1), (Rows{"5", "6"}));
    r->SearchBarcodesForItem("100", s);
    EXPECT_EQ(Column(*r, s, 1).size(), 2u);
    r->SearchItemBarcode("39015000002", s);
    ASSERT_TRUE(r->GetNextRow(s));
    EXPECT_EQ(r->CurrentRow(1) + r->CurrentRow(2), "1001");
}

// Permissions are the union of the operator's profiles, only an upper-case Y grants, and a profile
// row whose BIB_ADD is empty ends the scan; locations come as the database gives them, each once.
TEST_P(Records, OperatorPermissionsAndCataloguingLocations) {
    for (const auto& [id, flags] : {std::pair{1, "NYNNNNNNNyNN"}, {2, "NNNNYNNNNNNY"}, {3, "-YYYYYYYYYYY"}}) {
        std::string values;
        for (const char* f = flags; *f; ++f)
            values += *f == '-' ? std::string(", NULL") : std::string(", '") + *f + "'";
        Exec("INSERT INTO " + Prefix() +
             "CAT_PROFILE (CAT_PROFILE_ID, CAT_PROFILE_NAME, BIB_ADD, BIB_UPDATE, BIB_DELETE, HOLD_ADD, HOLD_UPDATE, "
             "HOLD_DELETE, "
             "ITEM_ADD, ITEM_UPDATE, ITEM_DELETE, AUTH_ADD, AUTH_UPDATE, AUTH_DELETE) VALUES (" +
             std::to_string(id) + ", 'p'" + values + ")");
    }
    Exec("INSERT INTO " + Prefix() + "CAT_OPERATOR VALUES ('cat1', 1), ('cat1', 2), ('partial', 3)");
    Exec("INSERT INTO " + Prefix() + "CAT_SECURITY_LOCS VALUES (1, 12), (1, 7), (2, 30), (2, 7)");
    Exec("INSERT INTO " + Prefix() + "CAT_POLICY_LOCS VALUES (12, 'Y'), (7, 'N'), (30, 'Y')");
    auto r = NewReader();
    std::string got;
    for (const char* op : {"cat1", "partial", "nobody"}) {
        r->RetrieveOperatorPermissions(op);
        for (bool f : {r->OperatorBibAdd(), r->OperatorBibUpdate(), r->OperatorBibDelete(), r->OperatorHoldAdd(),
                       r->OperatorHoldUpdate(), r->OperatorHoldDelete(), r->OperatorItemAdd(), r->OperatorItemUpdate(),
                       r->OperatorItemDelete(), r->OperatorAuthAdd(), r->OperatorAuthUpdate(), r->OperatorAuthDelete()})
            got += f ? "Y" : "N";
        got += " ";
    }
    EXPECT_EQ(got, "NYNNYNNNNNNY NNNNNNNNNNNN NNNNNNNNNNNN ");
    r->OperatorId("cat1");
    const auto sorted = [](const std::string& list) {
        Rows words;
        for (std::size_t at = 0; at < list.size();) {
            const auto blank = std::min(list.find(' ', at), list.size());
            words.push_back(list.substr(at, blank - at));
            at = blank + 1;
        }
        std::sort(words.begin(), words.end());
        return words;
    };
    EXPECT_EQ(sorted(r->RetrieveOperatorCatLocations()), (Rows{"12", "30", "7"}));  // single blanks, none at the ends
    EXPECT_EQ(sorted(r->RetrieveOperatorCatHappeningLocations()), (Rows{"12", "30"}));
    EXPECT_EQ(r->RetrieveOperatorCatLocations("nobody") + r->OperatorId(), "nobody");
}

LINKMEND_DB_TEST_SUITE(Records);

}  // namespace
}  // namespace linkmend::test

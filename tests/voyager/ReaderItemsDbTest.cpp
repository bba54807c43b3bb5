// Items and locations against both drivers.
#include "ReaderDbTest.h"

namespace linkmend::test {
namespace {

class ReaderItems : public ReaderDb {
protected:
    void Location(int id, const std::string& suppress = "N") {
        const std::string n = std::to_string(id);
        Exec("INSERT INTO " + P() +
             "LOCATION (LOCATION_ID, LOCATION_CODE, LOCATION_NAME, LOCATION_DISPLAY_NAME, "
             "LOCATION_SPINE_LABEL, SUPPRESS_IN_OPAC) VALUES (" +
             n + ", 'c" + n + "', 'n" + n + "', 'd" + n + "', 's" + n + "', '" + suppress + "')");
    }
    // Item 100 on holdings 10 of bibs 5 and 3, two statuses, two notes, and two barcodes.
    void StandardItem() {
        Exec("INSERT INTO " + P() + "BASE_CURRENCY VALUES ('Norway', 'NOK', 'Krone', 2, ',')");
        Location(1);
        Location(2, "Y");
        Exec("INSERT INTO " + P() +
             "ITEM (ITEM_ID, PERM_LOCATION, TEMP_LOCATION, ITEM_TYPE_ID, TEMP_ITEM_TYPE_ID, "
             "COPY_NUMBER, PIECES, PRICE, SPINE_LABEL, MEDIA_TYPE_ID, CREATE_DATE, MODIFY_DATE, CREATE_OPERATOR_ID, "
             "MODIFY_OPERATOR_ID, MAGNETIC_MEDIA, SENSITIZE) VALUES (100, 1, 2, 4, 0, 2, 3, 1250, 'spine', 6, " +
             Timestamp("2015-06-07 08:09:10") + ", NULL, 'maker', NULL, 'N', 'Y')");
        Exec("INSERT INTO " + P() + "MFHD_ITEM VALUES (10, 100, 'v.1', '1999', '1999', 'cap', 'free')");
        Exec("INSERT INTO " + P() + "BIB_ITEM (BIB_ID, ITEM_ID) VALUES (5, 100), (3, 100)");
        Exec("INSERT INTO " + P() + "ITEM_BARCODE VALUES (100, '39015000001', 0, NULL), (100, '39015000002', 1, NULL)");
        Exec("INSERT INTO " + P() + "ITEM_STATUS_TYPE VALUES (1, 'Not Charged'), (2, 'Charged'), (7, 'Lost')");
        Exec("INSERT INTO " + P() + "ITEM_STATUS (ITEM_ID, ITEM_STATUS) VALUES (100, 2), (100, 7)");
        Exec("INSERT INTO " + P() + "ITEM_NOTE_TYPE VALUES (1, 'Staff'), (2, 'Public')");
        Exec("INSERT INTO " + P() +
             "ITEM_NOTE (ITEM_NOTE_ID, ITEM_ID, ITEM_NOTE, ITEM_NOTE_TYPE) VALUES "
             "(1, 100, 'water damage', 1), (2, 100, 'ask at desk', 2)");
        Exec("INSERT INTO " + P() + "ITEM_TYPE (ITEM_TYPE_ID, ITEM_TYPE_CODE) VALUES (4, 'book')");
    }
};

TEST_P(ReaderItems, ItemByIdCarriesEveryFieldFormattedAndLinked) {
    StandardItem();
    auto r = NewReader();
    r->RetrieveItemRecord("100");
    EXPECT_EQ(r->ItemBarcode(), "39015000002");
    EXPECT_TRUE(r->ItemBarcodeActive());
    EXPECT_EQ(r->ItemPermLocationNumber(), "1");
    EXPECT_EQ(r->ItemTempLocationNumber(), "2");
    EXPECT_EQ(r->ItemCopyNumber(), "2");
    EXPECT_EQ(r->ItemPieces(), "3");
    EXPECT_EQ(r->ItemPrice(), "12,50");
    EXPECT_EQ(r->ItemSpineLabel(), "spine");
    EXPECT_EQ(r->ItemMediaType(), "6");
    EXPECT_EQ(r->ItemCreateOperatorID(), "maker");
    EXPECT_EQ(r->ItemUpdateDate(), "");
    EXPECT_EQ(r->ItemDateLastModifiedVB().Format(), "2015-06-07 08:09:10");
    EXPECT_EQ(r->ItemMagneticMedia(), "N");
    EXPECT_EQ(r->ItemSensitize(), "Y");
    EXPECT_EQ(r->ItemHoldRecordNumber(), "10");
    EXPECT_EQ(r->ItemEnum(), "v.1");
    EXPECT_EQ(r->ItemCaption(), "cap");
    EXPECT_EQ(r->ItemFreeText(), "free");
    EXPECT_EQ(r->ItemBibRecordNumber(), "3");
    EXPECT_EQ(r->ItemStatus(), "Charged\nLost");
    // Notes in the order stored; which comes first depends on the database, the form does not.
    const std::string a = "[Staff]:water damage\nPublic:ask at desk";
    const std::string b = "[Public]:ask at desk\nStaff:water damage";
    EXPECT_TRUE(r->ItemNote() == a || r->ItemNote() == b) << r->ItemNote();
    EXPECT_EQ(r->ItemTypeName(), "book");
    EXPECT_EQ(r->ItemPermLocationCode(), "c1");
    EXPECT_EQ(r->ItemTempLocationDisplay(), "d2");
    EXPECT_EQ(r->ItemTempLocationSpine(), "s2");
    EXPECT_EQ(r->RetrieveHoldNumberForItem("100"), "10");
    const std::string bib = r->RetrieveBibNumberForItem("100");  // either link: no order is asked for
    EXPECT_TRUE(bib == "3" || bib == "5") << bib;
}

TEST_P(ReaderItems, OnlyInactiveBarcodeIsTakenAndMarkedInactive) {
    Exec("INSERT INTO " + P() + "ITEM (ITEM_ID, PERM_LOCATION) VALUES (200, 1)");
    Exec("INSERT INTO " + P() + "ITEM_BARCODE VALUES (200, '555', 2, NULL)");
    auto r = NewReader();
    r->RetrieveItemRecord("200");
    EXPECT_EQ(r->ItemBarcode(), "555");
    EXPECT_FALSE(r->ItemBarcodeActive());
    EXPECT_EQ(r->ItemPrice(), "");
    EXPECT_EQ(r->ItemStatus(), "");
    EXPECT_EQ(r->ItemNote(), "");
    EXPECT_EQ(r->ItemTypeName(), "None");
}

TEST_P(ReaderItems, ByBarcodeFindsTheItemAndUnknownBarcodeEmptiesIt) {
    StandardItem();
    auto r = NewReader();
    r->RetrieveItemRecordByBarcode("39015000001");
    EXPECT_EQ(r->ItemRecordNumber(), "100");
    EXPECT_FALSE(r->ItemBarcodeActive());
    EXPECT_EQ(r->ItemHoldRecordNumber(), "10");
    r->RetrieveItemRecordByBarcode("123");
    EXPECT_EQ(r->ItemRecordNumber(), "");
    EXPECT_EQ(r->ItemHoldRecordNumber(), "");
    EXPECT_FALSE(r->ItemBarcodeActive());
    // SQL metacharacters in a barcode are text, not SQL.
    r->ItemBarcodeIsNumeric(false);
    r->RetrieveItemRecordByBarcode("x' OR '1'='1");
    EXPECT_EQ(r->ItemRecordNumber(), "");
    ExpectError([&] { NewReader()->RetrieveItemRecordByBarcode(); }, ObjectError(1002), "VgerRead",
                "No ItemBarcode supplied");
    ExpectError([&] { NewReader()->RetrieveItemRecord(); }, ObjectError(1001), "VgerRead",
                "No ItemRecordNumber supplied");
}

TEST_P(ReaderItems, PricesShorterThanTheDecimalsAndStatusDescriptionsFromTheCache) {
    StandardItem();
    Exec("INSERT INTO " + P() + "ITEM (ITEM_ID, PRICE, ITEM_TYPE_ID) VALUES (101, 5, 99)");
    Exec("INSERT INTO " + P() + "ITEM_STATUS (ITEM_ID, ITEM_STATUS) VALUES (101, 7)");
    auto r = NewReader();
    r->RetrieveItemRecord("100");
    const auto before = r->SqlStatementsSubmitted();
    r->RetrieveItemRecord("101");
    EXPECT_EQ(r->ItemPrice(), "0.05");
    EXPECT_EQ(r->ItemStatus(), "Lost");
    // Two barcode reads, then item, flags, holdings link, statuses, bib link, notes: no status look-up.
    EXPECT_EQ(r->SqlStatementsSubmitted() - before, 8);
    EXPECT_EQ(r->ItemTypeName(), "Item type 99 not defined");
}

TEST_P(ReaderItems, CopyItemObjectFillsTheComponentsItemData) {
    StandardItem();
    auto r = NewReader();
    r->ItemSequenceNewItemsAtTop(true);
    r->RetrieveItemRecord("100");
    CatalogItemData d;
    d.MagneticMedia(true);
    r->CopyItemObject(d);
    EXPECT_EQ(d.itemID(), 100);
    EXPECT_EQ(d.HoldingID(), 10);
    EXPECT_EQ(d.PermLocationID(), 1);
    EXPECT_EQ(d.ItemTypeID(), 4);
    EXPECT_EQ(d.TempLocationID(), 2);
    EXPECT_EQ(d.TempTypeID(), 0);
    EXPECT_EQ(d.MediaTypeID(), 6);
    EXPECT_EQ(d.CopyNumber(), 2);
    EXPECT_EQ(d.PieceCount(), 3);
    EXPECT_EQ(d.Price(), "12,50");
    EXPECT_EQ(d.Enumeration(), "v.1");
    EXPECT_EQ(d.Chron(), "1999");
    EXPECT_EQ(d.year(), "1999");
    EXPECT_EQ(d.Caption(), "cap");
    EXPECT_EQ(d.FreeText(), "free");
    EXPECT_EQ(d.SpineLabel(), "spine");
    EXPECT_TRUE(d.AddItemToTop());
    EXPECT_FALSE(d.MagneticMedia());
    EXPECT_TRUE(d.Sensitize());
}

TEST_P(ReaderItems, LocationCacheReplacesTheFirstOnceReadEntryAtTheTwentySixth) {
    for (int i = 1; i <= 27; ++i) Location(i);
    auto r = NewReader();
    std::string code, name, display, spine;
    bool suppressed = false;
    for (int i = 1; i <= 25; ++i) r->TranslateLocationID(std::to_string(i), code, name, display, spine, suppressed);
    r->TranslateLocationID("1", code, name, display, spine, suppressed);
    const auto before = r->SqlStatementsSubmitted();
    r->TranslateLocationID("2", code, name, display, spine, suppressed);  // cached: no statement
    EXPECT_EQ(r->SqlStatementsSubmitted(), before);
    EXPECT_EQ(code, "c2");
    r->TranslateLocationID("26", code, name, display, spine, suppressed);
    EXPECT_EQ(r->SqlStatementsSubmitted(), before + 1);
    ASSERT_EQ(r->Locations().Entries().size(), 25u);
    EXPECT_EQ(r->Locations().Entries()[2].id, "26");                         // 1 and 2 were read twice, 3 once
    r->TranslateLocationCode("c3", code, name, display, spine, suppressed);  // 3 is gone: read again
    EXPECT_EQ(r->SqlStatementsSubmitted(), before + 2);
    EXPECT_EQ(code, "3");
    EXPECT_EQ(name, "n3");
}

TEST_P(ReaderItems, LocationSuppressionNeedsAnUpperCaseYAndUnknownIdsAreEmpty) {
    Location(1, "Y");
    Location(2, "y");
    auto r = NewReader();
    std::string code = "keep", name, display, spine;
    bool suppressed = false;
    r->TranslateLocationID("1", code, name, display, spine, suppressed);
    EXPECT_TRUE(suppressed);
    r->TranslateLocationID("2", code, name, display, spine, suppressed);
    EXPECT_FALSE(suppressed);
    r->TranslateLocationID("77", code, name, display, spine, suppressed);
    EXPECT_EQ(code + name + display + spine, "");
    const auto before = r->SqlStatementsSubmitted();
    r->TranslateLocationID("77", code, name, display, spine, suppressed);  // the empty answer is cached too
    EXPECT_EQ(r->SqlStatementsSubmitted(), before);
    ExpectError([&] { r->TranslateLocationID("1' OR '1'='1", code, name, display, spine, suppressed); }, 380,
                "VgerRead", "Invalid value for location id: 1' OR '1'='1");
    ExpectError([&] { r->RetrieveHoldNumberForItem("1'"); }, 380, "VgerRead",
                "Invalid value for ItemRecordNumber property");
    EXPECT_EQ(r->RetrieveHoldNumberForItem(""), "");
}

TEST_P(ReaderItems, LinkSearchesOpenResultSetsForTheCaller) {
    StandardItem();
    Exec("INSERT INTO " + P() + "MFHD_ITEM (MFHD_ID, ITEM_ID) VALUES (10, 99)");
    Exec("INSERT INTO " + P() + "BIB_MFHD VALUES (5, 10), (5, 11), (6, 10)");
    auto r = NewReader();
    std::int16_t s = 0;
    r->SearchItemNumbersForHold("10", s);
    EXPECT_GE(s, 1);
    EXPECT_EQ(r->HoldRecordNumber(), "10");
    std::string items;
    while (r->GetNextRow(s)) items += r->CurrentRow(1) + " ";
    EXPECT_EQ(items, "99 100 ");
    std::int16_t t = 0;
    r->SearchHoldNumbersForBib("5", t);
    EXPECT_NE(t, s);
    ASSERT_TRUE(r->GetNextRow(t));
    EXPECT_EQ(r->CurrentRow(1), "10");
    ASSERT_TRUE(r->GetNextRow(t));
    EXPECT_EQ(r->CurrentRow(1), "11");
    r->SearchBibNumbersForHold("10", s);  // reuses set s
    ASSERT_TRUE(r->GetNextRow(s));
    EXPECT_EQ(r->CurrentRow(1), "5");
    r->SearchBarcodesForItem("100", s);
    int barcodes = 0;
    while (r->GetNextRow(s)) ++barcodes;
    EXPECT_EQ(barcodes, 2);
    r->SearchItemBarcode("39015000002", s);
    ASSERT_TRUE(r->GetNextRow(s));
    EXPECT_EQ(r->CurrentRow(1), "100");
    EXPECT_EQ(r->CurrentRow(2), "1");
}

// Only SQLite keeps text in a number column, so only there can an item carry a value the item
// data object cannot take.
TEST(ReaderItemCopy, ANumberThatIsNoNumberIsRefusedWithItsName) {
    TempDir profile;
    setenv("LINKMEND_PROFILE_DIR", profile.Path().c_str(), 1);
    auto db = testdb::DatabaseOrSkip(testdb::DbKind::Sqlite);
    if (!db) return;
    odbc::Connection owner;
    owner.Connect(db->Dsn(), db->Uid(), db->Pwd());
    owner.Execute("INSERT INTO " + db->Prefix() +
                  "ITEM (ITEM_ID, PERM_LOCATION, COPY_NUMBER, MAGNETIC_MEDIA) "
                  "VALUES (300, 4, 'two', 'maybe')");
    VgerReaderClass7 r;
    r.DSN(db->ReadOnlyDsn());
    r.TableNamePrefix(db->Prefix());
    r.uID("reader");
    r.PWD("reader");
    r.RetrieveItemRecord("300");
    EXPECT_EQ(r.ItemCopyNumber(), "two");
    CatalogItemData d;
    d.MagneticMedia(true);
    ExpectError([&] { r.CopyItemObject(d); }, 380, "VgerRead", "CopyItemObject: invalid value for Copy (two)");
    EXPECT_EQ(d.itemID(), 300);  // the values before it are set
    EXPECT_EQ(d.PermLocationID(), 4);
    EXPECT_TRUE(d.MagneticMedia());
}

}  // namespace

LINKMEND_DB_TEST_SUITE(ReaderItems);

}  // namespace linkmend::test

// Records read by the block give, octet for octet and field for field, what the single retrievals
// give, in a few statements, on both drivers.
#include "ReaderDb.h"
#include "kit/Octets.h"

namespace linkmend::test {
namespace {

class ReaderBlocks : public ReaderDb {
protected:
    void Row(const std::string& table, const std::string& values) {
        Exec("INSERT INTO " + Prefix() + table + " VALUES (" + values + ")");
    }
};

std::vector<std::string> Texts(const RecordHistory& h) {
    return {h.createDate, h.createOperator, h.updateDate, h.updateOperator};
}

TEST_P(ReaderBlocks, MixedBlockGivesWhatTheSingleRetrievalsGive) {
    Row("LIBRARY", "1, 'Main', 'Main Library', 'MAIN'");
    Row("LIBRARY", "2, 'Law', 'Law Library', 'LAW'");
    Exec("INSERT INTO " + Prefix() + "LOCATION (LOCATION_ID, LOCATION_CODE) VALUES (5, 'main')");
    // Bibs: two whole segments and a short one; a first segment stored without its trailing blanks;
    // suppressed with a small "n"; an empty segment that ends the record; no master row; no segments
    // but a master row (empty, its library still looked up).
    const std::string whole = RecordOf(2380);
    Segments("BIB", 11, {whole.substr(0, 990), whole.substr(990, 990), whole.substr(1980)});
    Exec("INSERT INTO " + Prefix() + "BIB_MASTER (BIB_ID, LIBRARY_ID, SUPPRESS_IN_OPAC) VALUES (11, 1, 'N')");
    Segments("BIB", 12, {RecordOf(985, 'a'), RecordOf(700, 'b') + "  "});
    Exec("INSERT INTO " + Prefix() + "BIB_MASTER (BIB_ID, LIBRARY_ID, SUPPRESS_IN_OPAC) VALUES (12, 2, 'n')");
    Segments("BIB", 13, {RecordOf(40, 'c'), "", RecordOf(30, 'd')});
    Exec("INSERT INTO " + Prefix() + "BIB_MASTER (BIB_ID, LIBRARY_ID, SUPPRESS_IN_OPAC) VALUES (14, 2, 'N')");
    History("BIB", 11, "2024-01-02 10:00:00", "maker", 1);
    History("BIB", 11, "2024-03-04 09:00:00", "first", 2);
    History("BIB", 11, "2024-05-06 08:00:00", "newest", 2);
    History("BIB", 12, "2024-02-02 11:00:00", "only", 1);
    // Holdings: linked to bibs 12 and 11 (the lower one counts), suppressed with a small "y"; one in a
    // location LOCATION does not have; one without segments.
    Segments("MFHD", 21, {RecordOf(296, 'h'), RecordOf(300, 'i'), RecordOf(40, 'j')});
    Segments("MFHD", 22, {RecordOf(120, 'k')});
    Row("MFHD_MASTER", "21, 5, 'y', 'QA 76', 'QA76', '0', NULL, NULL");
    Row("MFHD_MASTER", "22, 9, 'N', NULL, NULL, NULL, NULL, NULL");
    Row("BIB_MFHD", "12, 21");
    Row("BIB_MFHD", "11, 21");
    Row("BIB_MFHD", "13, 22");
    History("MFHD", 21, "2024-01-03 10:00:00", "early", 1);
    History("MFHD", 21, "2024-01-01 10:00:00", "earliest", 1);
    History("MFHD", 21, "2024-04-01 10:00:00", "changer", 2);
    // An authority, and an item with an inactive then an active barcode, two statuses and a note.
    Segments("AUTH", 31, {RecordOf(990, 'x'), RecordOf(10, 'y')});
    History("AUTH", 31, "2024-07-01 10:00:00", "auth", 1);
    Exec("INSERT INTO " + Prefix() + "ITEM (ITEM_ID, PERM_LOCATION, COPY_NUMBER, SPINE_LABEL, MAGNETIC_MEDIA) VALUES " +
         "(41, 5, 2, 'Spine', 'Y')");
    Row("ITEM_BARCODE", "41, '39000000000001', 0, NULL");
    Row("ITEM_BARCODE", "41, '39000000000002', 1, NULL");
    Row("ITEM_STATUS_TYPE", "1, 'Not Charged'");
    Row("ITEM_STATUS_TYPE", "2, 'Charged'");
    Row("ITEM_STATUS", "41, 1, NULL");
    Row("ITEM_STATUS", "41, 2, NULL");
    Row("ITEM_NOTE_TYPE", "1, 'Staff'");
    Exec("INSERT INTO " + Prefix() + "ITEM_NOTE (ITEM_ID, ITEM_NOTE, ITEM_NOTE_TYPE) VALUES (41, 'Fragile', 1)");
    Row("MFHD_ITEM", "21, 41, 'v.1', NULL, '2024', NULL, NULL");
    Row("BIB_ITEM", "12, 41, NULL");

    BlockRequest request{{"11", "12", "13", "14", "15"}, {"21", "22", "23"}, {"31", "32"}, {"41"}, true, true};
    auto block = NewReader();
    const RecordBlock got = block->RetrieveRecordBlock(request);
    // A handful of statements for the whole block, not some per record.
    EXPECT_LE(block->SqlStatementsSubmitted(), 25) << block->SqlStatementsSubmitted();

    auto single = NewReader();
    for (const std::string& id : request.bibs) {
        SCOPED_TRACE("bib " + id);
        single->RetrieveBibRecord(id);
        const BibBlockRecord& b = got.bibs.at(id);
        EXPECT_TRUE(OctetsEqual(single->BibRecord(), b.record));
        EXPECT_EQ(b.suppressed, single->BibRecordIsSuppressed());
        EXPECT_EQ(b.owningLibrary, single->BibOwningLibraryNumber());
        EXPECT_EQ(got.libraries.at(id), single->BibOwningLibraryNumber());
        EXPECT_EQ(Texts(b.history), (std::vector<std::string>{single->BibCreateDate(), single->BibCreateOperatorID(),
                                                              single->BibUpdateDate(), single->BibUpdateOperatorID()}));
    }
    EXPECT_EQ(got.bibs.at("11").history.updateOperator, "newest");
    for (const std::string& id : request.holdings) {
        SCOPED_TRACE("holdings " + id);
        single->RetrieveHoldRecord(id);
        const HoldBlockRecord& h = got.holdings.at(id);
        EXPECT_TRUE(OctetsEqual(single->HoldRecord(), h.record));
        EXPECT_EQ((std::vector<std::string>{h.bibRecordNumber, h.locationId, h.callNoNormalized, h.callNoDisplay,
                                            h.callNoType}),
                  (std::vector<std::string>{single->HoldBibRecordNumber(), single->HoldLocationID(),
                                            single->HoldCallNoNormalized(), single->HoldCallNoDisplay(),
                                            single->HoldCallNoType()}));
        EXPECT_EQ(h.multiplyLinked, single->HoldRecordIsMultiplyLinked());
        EXPECT_EQ(h.suppressed, single->HoldRecordIsSuppressed());
        EXPECT_EQ(Texts(h.history),
                  (std::vector<std::string>{single->HoldCreateDate(), single->HoldCreateOperatorID(),
                                            single->HoldUpdateDate(), single->HoldUpdateOperatorID()}));
        if (!h.bibRecordNumber.empty()) {
            single->BibRecordNumber(h.bibRecordNumber);
            EXPECT_EQ(got.libraries.at(h.bibRecordNumber), single->BibOwningLibraryNumber());
        }
    }
    EXPECT_TRUE(got.holdings.at("21").multiplyLinked && got.holdings.at("21").suppressed);
    EXPECT_EQ(got.holdings.at("21").history.createOperator, "earliest");
    for (const std::string& id : request.authorities) {
        SCOPED_TRACE("authority " + id);
        single->RetrieveAuthRecord(id);
        EXPECT_TRUE(OctetsEqual(single->AuthRecord(), got.authorities.at(id).record));
        EXPECT_EQ(Texts(got.authorities.at(id).history),
                  (std::vector<std::string>{single->AuthCreateDate(), single->AuthCreateOperatorID(),
                                            single->AuthUpdateDate(), single->AuthUpdateOperatorID()}));
    }
    single->RetrieveItemRecord("41");
    block->UseBlockItem("41", got.items.at("41"));
    const auto itemOf = [](VgerReaderClass7& r) {
        return std::vector<std::string>{r.ItemRecordNumber(),
                                        r.ItemBarcode(),
                                        r.ItemBarcodeActive() ? "active" : "",
                                        r.ItemPermLocationNumber(),
                                        r.ItemCopyNumber(),
                                        r.ItemSpineLabel(),
                                        r.ItemMagneticMedia(),
                                        r.ItemHoldRecordNumber(),
                                        r.ItemEnum(),
                                        r.ItemYear(),
                                        r.ItemStatus(),
                                        r.ItemBibRecordNumber(),
                                        r.ItemNote()};
    };
    EXPECT_EQ(itemOf(*block), itemOf(*single));
    EXPECT_EQ(block->ItemBarcode(), "39000000000002");
    EXPECT_EQ(got.items.at("41").owningLibrary, single->OwningLibraryForItem("41"));
}

}  // namespace

LINKMEND_DB_TEST_SUITE(ReaderBlocks);

}  // namespace linkmend::test

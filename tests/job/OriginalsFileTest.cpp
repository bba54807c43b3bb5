// The originals file as a production run writes it and a restore reads it back: records written,
// refused (cut off again) and the last one of a stopped run (no date), then read one at a time from
// the file, which must still hold them.
#include <gtest/gtest.h>

#include <filesystem>

#include "job/OriginalsFile.h"
#include "job/RunFiles.h"
#include "kit/Files.h"
#include "kit/MarcBuilder.h"

using namespace linkmend;
using namespace linkmend::test;

TEST(OriginalsFileTest, WrittenRefusedAndStoppedRecordsReadBackOneAtATime) {
    TempDir dir;
    const std::string mrc = dir.File("X.Originals.mrc");
    const std::string r1 = BuildRecord({"001 1", "856 40 $uhttp://a/"}), r2 = BuildRecord({"001 2", "245 00 $aT"}),
                      r3 = BuildRecord({"001 3", "245 00 $aU"}), r4 = BuildRecord({"001 4", "245 00 $aV"});
    const DateTime date = DateTime::Parse("2024-05-01 10:00:00");
    {
        TextFile records, list;
        records.Create(mrc);
        list.Create(dir.File("X.Originals.txt"));
        OriginalsWriter w;
        w.Open(records, list);
        w.Save({"1", "B"}, r1);
        w.Written(date);
        w.Save({"7", "H"}, r2);
        w.Withdraw();  // refused: neither its octets nor its line stay
        w.Save({"3", "A"}, r3);
        w.Written(date);
        w.Save({"4", "B"}, r4);  // the run stopped during this write-back
        records.Close();
        list.Close();
    }
    EXPECT_EQ(ReadFile(dir.File("X.Originals.txt")),
              "B\t1\t2024-05-01 10:00:00\r\nA\t3\t2024-05-01 10:00:00\r\nB\t4\t");
    Originals o;
    ASSERT_EQ(ReadOriginals(dir.File("X.Originals.txt"), o), "");
    ASSERT_EQ(o.records.size(), 3u);
    EXPECT_EQ(o.Octets(o.records[2]), r4);
    EXPECT_EQ(o.Octets(o.records[0]), r1);
    EXPECT_EQ(o.Octets(o.records[1]), r3);
    EXPECT_TRUE(o.records[1].written && !o.records[2].written);
    // A file cut short after it was checked ends the restore with a file error, never a short record.
    std::filesystem::resize_file(mrc, r1.size() + 10);
    EXPECT_THROW(o.Octets(o.records[1]), RunFileError);
}

#include <gtest/gtest.h>

#include "base/Numeric.h"
#include "marc/Utf8MarcRecordClass.h"

// The settings readers that cannot hold a record object judge truth texts with IsTrueText; on the
// ASCII texts settings files hold it must agree with the record services' IsTrue (which also folds
// accented letters, so "y\u00e9s" is true only there).
TEST(TruthTextsTest, RecordServicesAndSettingsReadersAgree) {
    linkmend::Utf8MarcRecordClass record;
    for (const char* text :
         {"TRUE", "true", " Yes ", "y",     "T",     "1",   "-1",    "",      "no",    "False", "F",  "0",
          "-",    "- 1",  "T.",    "'yes'", "\"Y\"", "1 1", "tr ue", "TRUE!", "yes\t", "Y E S", "&y", "+1"}) {
        EXPECT_EQ(linkmend::IsTrueText(text), record.IsTrue(text)) << "[" << text << "]";
    }
}

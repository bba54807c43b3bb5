#include <gtest/gtest.h>

#include "base/Numeric.h"
#include "marc/Utf8MarcRecordClass.h"

// The settings readers that cannot hold a record object judge truth texts with IsTrueText; it must
// agree with the record services' IsTrue on every text.
TEST(TruthTextsTest, RecordServicesAndSettingsReadersAgree) {
    linkmend::Utf8MarcRecordClass record;
    for (const char* text : {"TRUE", "true", " Yes ", "y", "T", "1", "-1", "", "no", "False", "F", "0", "-",
                             "- 1", "T.", "'yes'", "\"Y\"", "1 1", "tr ue", "TRUE!", "y\xC3\xA9s", "yes\t"}) {
        EXPECT_EQ(linkmend::IsTrueText(text), record.IsTrue(text)) << "[" << text << "]";
    }
}

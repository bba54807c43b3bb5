#include <gtest/gtest.h>

#include "base/Error.h"
#include "voyager/IndexCodes.h"
#include "voyager/ReaderValues.h"

namespace linkmend {
namespace {

void ExpectVersion(const char* text, int major, int minor, int third) {
    const VgerVersionParts p = ParseVgerVersion(text);
    EXPECT_EQ(p.major, major) << text;
    EXPECT_EQ(p.minor, minor) << text;
    EXPECT_EQ(p.third, third) << text;
}

TEST(ParseVgerVersion, TwoDigitYearsBecomeNineteenHundredsOthersStay) {
    ExpectVersion("99.2", 1999, 0, 0);
    ExpectVersion("96", 1996, 0, 0);
    ExpectVersion("2001.2.1", 2001, 2, 1);
    ExpectVersion("7.2", 7, 2, 0);
    ExpectVersion("8.1.0.7", 8, 1, 0);
    ExpectVersion("1998.1", 1998, 1, 0);
    ExpectVersion("95.3", 95, 3, 0);
}

TEST(FormatItemPrice, BaseCurrencyDecimalsAndDelimiter) {
    EXPECT_EQ(FormatItemPrice("1250", 2, ","), "12,50");
    EXPECT_EQ(FormatItemPrice("5", 2, ","), "0.05");
    EXPECT_EQ(FormatItemPrice("42", 2, "."), ".42");
    EXPECT_EQ(FormatItemPrice("1250", 0, ","), "1250");
    EXPECT_EQ(FormatItemPrice("", 2, ","), "");
    EXPECT_EQ(FormatItemPrice("7", 3, "."), "0.007");
}

void ExpectCodeError(bool authority, const char* tag, const char* sub, int offset, const char* text) {
    try {
        StandardNumberIndexCode(authority, tag, sub);
        ADD_FAILURE() << "no error for " << tag << " " << sub;
    } catch (const LinkmendError& e) {
        EXPECT_EQ(e.Number(), ObjectError(offset)) << tag << " " << sub;
        EXPECT_EQ(e.Source(), "VgerRead");
        EXPECT_EQ(e.Description(), text);
    }
}

TEST(StandardNumberIndexCode, BibliographicCodesAndAsteriskLists) {
    EXPECT_EQ(StandardNumberIndexCode(false, "020", "a"), "020A");
    EXPECT_EQ(StandardNumberIndexCode(false, "035", "9"), "0359");
    EXPECT_EQ(StandardNumberIndexCode(false, "022", "*"), "('022A', '022Y', '022Z')");
    EXPECT_EQ(StandardNumberIndexCode(false, "010", "*"), "('010A', '010Z')");
    EXPECT_EQ(StandardNumberIndexCode(false, "035", "*"), "('035A', '035Z', '0359')");
    EXPECT_EQ(StandardNumberIndexCode(false, "028", "*"), "028A");
    EXPECT_EQ(StandardNumberIndexCode(false, "020z", ""), "020Z");
    EXPECT_TRUE(IsIndexCodeList("('020A', '020Z')"));
    EXPECT_FALSE(IsIndexCodeList("020A"));
}

TEST(StandardNumberIndexCode, AuthorityCodesOnlyFromTheIndexesKept) {
    EXPECT_EQ(StandardNumberIndexCode(true, "010", "z"), "A10Z");
    EXPECT_EQ(StandardNumberIndexCode(true, "035", "a"), "A35A");
    EXPECT_EQ(StandardNumberIndexCode(true, "010", "*"), "('A10A', 'A10Z')");
    EXPECT_EQ(StandardNumberIndexCode(true, "035", "*"), "A35A");
    ExpectCodeError(true, "020", "a", 1022, "Invalid combination of tag and subfield code");
    ExpectCodeError(true, "020", "*", 1022, "Invalid combination of tag and subfield code");
    ExpectCodeError(false, "245", "*", 1022,
                    "Invalid combination of StandardNumberSubfieldCode and StandardNumberTag properties");
}

TEST(StandardNumberIndexCode, BadTagOrSubfieldCodeLengths) {
    ExpectCodeError(false, "020", "", 1035, "Invalid value for subfield code");
    ExpectCodeError(false, "020", "ab", 1035, "Invalid value for subfield code");
    ExpectCodeError(false, "", "a", 1034, "Invalid value for tag");
    ExpectCodeError(true, "02", "a", 1034, "Invalid value for tag");
}

TEST(IndexCodes, CallNumberTypesAndHeadingCategories) {
    EXPECT_EQ(CallNumberIndexCode("0"), "0500");
    EXPECT_EQ(CallNumberIndexCode("1"), "0820");
    EXPECT_EQ(CallNumberIndexCode("2"), "0600");
    EXPECT_EQ(CallNumberIndexCode("3"), "0700");
    EXPECT_EQ(CallNumberIndexCode("8"), "");
    EXPECT_EQ(BibHeadingIndexCodes(" personal ").list, "('100H', '400H', '600H', '700H', '800H')");
    EXPECT_EQ(BibHeadingIndexCodes("CORPORATE").list,
              "('110H', '111H', '410H', '411H', '610H', '611H', '651H', '710H', '711H', '810H', '811H')");
    EXPECT_EQ(BibHeadingIndexCodes("650").list, "('650H')");
    EXPECT_EQ(BibHeadingIndexCodes("650").tag, "650");
    EXPECT_EQ(BibHeadingIndexCodes("Subject").tag, "650");
    EXPECT_EQ(BibHeadingIndexCodes("AUTHORS").list, "");
    EXPECT_EQ(BibHeadingIndexCodes("65").list, "");
}

}  // namespace
}  // namespace linkmend

// Operator permissions and cataloguing locations against both drivers.
#include <algorithm>
#include <sstream>

#include "ReaderDbTest.h"

namespace linkmend::test {
namespace {

class ReaderOperator : public ReaderDb {
protected:
    // Profile with the twelve permission values given as a 12-character text ('-' for NULL).
    void Profile(int id, const std::string& flags) {
        std::string values;
        for (char c : flags) values += c == '-' ? std::string(", NULL") : std::string(", '") + c + "'";
        Exec("INSERT INTO " + P() +
             "CAT_PROFILE (CAT_PROFILE_ID, BIB_ADD, BIB_UPDATE, BIB_DELETE, HOLD_ADD, "
             "HOLD_UPDATE, HOLD_DELETE, ITEM_ADD, ITEM_UPDATE, ITEM_DELETE, AUTH_ADD, AUTH_UPDATE, AUTH_DELETE, "
             "CAT_PROFILE_NAME) VALUES (" +
             std::to_string(id) + values + ", 'p" + std::to_string(id) + "')");
    }
    void Operator(const std::string& op, int profile) {
        Exec("INSERT INTO " + P() + "CAT_OPERATOR VALUES ('" + op + "', " + std::to_string(profile) + ")");
    }
    static std::vector<bool> Flags(VgerReaderClass7& r) {
        return {r.OperatorBibAdd(),     r.OperatorBibUpdate(),  r.OperatorBibDelete(),  r.OperatorHoldAdd(),
                r.OperatorHoldUpdate(), r.OperatorHoldDelete(), r.OperatorItemAdd(),    r.OperatorItemUpdate(),
                r.OperatorItemDelete(), r.OperatorAuthAdd(),    r.OperatorAuthUpdate(), r.OperatorAuthDelete()};
    }
    static std::vector<std::string> Sorted(const std::string& list) {
        std::istringstream in(list);
        std::vector<std::string> out;
        for (std::string w; in >> w;) out.push_back(w);
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_P(ReaderOperator, PermissionsAreTheUnionOfTheProfilesAndOnlyUpperCaseYGrants) {
    Profile(1, "NYNNNNNNNyNN");
    Profile(2, "NNNNYNNNNNNY");
    Operator("cat1", 1);
    Operator("cat1", 2);
    auto r = NewReader();
    r->RetrieveOperatorPermissions("cat1");
    EXPECT_EQ(r->OperatorId(), "cat1");
    EXPECT_EQ(Flags(*r),
              (std::vector<bool>{false, true, false, false, true, false, false, false, false, false, false, true}));
}

TEST_P(ReaderOperator, EmptyFirstColumnEndsTheScanAndUnknownOperatorsHaveNothing) {
    Profile(1, "-YYYYYYYYYYY");
    Profile(2, "YYYYYYYYYYYY");
    Operator("partial", 1);
    Operator("full", 2);
    auto r = NewReader();
    r->RetrieveOperatorPermissions("partial");
    EXPECT_EQ(Flags(*r), std::vector<bool>(12, false));
    r->RetrieveOperatorPermissions("full");
    EXPECT_EQ(Flags(*r), std::vector<bool>(12, true));
    r->RetrieveOperatorPermissions("nobody");  // flags are cleared for every call
    EXPECT_EQ(Flags(*r), std::vector<bool>(12, false));
    r->RetrieveOperatorPermissions("x' OR '1'='1");
    EXPECT_EQ(Flags(*r), std::vector<bool>(12, false));
}

TEST_P(ReaderOperator, CataloguingLocationsAndHappeningLocations) {
    Profile(1, "YYYYYYYYYYYY");
    Profile(2, "YYYYYYYYYYYY");
    Operator("cat1", 1);
    Operator("cat1", 2);
    Exec("INSERT INTO " + P() + "CAT_SECURITY_LOCS VALUES (1, 12), (1, 7), (2, 30), (2, 7)");
    Exec("INSERT INTO " + P() + "CAT_POLICY_LOCS VALUES (12, 'Y'), (7, 'N'), (30, 'Y')");
    auto r = NewReader();
    r->OperatorId("cat1");
    const std::string all = r->RetrieveOperatorCatLocations();
    EXPECT_EQ(Sorted(all), (std::vector<std::string>{"12", "30", "7"}));
    EXPECT_EQ(all.size(), 7u);  // single blanks, none at either end, each location once
    const std::string happening = r->RetrieveOperatorCatHappeningLocations();
    EXPECT_EQ(Sorted(happening), (std::vector<std::string>{"12", "30"}));
    EXPECT_EQ(r->RetrieveOperatorCatLocations("nobody"), "");
    EXPECT_EQ(r->OperatorId(), "nobody");
}

}  // namespace

LINKMEND_DB_TEST_SUITE(ReaderOperator);

}  // namespace linkmend::test

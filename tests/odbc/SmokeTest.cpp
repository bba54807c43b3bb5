#include "DbTest.h"
#include "odbc/VgerReaderDllClass6.h"

using namespace linkmend;
using namespace linkmend::testdb;

class Smoke : public DbTest {};

TEST_P(Smoke, Connects) {
    VgerReaderDllClass6 e;
    e.DSN(Db().Dsn()); e.uID(Db().Uid()); e.PWD(Db().Pwd());
    e.SQLString("SELECT RAWTOHEX('caf' || HEXTORAW('C3A9') || ''), 2, 3");
    e.ExecuteSQL(0);
    e.GetNextRow();
    EXPECT_EQ(e.CurrentRow(1), "636166C3A9");
}
LINKMEND_DB_TEST_SUITE(Smoke);

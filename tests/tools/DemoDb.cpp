#include "DemoDb.h"

#include "PgCluster.h"

namespace linkmend::test {

std::vector<std::string> DemoDb::TargetArgs() const {
    if (IsSqlite()) return {"--sqlite", Db().Name()};
    const auto& cluster = testdb::TestCluster();
    return {"--postgres",
            "host=127.0.0.1 port=" + std::to_string(cluster.port) + " dbname=" + Db().Name() + " user=" + Db().Uid(),
            "--psql", cluster.bindir + "/psql"};
}

std::vector<std::string> DemoDb::TargetEnv() const {
    if (IsSqlite()) return {};
    return {"PGPASSWORD=" + Db().Pwd()};
}

std::map<std::string, std::string> DemoDb::Generate(int bibs, int seed, const std::string& matching) {
    std::vector<std::string> args = TargetArgs();
    const std::string summary = work_.File("summary-" + std::to_string(seed) + ".json");
    args.insert(args.end(), {"--bibs", std::to_string(bibs), "--seed", std::to_string(seed), "--matching", matching,
                             "--summary", summary});
    const auto r = RunGenerator(args, TargetEnv());
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return ReadSummary(summary);
}

odbc::Connection& DemoDb::Reader() {
    if (!reader_) {
        reader_ = std::make_unique<odbc::Connection>();
        // SQLite ignores the account; the read-only data source opens the file read-only.
        reader_->Connect(Db().ReadOnlyDsn(), Db().ReadOnlyUid().empty() ? "dbread" : Db().ReadOnlyUid(),
                         Db().ReadOnlyPwd().empty() ? "dbread-demo" : Db().ReadOnlyPwd());
    }
    return *reader_;
}

DemoDb::Records DemoDb::LoadRecords(const std::string& table) {
    Records r;
    r.stored = ReadStoredRecords(Reader(), Prefix(), table);
    std::string all;
    for (const auto& s : r.stored) all += s.octets;
    r.decoded = DecodeWithMarcRecord(all);
    EXPECT_EQ(r.decoded.size(), r.stored.size()) << table << ": MARC::Record split the records differently";
    return r;
}

}  // namespace linkmend::test

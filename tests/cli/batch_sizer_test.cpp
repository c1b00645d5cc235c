// The batch sizer through the built program: exit codes, what goes to standard output and
// standard error, and both JSON forms.
#include "batch_sizer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

#include "../core/test_lines.h"

namespace cli {
namespace {

using core::testing::BpdLine;
using core::testing::BpsLine;
using core::testing::Put;

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
    QStringList errLines() const { return err.split('\n', Qt::SkipEmptyParts); }
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
};

CliRun RunCli(const QStringList& arguments) {
    QProcess process;
    process.start(LOOMSTEAD_CLI_PATH, arguments);
    process.waitForFinished(60000);
    CliRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// One line of JSON, object keys in alphabetical order, `path` written as PATH.
std::string Compact(const QJsonValue& v, const QString& path = {}) {
    const QJsonDocument d = v.isArray() ? QJsonDocument(v.toArray()) : QJsonDocument(v.toObject());
    QString text = QString::fromUtf8(d.toJson(QJsonDocument::Compact));
    return (path.isEmpty() ? text : text.replace(path, "PATH")).toStdString();
}

// `field` of every object of `objects` (of those whose `filter` is true), joined by blanks.
QString Fields(const QJsonValue& objects, const char* field, const char* filter = nullptr) {
    QStringList values;
    for (const QJsonValue& v : objects.toArray()) {
        if (filter == nullptr || v[filter].toBool()) {
            values << v[field].toVariant().toString();
        }
    }
    return values.join(' ');
}

class BatchSizerTest : public ::testing::Test {
protected:
    // Lines with CR LF after a header line.
    QString WriteFile(const QString& name, const std::vector<std::string>& lines,
                      const std::string& header = "LOOMSTEAD STATISTICS ENV=TEST") {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write((header + "\r\n").c_str());
        for (const std::string& line : lines) {
            file.write((line + "\r\n").c_str());
        }
        return path;
    }

    // Line store: 0 BP0, 1-2 its objects, 3 BP1, 4-6 its objects (5 an index space), 7 BP7,
    // 8-9 its work files, 10 BP8 directly followed by 11 BP9, the last line.
    QString PoolsFile() {
        return WriteFile(
            "pools.sta",
            {Put(BpsLine("BP0", "1000", "500", "100", "1000"), 142, "08.00.00"),
             BpdLine("DB1.TS1", 'T', "30000", "500"), BpdLine("DB1.TS2", 'T', "30000", "500"),
             BpsLine("BP1", "2000", "0", "300", "1000"), BpdLine("DB2.TS1", 'T', "0", "0"),
             BpdLine("DB2.IX1", 'I', "junk", "junk"), BpdLine("DB2.TS2"),
             BpsLine("BP7", "900", "0", "900", "1000"), BpdLine("DSNDB07.DSN4K01"),
             BpdLine("DSNDB07.DSN4K02"), BpsLine("BP8", "4000", "0", "500", "1000"),
             BpsLine("BP9")});
    }

    QTemporaryDir m_dir;
};

TEST_F(BatchSizerTest, WorkedExampleAsText) {
    std::vector<std::string> lines = {
        Put(BpsLine("BP1", "2000", "0", "300", "1000"), 142, "10.15.32")};
    for (int i = 0; i < 120; ++i) {
        const std::string name = "DB1.OBJ" + std::to_string(i);
        lines.push_back(i < 80 ? BpdLine(name, 'T', "500", i < 40 ? "12" : "13")
                               : BpdLine(name, 'I', "99999", "1"));
    }
    const CliRun run = RunCli({"--members", "2", "--share", "BP1", WriteFile("worked.sta", lines)});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.toStdString(),
              "Loomstead sizing of 1 data file, 0.04 Mb\n"
              "\n"
              "System Information\n"
              "  Collection Time        10.15.32      No of Shared DB2       2\n"
              "  No Of Pools Shared     1             Total System Objects   119\n"
              "\n"
              "Recommendations\n"
              "  SCA Size               8 Mb          IRLM ECSA Size         6 Mb\n"
              "  Lock Structure Size    8 Mb          Total Memory Required  30 Mb\n"
              "  Directory/Data Ratio   3\n"
              "\n"
              "Pool  Shared  Cache All  VP Size  HP Size  GBP Size\n"
              "BP1      120          0     2000        0      2000\n"
              "\n"
              "GBP pages of every pool row: 2000\n");
}

TEST_F(BatchSizerTest, SizingJsonWithShareAll) {
    const QString path = PoolsFile();
    const CliRun run = RunCli({"--share-all", "--members", " 2 ", "--format", "json", path});
    ASSERT_EQ(run.exitCode, 0);
    // BP7 holds only work files; BP8 and BP9 have no object lines and are shared all the same.
    const QString zero =
        "In pools.sta, pool BP9: its VP size and its activity ratio's denominator read as 0, so "
        "its GBP size there may be 0.";
    EXPECT_EQ(run.errLines(),
              (QStringList{"Pool BP7 will not be shared because it has only DSNDB07 Objects in "
                           "the File: " +
                               path,
                           "warning: " + zero}));
    QJsonObject o = run.json();
    EXPECT_EQ(Fields(o.take("warnings"), "code"), "pool_statistics_zero");
    EXPECT_EQ(o.take("why").toObject().keys(),
              (QStringList{"directory_data_ratio", "irlm_ecsa_size_mb", "lock_structure_size_mb",
                           "sca_size_mb", "total_memory_mb"}));
    // Every key that was there before the traces stays as it was.
    QJsonArray pools;
    for (const QJsonValue& pool : o.take("pools").toArray()) {
        QJsonObject p = pool.toObject();
        EXPECT_TRUE(p.take("why").isArray());
        pools.append(p);
    }
    o["pools"] = pools;
    // Directory ratio 60000 / 1000 / 20 + 0.5 = 3.5 -> 4; memory 8 + 28 + 6 + 8.
    EXPECT_EQ(
        Compact(o, path),
        R"({"collection_time":"08.00.00","data_size":"0.00 Mb","directory_data_ratio":4,)"
        R"("gbp_total_pages":7000,"irlm_ecsa_size_mb":6,"lock_structure_size_mb":8,"pools":[)"
        R"({"cache_all":0,"gbp_size":1000,"hp_size":500,"pool":"BP0","shared":2,"vp_size":1000},)"
        R"({"cache_all":0,"gbp_size":2000,"hp_size":0,"pool":"BP1","shared":3,"vp_size":2000},)"
        R"({"cache_all":0,"gbp_size":4000,"hp_size":0,"pool":"BP8","shared":0,"vp_size":4000},)"
        R"({"cache_all":0,"gbp_size":0,"hp_size":0,"pool":"BP9","shared":0,"vp_size":0}],)"
        R"("pools_shared":4,"refused":[{"file":"PATH","pool":"BP7"}],"sca_size_mb":8,)"
        R"("shared_db2":"2","total_memory_mb":50,"total_system_objects":6})");
}

TEST_F(BatchSizerTest, ListJson) {
    const QString path = PoolsFile();
    const CliRun run = RunCli({"--share", "bp1", "--share", "BP7", "--list", "--format", "json",
                               path, " " + path + " ", path.toUpper()});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errLines().size(), 1);
    QJsonObject o = run.json();
    const QJsonArray objects = o.take("objects").toArray();
    EXPECT_EQ(
        Compact(o, path),
        R"({"available_pools":["BP0","BP7","BP8","BP9"],"files":["PATH"],"lines":12,"pool_table":[)"
        R"({"cache_all":"F","dsndb07s":0,"end":2,"file_no":0,"pool":"BP0","start":1},)"
        R"({"cache_all":"F","dsndb07s":0,"end":6,"file_no":0,"pool":"BP1","start":4},)"
        R"({"cache_all":"F","dsndb07s":2,"end":9,"file_no":0,"pool":"BP7","start":8},)"
        R"({"cache_all":"F","dsndb07s":0,"end":null,"file_no":0,"pool":"BP8","start":null},)"
        R"({"cache_all":"F","dsndb07s":0,"end":11,"file_no":0,"pool":"BP9","start":null}],)"
        R"("refused":[{"file":"PATH","pool":"BP7"}],)"
        R"("shared_pools":[{"pool":"BP1","total_objects":3}]})");
    EXPECT_EQ(Fields(objects, "key"), "O1 O2 O4 O5 O6 O8 O9");
    EXPECT_EQ(Compact(objects[2]),
              R"({"cached":false,"file_no":0,"key":"O4","name":"DB2.TS1                    ",)"
              R"("pool":"BP1"})");
}

TEST_F(BatchSizerTest, CacheOptionsActAsThePageDoes) {
    const QString path = PoolsFile();
    struct Case {
        QStringList options;
        QString flags;   // Cache All of the pool rows BP0, BP1, BP7, BP8, BP9
        QString cached;  // keys of the cached objects
    };
    const Case cases[] = {
        {{"--cache-pool", "bp1"}, "F T F F F", "O4 O5 O6"},
        // Unchecking the box writes "F", and the uncaching runs after every caching.
        {{"--uncache-pool", "BP1", "--cache-pool", "BP1"}, "F F F F F", ""},
        {{"--cache-object", "O4", "--cache-object", "6"}, "F F F F F", "O4 O6"},
        {{"--cache-object", "O4", "--cache-object", "6", "--cache-object", "o5"},
         "F T F F F",
         "O4 O5 O6"},
        // Checking a checked object is no toggle: the pool stays fully cached.
        {{"--cache-pool", "BP1", "--cache-object", "O4"}, "F T F F F", "O4 O5 O6"},
        {{"--cache-pool", "BP1", "--uncache-object", "O5"}, "F F F F F", "O4 O6"},
        // A pool without object lines: its box is left as it was and Cache All still written.
        {{"--cache-pool", "BP8"}, "F F F T F", ""},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(
            QStringList{"--share", "BP1", "--share", "BP8", "--list", "--format", "json", path} +
            c.options);
        const std::string what = c.options.join(' ').toStdString();
        ASSERT_EQ(run.exitCode, 0) << what << "\n" << run.err.toStdString();
        const QJsonObject o = run.json();
        EXPECT_EQ(Fields(o["pool_table"], "cache_all"), c.flags) << what;
        EXPECT_EQ(Fields(o["objects"], "key", "cached"), c.cached) << what;
    }
}

TEST_F(BatchSizerTest, UsageErrorsPrintOneLineAndNoOutput) {
    const QString path = PoolsFile();
    // The command line's own errors are tested in command_line_test; two show the exit code.
    // O1 is BP0's object, BP0 not shared; O3 is BP1's BPS line.
    const QStringList cases[] = {{},
                                 {"--bogus", path},
                                 {"--share", "BP5", path},
                                 {"--share", "BP1", "--share", "bp1", path},
                                 {"--cache-pool", "BP0", path},
                                 {"--share-all", "--uncache-pool", "BP7", path},
                                 {"--share", "BP1", "--cache-object", "O1", path},
                                 {"--share", "BP1", "--cache-object", "O3", path},
                                 {"--share", "BP1", "--cache-object", "O99", path},
                                 {"--share", "BP1", "--uncache-object", "X4", path},
                                 {"--share", "BP1", "--cache-object", "", path}};
    for (const QStringList& arguments : cases) {
        const CliRun run = RunCli(arguments);
        const std::string what = arguments.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << what;
        EXPECT_EQ(run.out, "") << what;
        EXPECT_EQ(run.errLines().size(), 1) << what << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith("loomstead-cli: ")) << what;
    }
}

TEST_F(BatchSizerTest, ARefusedPoolCanBeAskedForAgain) {
    const CliRun run =
        RunCli({"--share", "BP7", "--share", "BP7", "--list", "--format", "json", PoolsFile()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errLines().size(), 2);
    EXPECT_EQ(run.json()["refused"].toArray().size(), 2);
}

TEST_F(BatchSizerTest, LoadFailureGivesExitOneAndNoOutput) {
    const QString missing = m_dir.filePath("missing.sta");
    for (const QStringList& arguments :
         {QStringList{PoolsFile(), missing}, QStringList{"--list", "--format", "json", missing}}) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        ASSERT_FALSE(run.errLines().isEmpty());
        EXPECT_EQ(run.errLines().first(), "Error reading data file. Please contact Quellmont");
        EXPECT_TRUE(run.err.contains(missing)) << run.err.toStdString();
    }
}

TEST_F(BatchSizerTest, HeaderWithoutEnvIsReportedAndLoadedAnyway) {
    const QString path = WriteFile("plain.sta", {BpsLine("BP3"), BpdLine("DB3.TS1")}, "env=lower");
    const CliRun run = RunCli({"--share-all", "--format", "json", path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errLines().filter("Incorrect"),
              QStringList{"Incorrect File Format, Use A Flat File: " + path});
    EXPECT_EQ(run.json()["pools_shared"], 1);
    EXPECT_EQ(Fields(run.json()["warnings"], "code"),
              "not_a_statistics_header pool_statistics_zero ratio_not_computable");
}

TEST_F(BatchSizerTest, LatinOneDataIsWrittenAsUtf8) {
    const QString path = WriteFile("latin.sta", {BpsLine("BP\xC4"), BpdLine("DB\xE9.TS1")});
    const CliRun run = RunCli({"--share-all", "--list", "--format", "json", path});
    ASSERT_EQ(run.exitCode, 0);
    const QJsonObject o = run.json();
    EXPECT_EQ(o["shared_pools"].toArray()[0].toObject()["pool"], QString::fromUtf8("BP\u00C4"));
    EXPECT_EQ(o["objects"].toArray()[0].toObject()["name"].toString().left(6),
              QString::fromUtf8("DB\u00E9.TS"));
}

TEST_F(BatchSizerTest, SweepExplainAndOutputFiles) {
    const QString data = PoolsFile();
    const QString json = m_dir.filePath("r.json");
    CliRun run = RunCli({"--share-all", "--sweep-members", "2-3", "--output", json, data});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "");
    QFile file(json);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(Fields(o["sweep"], "members"), "2 3");
    // At 3 members: 3 x 4 / 2 x 1.1 = 6.6 -> 8 Mb; rows (1000 + 500) x 3 x 0.1 = 450 -> 1000,
    // 2000 x 3 x 0.3 = 1800 -> 2000, 4000 x 3 x 0.5 = 6000: 9000 pages, 36 Mb; 8 + 36 + 6 + 8.
    EXPECT_EQ(Fields(o["sweep"], "total_memory_mb"), "50 58");

    run = RunCli({"--share-all", "--explain", "--sweep-members", "2", data});
    EXPECT_TRUE(run.out.contains(
        "\nWhat if the group grows (sizes in Mb, GBP Pages in pages)\nMembers  SCA Size"));
    EXPECT_TRUE(
        run.out.contains("\n  Pool BP1\n    - row 1 of 1 (statistics at pools.sta line 5)"));

    // A path under a plain file cannot be written, even by root; nothing is left behind.
    const QString blocked = data + "/r.csv";
    run = RunCli({"--share-all", "--output", blocked, data});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("loomstead-cli: cannot write '" + blocked + "'"));
    EXPECT_FALSE(QFile::exists(blocked));
    EXPECT_EQ(run.out, "");

    // The PDF's text is checked by pdf_report_test.sh.
    run = RunCli({"--share-all", "--output", m_dir.filePath("r.pdf"), data});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    QFile pdf(m_dir.filePath("r.pdf"));
    EXPECT_TRUE(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");
}

TEST_F(BatchSizerTest, VersionGoesToStandardOutput) {
    const CliRun run = RunCli({"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("loomstead-cli %1\n").arg(LOOMSTEAD_VERSION));
    EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace cli

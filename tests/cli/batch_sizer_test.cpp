// The batch sizer through the built program: exit codes, what goes to standard output and
// standard error, and both JSON forms.
#include "batch_sizer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

namespace cli {
namespace {

// `text` written at the 1-based column of `line`, which grows with blanks as needed.
std::string Put(std::string line, size_t column, std::string_view text) {
    if (line.size() < column - 1 + text.size()) {
        line.resize(column - 1 + text.size(), ' ');
    }
    line.replace(column - 1, text.size(), text);
    return line;
}

std::string Bps(std::string_view pool, std::string_view vp = "", std::string_view hp = "",
                std::string_view numerator = "", std::string_view denominator = "") {
    std::string line = Put("BPS", 21, pool);
    line = Put(line, 34, vp);
    line = Put(line, 50, hp);
    line = Put(line, 67, denominator);
    return numerator.empty() ? line : Put(line, 349, numerator);
}

std::string Bpd(std::string_view kind, std::string_view name, std::string_view a = "",
                std::string_view b = "") {
    std::string line = Put(Put(Put("BPD", 29, kind), 30, name), 57, a);
    return b.empty() ? line : Put(line, 339, b);
}

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

QJsonArray Keys(const QJsonArray& objects, const char* field) {
    QJsonArray values;
    for (const QJsonValue& v : objects) {
        values.append(v.toObject()[field]);
    }
    return values;
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
            {Put(Bps("BP0", "1000", "500", "100", "1000"), 142, "08.00.00"),
             Bpd("T", "DB1.TS1", "30000", "500"), Bpd("T", "DB1.TS2", "30000", "500"),
             Bps("BP1", "2000", "0", "300", "1000"), Bpd("T", "DB2.TS1", "0", "0"),
             Bpd("I", "DB2.IX1", "junk", "junk"), Bpd("T", "DB2.TS2"),
             Bps("BP7", "900", "0", "900", "1000"), Bpd("T", "DSNDB07.DSN4K01"),
             Bpd("T", "DSNDB07.DSN4K02"), Bps("BP8", "4000", "0", "500", "1000"), Bps("BP9")});
    }

    // Of `--list --format json`: pool -> cache_all of its rows, and the cached object keys.
    static QString CacheAllFlags(const QJsonObject& list) {
        QStringList flags;
        for (const QJsonValue& row : list["pool_table"].toArray()) {
            flags << row["pool"].toString() + "=" + row["cache_all"].toString();
        }
        return flags.join(' ');
    }
    static QStringList CachedKeys(const QJsonObject& list) {
        QStringList keys;
        for (const QJsonValue& object : list["objects"].toArray()) {
            if (object["cached"].toBool()) {
                keys << object["key"].toString();
            }
        }
        return keys;
    }

    QTemporaryDir m_dir;
};

TEST_F(BatchSizerTest, WorkedExampleAsText) {
    std::vector<std::string> lines = {Put(Bps("BP1", "2000", "0", "300", "1000"), 142, "10.15.32")};
    for (int i = 0; i < 120; ++i) {
        const std::string name = "DB1.OBJ" + std::to_string(i);
        lines.push_back(i < 80 ? Bpd("T", name, "500", i < 40 ? "12" : "13")
                               : Bpd("I", name, "99999", "1"));
    }
    const QString path = WriteFile("worked.sta", lines);
    const CliRun run = RunCli({"--members", "2", "--share", "BP1", path});
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
    EXPECT_EQ(run.errLines(),
              QStringList{"Pool BP7 will not be shared because it has only DSNDB07 Objects in "
                          "the File: " +
                          path});
    const QJsonObject o = run.json();
    EXPECT_EQ(o["collection_time"], "08.00.00");
    EXPECT_EQ(o["pools_shared"], 4);
    EXPECT_EQ(o["shared_db2"], "2");
    EXPECT_EQ(o["total_system_objects"], 6);
    EXPECT_EQ(o["sca_size_mb"], 8);
    EXPECT_EQ(o["lock_structure_size_mb"], 8);
    EXPECT_EQ(o["directory_data_ratio"], 4);  // 60000 / 1000 / 20 + 0.5 = 3.5
    EXPECT_EQ(o["irlm_ecsa_size_mb"], 6);
    EXPECT_EQ(o["gbp_total_pages"], 7000);
    EXPECT_EQ(o["total_memory_mb"], 50);  // 8 + 28 + 6 + 8
    EXPECT_EQ(o["data_size"], "0.00 Mb");
    const QJsonArray expectedPools = {
        QJsonObject{{"pool", "BP0"},
                    {"shared", 2},
                    {"cache_all", 0},
                    {"vp_size", 1000},
                    {"hp_size", 500},
                    {"gbp_size", 1000}},
        QJsonObject{{"pool", "BP1"},
                    {"shared", 3},
                    {"cache_all", 0},
                    {"vp_size", 2000},
                    {"hp_size", 0},
                    {"gbp_size", 2000}},
        QJsonObject{{"pool", "BP8"},
                    {"shared", 0},
                    {"cache_all", 0},
                    {"vp_size", 4000},
                    {"hp_size", 0},
                    {"gbp_size", 4000}},
        QJsonObject{{"pool", "BP9"},
                    {"shared", 0},
                    {"cache_all", 0},
                    {"vp_size", 0},
                    {"hp_size", 0},
                    {"gbp_size", 0}},
    };
    EXPECT_EQ(o["pools"].toArray(), expectedPools);
    EXPECT_EQ(o["refused"].toArray(), (QJsonArray{QJsonObject{{"pool", "BP7"}, {"file", path}}}));
    EXPECT_EQ(o.size(), 13);
}

TEST_F(BatchSizerTest, ListJson) {
    const QString path = PoolsFile();
    const CliRun run = RunCli({"--share", "bp1", "--share", "BP7", "--list", "--format", "json",
                               path, " " + path + " ", path.toUpper()});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errLines().size(), 1);
    const QJsonObject o = run.json();
    EXPECT_EQ(o["files"].toArray(), QJsonArray{path});
    EXPECT_EQ(o["lines"], 12);
    const QJsonArray expectedRows = {
        QJsonObject{{"file_no", 0},
                    {"pool", "BP0"},
                    {"start", 1},
                    {"end", 2},
                    {"dsndb07s", 0},
                    {"cache_all", "F"}},
        QJsonObject{{"file_no", 0},
                    {"pool", "BP1"},
                    {"start", 4},
                    {"end", 6},
                    {"dsndb07s", 0},
                    {"cache_all", "F"}},
        QJsonObject{{"file_no", 0},
                    {"pool", "BP7"},
                    {"start", 8},
                    {"end", 9},
                    {"dsndb07s", 2},
                    {"cache_all", "F"}},
        QJsonObject{{"file_no", 0},
                    {"pool", "BP8"},
                    {"start", QJsonValue()},
                    {"end", QJsonValue()},
                    {"dsndb07s", 0},
                    {"cache_all", "F"}},
        QJsonObject{{"file_no", 0},
                    {"pool", "BP9"},
                    {"start", QJsonValue()},
                    {"end", 11},
                    {"dsndb07s", 0},
                    {"cache_all", "F"}},
    };
    EXPECT_EQ(o["pool_table"].toArray(), expectedRows);
    EXPECT_EQ(o["available_pools"].toArray(), (QJsonArray{"BP0", "BP7", "BP8", "BP9"}));
    EXPECT_EQ(o["shared_pools"].toArray(),
              (QJsonArray{QJsonObject{{"pool", "BP1"}, {"total_objects", 3}}}));
    const QJsonArray objects = o["objects"].toArray();
    EXPECT_EQ(Keys(objects, "key"), (QJsonArray{"O1", "O2", "O4", "O5", "O6", "O8", "O9"}));
    EXPECT_EQ(objects[2].toObject(), (QJsonObject{{"key", "O4"},
                                                  {"pool", "BP1"},
                                                  {"file_no", 0},
                                                  {"name", "DB2.TS1                    "},
                                                  {"cached", false}}));
    EXPECT_EQ(o["refused"].toArray(), (QJsonArray{QJsonObject{{"pool", "BP7"}, {"file", path}}}));
    EXPECT_EQ(o.size(), 7);
}

TEST_F(BatchSizerTest, CacheOptionsActAsThePageDoes) {
    const QString path = PoolsFile();
    struct Case {
        QStringList options;
        QString flags;
        QStringList cached;
    };
    const Case cases[] = {
        {{"--cache-pool", "bp1"}, "BP0=F BP1=T BP7=F BP8=F BP9=F", {"O4", "O5", "O6"}},
        // Unchecking the box writes "F", and the uncaching runs after every caching.
        {{"--uncache-pool", "BP1", "--cache-pool", "BP1"}, "BP0=F BP1=F BP7=F BP8=F BP9=F", {}},
        {{"--cache-object", "O4", "--cache-object", "6"},
         "BP0=F BP1=F BP7=F BP8=F BP9=F",
         {"O4", "O6"}},
        {{"--cache-object", "O4", "--cache-object", "6", "--cache-object", "o5"},
         "BP0=F BP1=T BP7=F BP8=F BP9=F",
         {"O4", "O5", "O6"}},
        // Checking a checked object is no toggle: the pool stays fully cached.
        {{"--cache-pool", "BP1", "--cache-object", "O4"},
         "BP0=F BP1=T BP7=F BP8=F BP9=F",
         {"O4", "O5", "O6"}},
        {{"--cache-pool", "BP1", "--uncache-object", "O5"},
         "BP0=F BP1=F BP7=F BP8=F BP9=F",
         {"O4", "O6"}},
        // A pool without object lines: its box is left as it was and Cache All still written.
        {{"--cache-pool", "BP8"}, "BP0=F BP1=F BP7=F BP8=T BP9=F", {}},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(
            QStringList{"--share", "BP1", "--share", "BP8", "--list", "--format", "json", path} +
            c.options);
        const std::string what = c.options.join(' ').toStdString();
        ASSERT_EQ(run.exitCode, 0) << what << "\n" << run.err.toStdString();
        const QJsonObject o = run.json();
        EXPECT_EQ(CacheAllFlags(o), c.flags) << what;
        EXPECT_EQ(CachedKeys(o), c.cached) << what;
    }
}

TEST_F(BatchSizerTest, CachedPoolIsSizedByItsCachedShare) {
    const CliRun run = RunCli({"--share", "BP1", "--cache-pool", "BP1", "--members", "2",
                               "--format", "json", PoolsFile()});
    ASSERT_EQ(run.exitCode, 0);
    const QJsonObject pool = run.json()["pools"].toArray()[0].toObject();
    EXPECT_EQ(pool["cache_all"], 3);
    EXPECT_EQ(pool["hp_size"], 0);
    EXPECT_EQ(pool["gbp_size"], 4000);  // 3 cached of 2 table spaces: 2000 x 2 x 1.0
}

TEST_F(BatchSizerTest, UsageErrorsPrintOneLineAndNoOutput) {
    const QString path = PoolsFile();
    // The command line's own errors are tested in command_line_test; two show the exit code.
    const QStringList cases[] = {
        {},
        {"--bogus", path},
        {"--share", "BP5", path},
        {"--share", "BP1", "--share", "bp1", path},
        {"--cache-pool", "BP0", path},
        {"--share-all", "--uncache-pool", "BP7", path},
        {"--share", "BP1", "--cache-object", "O1", path},  // BP0's object, BP0 not shared
        {"--share", "BP1", "--cache-object", "O3", path},  // BP1's BPS line
        {"--share", "BP1", "--cache-object", "O99", path},
        {"--share", "BP1", "--uncache-object", "X4", path},
        {"--share", "BP1", "--cache-object", "", path},
    };
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
    const QString good = PoolsFile();
    const QString missing = m_dir.filePath("missing.sta");
    for (const QStringList& arguments :
         {QStringList{good, missing}, QStringList{"--list", "--format", "json", missing}}) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        ASSERT_FALSE(run.errLines().isEmpty());
        EXPECT_EQ(run.errLines().first(), "Error reading data file. Please contact Quellmont");
        EXPECT_TRUE(run.err.contains(missing)) << run.err.toStdString();
    }
}

TEST_F(BatchSizerTest, HeaderWithoutEnvIsReportedAndLoadedAnyway) {
    const QString path = WriteFile("plain.sta", {Bps("BP3"), Bpd("T", "DB3.TS1")}, "env=lower");
    const CliRun run = RunCli({"--share-all", "--format", "json", path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errLines(), QStringList{"Incorrect File Format, Use A Flat File: " + path});
    EXPECT_EQ(run.json()["pools_shared"], 1);
}

TEST_F(BatchSizerTest, LatinOneDataIsWrittenAsUtf8) {
    const QString path = WriteFile("latin.sta", {Bps("BP\xC4"), Bpd("T", "DB\xE9.TS1")});
    const CliRun run = RunCli({"--share-all", "--list", "--format", "json", path});
    ASSERT_EQ(run.exitCode, 0);
    const QJsonObject o = run.json();
    EXPECT_EQ(o["shared_pools"].toArray()[0].toObject()["pool"], QString::fromUtf8("BP\u00C4"));
    EXPECT_EQ(o["objects"].toArray()[0].toObject()["name"].toString().left(6),
              QString::fromUtf8("DB\u00E9.TS"));
}

TEST_F(BatchSizerTest, VersionGoesToStandardOutput) {
    const CliRun run = RunCli({"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("loomstead-cli %1\n").arg(LOOMSTEAD_VERSION));
    EXPECT_EQ(run.err, "");
}

// The bundled samples, whose tables samples/README.md lists.
TEST(BatchSizerSamplesTest, PoolTableOfBothSamples) {
    const QDir samples(LOOMSTEAD_SAMPLES_DIR);
    const QString a = samples.filePath("db1a.sta");
    const QString b = samples.filePath("db1b.sim");
    const CliRun run = RunCli({"--share-all", "--list", "--format", "json", a, b});
    ASSERT_EQ(run.exitCode, 0);
    const QJsonObject o = run.json();
    EXPECT_EQ(o["lines"], 558);
    const QJsonArray rows = o["pool_table"].toArray();
    ASSERT_EQ(rows.size(), 12);
    EXPECT_EQ(rows[4].toObject(), (QJsonObject{{"file_no", 0},
                                               {"pool", "BP7"},
                                               {"start", 258},
                                               {"end", 261},
                                               {"dsndb07s", 4},
                                               {"cache_all", "F"}}));
    EXPECT_EQ(rows[11].toObject(), (QJsonObject{{"file_no", 1},
                                                {"pool", "BP32K"},
                                                {"start", 542},
                                                {"end", 557},
                                                {"dsndb07s", 0},
                                                {"cache_all", "F"}}));
    EXPECT_EQ(o["available_pools"].toArray(), QJsonArray{"BP7"});
    EXPECT_EQ(o["refused"].toArray(), (QJsonArray{QJsonObject{{"pool", "BP7"}, {"file", a}}}));
    EXPECT_EQ(Keys(o["shared_pools"].toArray(), "total_objects"),
              (QJsonArray{131, 131, 117, 65, 52}));
}

}  // namespace
}  // namespace cli

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The batch sizer through the built program: exit codes, what goes to standard output and
// standard error, both JSON forms, and the policy options.
#include "cli/batch_sizer.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "tests/core/test_lines.h"

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

// Runs the program through the shell, each argument quoted with its very bytes (QProcess would
// re-encode them); standard error goes through a file.
CliRun RunCli(const std::vector<std::string>& arguments) {
    const auto quoted = [](const std::string& text) {
        return "'" + QByteArray::fromStdString(text).replace("'", R"('\'')").toStdString() + "'";
    };
    QTemporaryDir dir;
    std::string command = quoted(LOOMSTEAD_CLI_PATH);
    for (const std::string& argument : arguments) {
        command += ' ' + quoted(argument);
    }
    FILE* pipe = popen((command + " 2>" + quoted(dir.filePath("err").toStdString())).c_str(), "r");
    QFile out;
    out.open(pipe, QIODevice::ReadOnly);
    CliRun run{-1, QString::fromUtf8(out.readAll()), {}};
    out.close();
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    QFile err(dir.filePath("err"));
    run.err = err.open(QIODevice::ReadOnly) ? QString::fromUtf8(err.readAll()) : QString();
    return run;
}

CliRun RunCli(const QStringList& arguments) {
    std::vector<std::string> bytes;
    for (const QString& argument : arguments) {
        bytes.push_back(argument.toStdString());
    }
    return RunCli(bytes);
}

// Runs the program, which must succeed; its standard error tells why where it does not.
CliRun RunOk(const QStringList& arguments) {
    CliRun run = RunCli(arguments);
    EXPECT_EQ(run.exitCode, 0) << arguments.join(' ').toStdString() << '\n'
                               << run.err.toStdString();
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

// The policy options act on both samples with every pool shared.
const QStringList kSamples = {"--share-all", LOOMSTEAD_SAMPLES_DIR "/db1a.sta",
                              LOOMSTEAD_SAMPLES_DIR "/db1b.sim"};
const QStringList kNames = {"--group", "DSNDB0G", "--cf", "CF01"};
const QStringList kPolicy = QStringList{"--cfrm", "-"} + kNames;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class BatchSizerTest : public ::testing::Test {
protected:
    // Lines with CR LF after a header line, in a file of the temporary folder whose name has
    // the very bytes of `name`.
    QString WriteFile(const std::string& name, const std::vector<std::string>& lines,
                      const std::string& header = "LOOMSTEAD STATISTICS ENV=TEST") {
        const std::string path = m_dir.path().toStdString() + '/' + name;
        std::ofstream file(path, std::ios::binary);
        file << header << "\r\n";
        for (const std::string& line : lines) {
            file << line << "\r\n";
        }
        EXPECT_TRUE(file.good()) << path;
        return QString::fromStdString(path);
    }

    QString Write(const QString& name, const std::string& text) {
        const QString path = m_dir.filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary) << text;
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

    // Each row exits with its code and one line on standard error (the last, after the
    // sizing's notes and warnings, when those come first), writes nothing to standard output
    // and leaves every file and name under the temporary folder as it was.
    struct Refusal {
        QStringList arguments;
        int exitCode;
        QString err;  // after "loomstead-cli: "
        bool afterNotes = false;
    };
    void ExpectRefused(const std::vector<Refusal>& rows) {
        const auto snapshot = [this] {
            std::map<std::string, std::string> files;
            for (const auto& entry :
                 std::filesystem::recursive_directory_iterator(m_dir.path().toStdString())) {
                std::string& bytes = files[entry.path().string()];
                if (entry.is_regular_file()) {
                    std::ifstream file(entry.path(), std::ios::binary);
                    bytes.assign(std::istreambuf_iterator<char>(file), {});
                }
            }
            return files;
        };
        const auto before = snapshot();
        for (const Refusal& c : rows) {
            const CliRun run = RunCli(c.arguments);
            const std::string what = c.arguments.join(' ').toStdString();
            EXPECT_EQ(run.exitCode, c.exitCode) << what;
            EXPECT_EQ(run.out, "") << what;
            QStringList notes = run.errLines();
            const QString last = notes.isEmpty() ? QString() : notes.takeLast();
            EXPECT_EQ(c.afterNotes ? last : run.err,
                      "loomstead-cli: " + c.err + (c.afterNotes ? "" : "\n"))
                << what;
            EXPECT_EQ(notes.filter(QRegularExpression("^loomstead-cli: (?!warning: )")),
                      QStringList())
                << what;
            EXPECT_FALSE(run.err.contains(QChar(0x1B))) << what;
            EXPECT_TRUE(snapshot() == before) << what;
        }
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
    const CliRun run = RunOk({"--members", "2", "--share", "BP1", WriteFile("worked.sta", lines)});
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

TEST_F(BatchSizerTest, PoolsFileSizedListedCachedAndSwept) {
    const QString path = PoolsFile();
    const QString bp7 =
        "Pool BP7 will not be shared because it has only DSNDB07 Objects in the File: ";
    // The sizing as JSON, every pool shared.
    const CliRun run = RunOk({"--share-all", "--members", " 2 ", "--format", "json", path});
    // BP7 holds only work files; BP8 and BP9 have no object lines and are shared all the same.
    const QString zero =
        "In pools.sta, pool BP9: its VP size and its activity ratio's denominator read as 0, so "
        "its GBP size there may be 0.";
    EXPECT_EQ(run.errLines(), (QStringList{bp7 + path, "loomstead-cli: warning: " + zero}));
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

    // The list as JSON.
    const CliRun list =
        RunOk({"--share", "bp1", "--share", "BP7", "--list", "--format", "json", path, path});
    EXPECT_EQ(list.errLines().size(), 1);
    QJsonObject l = list.json();
    const QJsonArray objects = l.take("objects").toArray();
    EXPECT_EQ(
        Compact(l, path),
        R"({"available_pools":["BP0","BP7","BP8","BP9"],"files":["PATH"],"lines":12,"pool_table":[)"
        R"({"cache_all":"F","dsndb07s":0,"end":2,"file_no":0,"pool":"BP0","start":1},)"
        R"({"cache_all":"F","dsndb07s":0,"end":6,"file_no":0,"pool":"BP1","start":4},)"
        R"({"cache_all":"F","dsndb07s":2,"end":9,"file_no":0,"pool":"BP7","start":8},)"
        R"({"cache_all":"F","dsndb07s":0,"end":null,"file_no":0,"pool":"BP8","start":null},)"
        R"({"cache_all":"F","dsndb07s":0,"end":11,"file_no":0,"pool":"BP9","start":null}],)"
        R"("refused":[{"file":"PATH","pool":"BP7"}],)"
        R"("shared_pools":[{"pool":"BP1","total_objects":3}],"warnings":[]})");
    EXPECT_EQ(Fields(objects, "key"), "O1 O2 O4 O5 O6 O8 O9");
    EXPECT_EQ(Compact(objects[2]),
              R"({"cached":false,"file_no":0,"key":"O4","name":"DB2.TS1                    ",)"
              R"("pool":"BP1"})");

    // The cache options act as the page does.
    struct Case {
        QStringList options;
        QString flags;   // Cache All of the pool rows BP0, BP1, BP7, BP8, BP9
        QString cached;  // keys of the cached objects
    };
    const Case caching[] = {
        {{"--cache-pool", "bp1"}, "F T F F F", "O4 O5 O6"},
        // Unchecking the box writes "F", and the uncaching runs after every caching.
        {{"--uncache-pool", "BP1", "--cache-pool", "BP1"}, "F F F F F", ""},
        // Keys as O4, 6 or o5; all of a pool's objects checked check its box.
        {{"--cache-object", "O4", "--cache-object", "6", "--cache-object", "o5"},
         "F T F F F",
         "O4 O5 O6"},
        // Checking a checked object is no toggle: the pool stays fully cached.
        {{"--cache-pool", "BP1", "--cache-object", "O4"}, "F T F F F", "O4 O5 O6"},
        {{"--cache-pool", "BP1", "--uncache-object", "O5"}, "F F F F F", "O4 O6"},
        // A pool without object lines: its box is left as it was and Cache All still written.
        {{"--cache-pool", "BP8"}, "F F F T F", ""},
    };
    for (const Case& c : caching) {
        const CliRun run = RunCli(
            QStringList{"--share", "BP1", "--share", "BP8", "--list", "--format", "json", path} +
            c.options);
        const std::string what = c.options.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 0) << what << "\n" << run.err.toStdString();
        const QJsonObject o = run.json();
        EXPECT_EQ(Fields(o["pool_table"], "cache_all"), c.flags) << what;
        EXPECT_EQ(Fields(o["objects"], "key", "cached"), c.cached) << what;
    }

    // Typed numbers out of range warn; the notes go to standard error.
    const QString plain = WriteFile("plain.sta", {BpsLine("BP3"), BpdLine("DB3.TS1")}, "env=lower");
    const QString members =
        "loomstead-cli: warning: --members \"%1\": Enter a whole number from "
        "1 to 32. The sizing read %2.";
    const QString ecsa =
        "loomstead-cli: warning: --ecsa \"%1\": Enter a number from 0 to 9999, "
        "with at most two decimals. The sizing read %2.";
    struct Typed {
        QStringList arguments;  // --format json is added
        QStringList err;        // every line of standard error
        QString warnings = {};  // codes of the JSON warnings
    };
    const QString both = "members_out_of_range ecsa_out_of_range";
    // clang-format off
    const Typed typed[] = {
        {{"--members", " 32 ", "--ecsa", "9999.00", path}, {}},
        {{"--members", "33", "--ecsa", "10000", path},
         {members.arg("33", "33"), ecsa.arg("10000", "10000")}, both},
        {{"--members", "2.5", "--ecsa", "4.567", path},
         {members.arg("2.5", "2.5") + " The lock structure size uses the whole number 2 (a half "
                                      "goes to the even neighbour); the GBP sizes use 2.5.",
          ecsa.arg("4.567", "4.567")}, both},
        {{"--members", "", "--ecsa", "-1", "--list", path},
         {members.arg("", "0"), ecsa.arg("-1", "-1")}, both},
        // A pool asked for twice stays shared; a refused pool may be asked for again.
        {{"--share", "BP1", "--share", "bp1", "--share", "BP7", "--share", "BP7", path},
         {bp7 + path, bp7 + path}},
        {{"--share", "BP3", "--share-all", plain},
         {"Incorrect File Format, Use A Flat File: " + plain}},
    };
    // clang-format on
    for (const Typed& c : typed) {
        const CliRun run = RunCli(c.arguments + QStringList{"--format", "json"});
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 0) << what;
        // The result warnings have tests of their own; here only the typed numbers' count.
        QStringList err = run.errLines();
        QStringList inputWarnings;
        for (const QJsonValue& w : run.json()["warnings"].toArray()) {
            if (w["code"].toString().endsWith("_out_of_range")) {
                inputWarnings << w["code"].toString();
            } else {
                err.removeAll("loomstead-cli: warning: " + w["message"].toString());
            }
        }
        EXPECT_EQ(err, c.err) << what;
        EXPECT_TRUE(run.json()["warnings"].isArray()) << what;
        EXPECT_EQ(inputWarnings.join(' '), c.warnings) << what;
    }

    // The sweep into an output file, and with --explain.
    const QString json = m_dir.filePath("r.json");
    EXPECT_EQ(RunOk({"--share-all", "--sweep-members", "2-3", "--output", json, path}).out, "");
    const QJsonObject w = QJsonDocument::fromJson(ReadAll(json)).object();
    EXPECT_EQ(Fields(w["sweep"], "members"), "2 3");
    // At 3 members: 3 x 4 / 2 x 1.1 = 6.6 -> 8 Mb; rows (1000 + 500) x 3 x 0.1 = 450 -> 1000,
    // 2000 x 3 x 0.3 = 1800 -> 2000, 4000 x 3 x 0.5 = 6000: 9000 pages, 36 Mb; 8 + 36 + 6 + 8.
    EXPECT_EQ(Fields(w["sweep"], "total_memory_mb"), "50 58");
    const CliRun explained = RunOk({"--share-all", "--explain", "--sweep-members", "2", path});
    EXPECT_TRUE(explained.out.contains(
        "\nWhat if the group grows (sizes in Mb, GBP Pages in pages)\nMembers  SCA Size"));
    EXPECT_TRUE(
        explained.out.contains("\n  Pool BP1\n    - row 1 of 1 (statistics at pools.sta line 5)"));
}

TEST_F(BatchSizerTest, RefusalsExitWithOneLineAndWriteNothing) {
    const QString data = PoolsFile();
    const QString dir = m_dir.path() + '/';
    QFile::link(data, dir + "link.sta");
    const QString plan = dir + "march.loomplan";
    ASSERT_EQ(RunCli({"--share", "BP1", "--save-plan", plan, data}).exitCode, 0);
    const QString fifo = dir + "fifo.loomplan";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", dir + "zero.loomplan"));
    const QString oops = Write("a.loomplan", "{oops");
    const QString gone = Write("d.loomplan", R"({"format": "loomstead-plan", "version": 1,
                                                "files": [{"path": "gone.sta"}]})");
    // The policy options, after the rest of a row or after its policy.
    const auto cfrm = [](const QStringList& more) { return more + kNames; };
    const auto p = [](const QStringList& more) { return kPolicy + kSamples + more; };
    const auto json = [](const QStringList& more) {
        return more + QStringList{"--format", "json"};
    };
    const QString latin1 =
        "--%1 \"%2\": only Latin-1 characters can name a pool or an object, as in the data files";
    const QString notObject = "'%1' is not an object of a shared pool";
    const QString beyond = "\"%1\": the number lies beyond the 64-bit range";
    const QString passes = "\"%1\": the %2 computed from it passes the 64-bit range";
    const QString over = "%1 '%2' would overwrite the data file '" + data + "'";
    const QString same = "%1 '%2' and %3 '%4' name the same file";
    const QString read = "cannot read the plan %1: it ";
    const QString missing = dir + "a\x1B/r.txt";
    const QString noFile = ": No such file or directory";
    // clang-format off
    ExpectRefused({
        {json({"--bogus", data}), 2, "Unknown option 'bogus'."},
        {json({"--share", "", data}), 2, "--share \"\": the pool name is blank"},
        {json({"--uncache-pool", " ", data}), 2, "--uncache-pool \" \": the pool name is blank"},
        {json({"--share", "BP€", data}), 2, latin1.arg("share", "BP€")},
        {json({"--cache-object", "O١", data}), 2, latin1.arg("cache-object", "O١")},
        {json({"--share", "BP5", data}), 2, "pool 'BP5' is not available to share"},
        {json({"--cache-pool", "BP0", data}), 2, "pool 'BP0' is not shared"},
        {json({"--share-all", "--uncache-pool", "BP7", data}), 2, "pool 'BP7' is not shared"},
        // O1 is BP0's object, BP0 not shared; O3 is BP1's BPS line.
        {json({"--share", "BP1", "--cache-object", "O1", "--cache-object", "O4", data}), 2,
         notObject.arg("O1")},
        {json({"--share", "BP1", "--cache-object", "O3", data}), 2, notObject.arg("O3")},
        {json({"--share", "BP1", "--uncache-object", "X4", data}), 2, notObject.arg("X4")},
        // GBP sizes: BP0 150 pages per member, BP1 600, BP8 2000.
        {{"--ecsa", "1e400", "--list", data}, 2, "--ecsa " + beyond.arg("1e400")},
        {{"--members", "-1e19", data}, 2, "--members " + beyond.arg("-1e19")},
        {{"--members", "-2e16", "--share", "BP1", data}, 2,
         "--members " + passes.arg("-2e16", "GBP size of pool BP1")},
        {{"--members", "4e15", "--share", "BP1", "--share", "BP8", data}, 2,
         "--members " + passes.arg("4e15", "total of the GBP sizes")},
        {{"--members", "1e6", "--ecsa", "9223372036854774000", "--share", "BP8", data}, 2,
         "--ecsa " + passes.arg("9223372036854774000", "total memory required")},
        // Outputs that name an input or each other, or nothing.
        {{"--output", data, data}, 2, over.arg("--output", data)},
        {{"--output", dir + "link.sta", data}, 2, over.arg("--output", dir + "link.sta")},
        {cfrm({"--cfrm", dir + "./pools.sta", data}), 2, over.arg("--cfrm", dir + "./pools.sta")},
        {{"--save-plan", data, data}, 2, over.arg("--save-plan", data)},
        {{"--plan", plan, "--output", plan}, 2,
         "--output '" + plan + "' would overwrite the plan '" + plan + "'"},
        {{"--output", dir + "r.txt", "--save-plan", dir + "sub/../r.txt", data}, 2,
         same.arg("--output", dir + "r.txt", "--save-plan", dir + "sub/../r.txt")},
        {cfrm({"--output", dir + "r.txt", "--cfrm", dir + "r.txt", data}), 2,
         same.arg("--output", dir + "r.txt", "--cfrm", dir + "r.txt")},
        {{"--output", "", data}, 2, "--output '': give a file name, or - for standard output"},
        {cfrm({"--cfrm", "", data}), 2, "--cfrm '': give a file name, or - for standard output"},
        {{"--plan", "", data}, 2, "--plan '': give a file name"},
        {{"--save-plan", "", data}, 2, "--save-plan '': give a file name"},
        // Checks that fail after the plan was captured: it is not written either.
        {{"--list", "--format", "csv", "--save-plan", dir + "p.loomplan", data}, 2,
         "--list prints text or json only"},
        {{"--members", "2e16", "--share", "BP1", "--save-plan", dir + "p.loomplan", data}, 2,
         "--members " + passes.arg("2e16", "GBP size of pool BP1")},
        {{"--save-plan", dir + "p.loomplan", "--cfrm", "-", "--cf", "CF01", data}, 2,
         "Give a group name."},
        {cfrm({"--cfrm", "-", "--format", "pdf", "--output", "-", data}), 2,
         "--cfrm - writes the policy alone: it cannot go with a PDF on standard output"},
        // Plans that cannot be read or saved. Someone else's plan is refused at once, never
        // waited on or read without end.
        {{"--plan", oops}, 1, read.arg(oops) + "is not JSON (syntax error at byte 2)"},
        {{"--plan", dir + "none.loomplan"}, 1, read.arg(dir + "none.loomplan") + "does not exist"},
        {{"--plan", gone}, 1, "the data file " + dir + "gone.sta of the plan " + gone + " is gone"},
        {{"--save-plan", dir + "no/such.loomplan", data}, 1, "cannot save the plan " + dir +
         "no/such.loomplan: it cannot be written (No such file or directory)"},
        {{"--plan", fifo}, 1, read.arg(fifo) + "is not a regular file (it is a named pipe)"},
        {{"--plan", dir + "zero.loomplan"}, 1,
         read.arg(dir + "zero.loomplan") + "is not a regular file (it is a device)"},
        // The policy rules; what was typed is quoted with its control characters escaped.
        {json(p({})), 2, "--cfrm - writes the policy alone: it cannot go with --format json"},
        {QStringList{"--group", "DSNDB0G"} + kSamples, 2, "--group needs --cfrm"},
        {QStringList{"--min-ratio", "5"} + kSamples, 2, "--min-ratio needs --cfrm"},
        {p({"--duplex", "gbp"}), 2,
         "Duplexing needs two coupling facilities: a duplexed structure lives in both."},
        {p({"--duplex", "\x1B"}), 2, "unknown --duplex '\\x1B': use gbp, all or none"},
        {p({"--growth", "2.5"}), 2, "The growth factor must be a number from 1.0 to 2.0."},
        {p({"--cf-space", "CF09=5"}), 2, "CF09 is not one of the coupling facilities."},
        {p({"--cf-space", "\x1B]0;t\x07"}), 2,
         "The free space must be a positive number of MB, not \"\\x1B]0;t\\x07\"."},
        {QStringList{"--cfrm", "-", "--cf", "CF01", "--group", "A\x1B]0;t\x07"} + kSamples, 2,
         "The group name A\\x1B]0;T\\x07 may hold only A-Z, 0-9, $, # and @."},
        {QStringList{"--cfrm", "-", "--group", "DSNDB0G", "--cf", "C\x1B"} + kSamples, 2,
         "The coupling facility name C\\x1B may hold only A-Z, 0-9, $, #, @ and _."},
        {p({"--command-prefix", "-*/"}), 2, "The command prefix must not hold /* or */."},
        {p({"--command-prefix", "DB1G"}), 2,
         "The command prefix must start with one of Db2's prefix characters "
         "¢ . < + | & ! $ * ) ; - / % _ ? : # @ ' = \"."},
        {p({"--command-prefix", "-db1g"}), 2,
         "The command prefix must be upper case: Db2 refuses lower case letters."},
        {p({"--min-ratio", "2.5"}), 2, "--min-ratio must be a whole number from 1 to 1024"},
        {p({"--directory-entry-kb", "0.45"}), 2,
         "--directory-entry-kb must be 0.1 to 1.0 with one decimal"},
        {p({"--lock-mb", "48"}), 2,
         "The lock structure size must be a power of two from 16 to 4096 MB."},
        {p({"--minsize-percent", "80", "--no-autoalt"}), 2,
         "MINSIZE goes with automatic alter: a percentage cannot go with it switched off."},
        {p({"--lock-duplex", "async"}), 2,
         "The lock structure's duplexing mode needs every structure duplexed."},
        {p({"--lock-duplex", "half"}), 2,
         "unknown --lock-duplex 'half': use sync, async or asynconly"},
        {p({"--cf-dumpspace", "-1"}), 2, "--cf-dumpspace must be 0 or more MB"},
        // A path that cannot be written is quoted escaped too.
        {QStringList{"--output", dir + "none/r.pdf"} + kSamples, 3,
         "Cannot write " + dir + "none/r.pdf" + noFile, true},
        {{"--output", missing, data}, 3, "cannot write '" + dir + "a\\x1B/r.txt'" + noFile},
        {cfrm({"--cfrm", missing, data}), 3, "cannot write " + dir + "a\\x1B/r.txt" + noFile, true},
    });
    // clang-format on
    // A plan saved over the plan it applied is an update, not a refusal.
    EXPECT_EQ(RunCli({"--plan", plan, "--save-plan", plan}).exitCode, 0);
}

TEST_F(BatchSizerTest, ControlBytesOfDataAndPathsAreEscaped) {
    // A pool of work files only, so that its refusal names pool and path on standard error.
    const QString dir = m_dir.path() + '/';
    const std::string path = dir.toStdString() + "line\nbreak\xFF.sta";
    WriteFile("line\nbreak\xFF.sta", {BpsLine("B\x1B[1\\\x9B"), BpdLine("DSNDB07.DSN4K01"),
                                      BpsLine("BP1"), BpdLine("DB\x07\xE9.TS1")});
    const QString shownPath = dir + "line\\x0Abreak\\xFF.sta";
    const QString shownPool = "B\\x1B[1\\\\\\x9B";
    const CliRun text = RunCli(std::vector<std::string>{"--share-all", "--list", path});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.err,
              "Pool " + shownPool +
                  " will not be shared because it has only DSNDB07 Objects in the File: " +
                  shownPath + '\n');
    EXPECT_TRUE(text.out.startsWith("Files\n  0  " + shownPath + '\n')) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("Available pools\n  " + shownPool + '\n'));
    EXPECT_TRUE(text.out.contains("DB\\x07" + QString(QChar(0xE9)) + ".TS1"));

    const CliRun json =
        RunCli(std::vector<std::string>{"--share-all", "--list", "--format", "json", path});
    const QJsonObject o = json.json();
    EXPECT_EQ(o["files"][0], dir + "line\nbreak\\xFF.sta");
    EXPECT_EQ(o["available_pools"][0], QString::fromLatin1("B\x1B[1\\\x9B"));
    EXPECT_EQ(o["objects"][1]["name"].toString().left(8), QString::fromLatin1("DB\x07\xE9.TS1"));

    const CliRun missing = RunCli({path, (dir + "gone\n.sta").toStdString()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.errLines(),
              (QStringList{"Error reading data file. Please contact Quellmont",
                           "File: " + dir + "gone\\x0A.sta", "Reason: the file does not exist"}));
    std::remove(path.c_str());  // QTemporaryDir cannot name it to remove it
}

TEST_F(BatchSizerTest, PlansSavedAppliedAndListingFilesThatAreNotRegular) {
    const QString plan = m_dir.filePath("march.loomplan");
    const CliRun saved =
        RunOk({"--share", "BP1", "--share", "BP0", "--cache-pool", "BP0", "--cache-object", "O4",
               "--members", "2", "--save-plan", plan, "--format", "json", PoolsFile()});
    // Applied to its own files, the plan gives the saved run again with an empty account.
    QJsonObject applied = RunOk({"--plan", plan, "--format", "json"}).json();
    EXPECT_EQ(Compact(applied.take("plan"), plan), R"({"file":"PATH","items":[]})");
    applied["plan"] = saved.json()["plan"];
    EXPECT_EQ(Compact(applied), Compact(saved.json()));

    // Next month: BP1 lost DB2.TS1, BP0 gained DB1.TS3; BP1 shared again by hand does nothing.
    const QString path =
        WriteFile("pools.sta", {BpsLine("BP0", "1000", "500", "100", "1000"), BpdLine("DB1.TS1"),
                                BpdLine("DB1.TS2"), BpdLine("DB1.TS3"), BpsLine("BP1", "2000"),
                                BpdLine("DB2.IX1", 'I'), BpdLine("DB2.TS2")});
    const CliRun next = RunOk({"--plan", plan, "--share", "BP1", "--format", "json"});
    EXPECT_EQ(
        Compact(next.json()["plan"].toObject()["items"], path),
        R"([{"file":"PATH","kind":"file_changed","message":"File PATH has changed since the )"
        R"(plan was saved."},{"kind":"object_missing","message":"Object DB2.TS1 (T) of pool )"
        R"(BP1 is not in the data files; it is not cached.","object":"DB2.TS1","pool":"BP1"},)"
        R"({"kind":"object_new_under_cache_all","message":"Object DB1.TS3 (T) of pool BP0 is )"
        R"(new and is cached because its pool has Cache All.","object":"DB1.TS3","pool":"BP0"}])");
    EXPECT_EQ(next.errLines().filter(QRegularExpression("^plan: ")).size(), 3);
    EXPECT_TRUE(next.errLines().value(0).startsWith("plan: File "));

    // The files a plan lists are hashed only when they are regular files and never past their
    // size: /proc/self/pagemap says 0 bytes and gives gigabytes, a named pipe has no end.
    const QString fifo = m_dir.filePath("listed.fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString odd = Write("p.loomplan", R"({"format": "loomstead-plan", "version": 1, "files": [
        {"path": "/proc/self/pagemap", "size": 0, "modified_ns": 1, "sha256": "x"},
        {"path": "listed.fifo", "size": 0, "modified_ns": 1, "sha256": "x"}]})");
    const CliRun run = RunOk({"--plan", odd, "--format", "json", path});
    EXPECT_EQ(Fields(run.json()["plan"].toObject()["items"], "kind"), "file_changed file_missing");
}

// Files are written through links, which stay links: a writer that replaced the file would
// break them. FIFOs and devices are the writer's own tests.
TEST_F(BatchSizerTest, EveryOutputIsDeliveredWhereAsked) {
    const QString dir = m_dir.path() + '/';
    const QString report = "Loomstead sizing of 2 data files";
    const QString statements = " /* CFRM policy STRUCTURE statements";
    const struct {
        QStringList arguments;
        QString out;     // how standard output starts
        QString file;    // the output file, empty for none
        QString starts;  // how it starts
    } cases[] = {
        {{"--cfrm", "-", "--output", dir + "to-r.txt"}, statements, "r.txt", report},
        {{"--cfrm", "-", "--output", dir + "r.pdf"}, statements, "r.pdf", "%PDF-"},
        {{"--cfrm", dir + "to-p.txt", "--output", dir + "r.pdf"}, "", "r.pdf", "%PDF-"},
        {{"--cfrm", "-", "--output", dir + "r.json"}, statements, "r.json", "{"},
        {{"--cfrm", "-", "--output", "-"}, statements, "", ""},  // the policy alone
        {{"--output", "-"}, report, "", ""},
        {{"--format", "pdf", "--output", "-"}, "%PDF-", "", ""},
        {{"--save-plan", dir + "to-p.loomplan"}, report, "p.loomplan", "{"},
    };
    for (const auto& c : cases) {
        const std::string what = c.arguments.join(' ').toStdString();
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        for (const std::string name : {"r.txt", "p.txt", "p.loomplan"}) {
            std::filesystem::create_symlink(name, dir.toStdString() + "to-" + name);
        }
        const QStringList arguments =
            c.arguments + (c.arguments.contains("--cfrm") ? kNames : QStringList());
        const CliRun run = RunOk(arguments + kSamples);
        EXPECT_TRUE(c.out.isEmpty() ? run.out.isEmpty() : run.out.startsWith(c.out))
            << what << run.out.left(60).toStdString();
        EXPECT_FALSE(c.out == statements && run.out.contains("Recommendations")) << what;
        EXPECT_TRUE(ReadAll(dir + c.file).startsWith(c.starts.toUtf8())) << what;
        EXPECT_EQ(ReadAll(dir + "p.txt").startsWith(statements.toUtf8()),
                  c.arguments.contains(dir + "to-p.txt"))
            << what;
        // With --cfrm, the JSON gains its "cfrm" section wherever the text goes.
        if (c.file == "r.json") {
            const QJsonDocument json = QJsonDocument::fromJson(ReadAll(dir + c.file));
            EXPECT_TRUE(json["cfrm"]["text"].toString().startsWith(statements)) << what;
        }
        for (const std::string name : {"to-r.txt", "to-p.txt", "to-p.loomplan"}) {
            EXPECT_TRUE(std::filesystem::is_symlink(dir.toStdString() + name)) << what << name;
        }
    }
}

// A small tmpfs filled to the last block, unmounted when the test ends, however it ends.
TEST_F(BatchSizerTest, FullFileSystemGivesExitThreeAndKeepsTheOldFiles) {
    const QString t = m_dir.filePath("t");
    QDir().mkpath(t);
    if (::geteuid() != 0 || ::mount("tmpfs", t.toLocal8Bit(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "needs root and a tmpfs mount to fill a file system";
    }
    const struct Unmount {
        QString dir;
        ~Unmount() { ::umount(dir.toLocal8Bit()); }
    } mounted{t};
    for (const char* name : {"/old.txt", "/old.json", "/old.pdf", "/old.loomplan"}) {
        std::ofstream(t.toStdString() + name) << "old\n";
    }
    std::ofstream fill(t.toStdString() + "/fill", std::ios::binary);
    for (int i = 0; i < 128 && fill.write(std::string(1024, 'f').data(), 1024); ++i) {
    }
    fill.close();
    const QString full = ": No space left on device";
    const auto to = [&](const QString& option, const QString& name) {
        return QStringList{option, t + name} + (option == "--cfrm" ? kNames : QStringList()) +
               QStringList{"--share-all", LOOMSTEAD_SAMPLES_DIR "/db1a.sta"};
    };
    // clang-format off
    ExpectRefused({
        {to("--output", "/old.txt"), 3, "cannot write '" + t + "/old.txt'" + full, true},
        {to("--output", "/old.json"), 3, "cannot write '" + t + "/old.json'" + full, true},
        {to("--output", "/old.pdf"), 3, "Cannot write " + t + "/old.pdf" + full, true},
        {to("--cfrm", "/old.txt"), 3, "cannot write " + t + "/old.txt" + full, true},
        {to("--save-plan", "/old.loomplan"), 1, "cannot save the plan " + t +
         "/old.loomplan: it cannot be written (No space left on device)", true},
    });
    // clang-format on
}

TEST_F(BatchSizerTest, PolicyFileAndJsonAgree) {
    const QString path = m_dir.filePath("policy.txt");
    const auto run = [&](const QStringList& more) {
        return RunOk(QStringList{"--cfrm", path, "--group", "dsndb0g", "--cf", "CF01,CF02",
                                 "--cf-space", "CF02=4096", "--format", "json"} +
                     more + kSamples);
    };
    const CliRun json = run({"--members", "2"});
    const QJsonObject o = json.json();
    EXPECT_TRUE(o.contains("sca_size_mb"));
    const QJsonObject cfrm = o["cfrm"].toObject();
    EXPECT_EQ(QString::fromUtf8(ReadAll(path)), cfrm["text"].toString());
    const QJsonArray fits = cfrm["fit"]["facilities"].toArray();
    ASSERT_EQ(fits.size(), 1);
    EXPECT_EQ(fits[0]["name"].toString(), "CF02");
    EXPECT_EQ(fits[0]["margin_mb"].toDouble(),
              4096 - cfrm["fit"]["one_facility_needs_kb"].toDouble() / 1024);
    EXPECT_TRUE(cfrm["structures"][2]["duplex"].toBool());  // the first GBP, two facilities
    // BP3 of the worked example, every key of a structure.
    std::string gbp3;
    for (const QJsonValue s : cfrm["structures"].toArray()) {
        QJsonObject gbp = s.toObject();
        gbp.remove("why");
        gbp3 = gbp["name"] == "DSNDB0G_GBP3" ? Compact(gbp) : gbp3;
    }
    EXPECT_EQ(gbp3, R"({"allowautoalt":true,"data_entries":31437,"directory_entries":314370,)"
                    R"("directory_entries_needed":94437,"duplex":true,"initsize_kb":264192,)"
                    R"("minsize_kb":null,"name":"DSNDB0G_GBP3","page_size_kb":4,"pool":"BP3",)"
                    R"("preflist":["CF01","CF02"],"ratio":10,"ratio_needed":4,"size_kb":396288})");
    EXPECT_TRUE(json.err.contains("is not sized from statistics"));

    // The sweep's point for 2 members takes what the run for 2 members takes.
    const QJsonArray points = run({"--sweep-members", "1-3"}).json()["sweep"].toArray();
    ASSERT_EQ(points.size(), 3);
    EXPECT_EQ(points[1]["cf_storage_mb"].toInt(), cfrm["storage"]["with_duplex_mb"].toInt());
    EXPECT_EQ(points[1]["one_facility_fits"].toBool(),
              cfrm["fit"]["one_facility_needs_kb"].toInt() <= 4096 * 1024);
    EXPECT_LT(points[0]["cf_storage_mb"].toInt(), points[2]["cf_storage_mb"].toInt());
}

// The running group: a GBP display with a shortage, a structures' display and the policy job
// with sequence numbers, all captured texts as IBM documents them.
TEST_F(BatchSizerTest, RunningGroupPartsTextJsonAndRefusals) {
    std::string display;
    for (const char* line :
         {" DSNB750I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP0 FOLLOWS",
          " DSNB755I -DB1A DB2 GROUP BUFFER POOL STATUS", "  CURRENT DIRECTORY TO DATA RATIO = 6",
          " DSNB758I -DB1A ALLOCATED SIZE = 65536 KB",
          " DSNB783I -DB1A CUMULATIVE GROUP DETAIL STATISTICS SINCE 10:42:07 DEC 06, 2026",
          " DSNB788I -DB1A CROSS INVALIDATIONS", "    DUE TO DIRECTORY RECLAIMS = 5",
          " DSNB790I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP0 IS COMPLETE"}) {
        display += "10.15.01 STC01234 " + std::string(line) + "\n";
    }
    const QString gbp = Write("gbp.txt", display);
    const QString xcf = Write("xcf.txt",
                              "IXC360I  10.15.22  DISPLAY XCF 123\nSTRNAME: DSNDB0G_GBP0\n STATUS: "
                              "ALLOCATED\n POLICY INFORMATION:\n  POLICY SIZE    : 128 M\n"
                              "  POLICY INITSIZE: 64 M\n");
    // The SYSIN cards carry sequence numbers in columns 73-80.
    std::string job =
        "//DEFPOL   JOB (ACCT),CLASS=A\n//STEP1    EXEC PGM=IXCMIAPU\n//SYSIN    DD   *\n";
    int sequence = 0;
    for (std::string card :
         {"  DATA TYPE(CFRM) REPORT(YES)", "  DEFINE POLICY NAME(POLDAY) REPLACE(YES)",
          "    CF NAME(CF01) TYPE(003931) MFG(IBM)",
          "    /* payroll */ STRUCTURE NAME(DSNDB0G_GBP0) INITSIZE(65536)",
          "              SIZE(131072) PREFLIST(CF01)",
          "    STRUCTURE NAME(OTHER_LIST) SIZE(1G) PREFLIST(CF01)"}) {
        card.resize(72, ' ');
        job += card + QString::number(++sequence * 100).rightJustified(8, '0').toStdString() + "\n";
    }
    const QString p = Write("policy.jcl", job + "/*\n");
    const auto args = [](const QStringList& more) {
        return kNames + QStringList{"--share-all", LOOMSTEAD_SAMPLES_DIR "/db1a.sta"} + more;
    };

    // The JSON holds each part whose input was given.
    const QString out = m_dir.path() + "/new.jcl";
    const CliRun run =
        RunOk(args({"--format", "json", "--gbp-display", gbp, "--xcf-display", xcf,
                    "--current-policy", p, "--policy-name", "polnew", "--new-policy", out}));
    const QJsonObject running = run.json()["running"].toObject();
    const QJsonObject gbp0 = running["gbps"].toArray()[0].toObject();
    EXPECT_EQ(gbp0["gbp"], "GBP0");
    EXPECT_EQ(gbp0["period_start"], "10:42:07 DEC 06, 2026");
    EXPECT_EQ(gbp0["xi_directory_reclaims"], 5);
    EXPECT_TRUE(gbp0["writes_failed"].isNull());  // not reported, so no verdict either
    EXPECT_EQ(gbp0["verdicts"].toArray(), QJsonArray{"too_few_directory_entries"});
    EXPECT_EQ(gbp0["allocated_size_kb"], 65536);
    std::map<QString, QString> actions;
    for (const QJsonValue& s : running["structures"].toArray()) {
        actions[s["name"].toString()] = s["action"].toString();
    }
    EXPECT_EQ(actions["DSNDB0G_SCA"], "new");
    EXPECT_EQ(actions.count("OTHER_LIST"), 0u);
    const QJsonObject first = running["structures"].toArray()[0].toObject();
    EXPECT_EQ(first["name"], "DSNDB0G_LOCK1");
    EXPECT_TRUE(first["current"].isNull());
    EXPECT_TRUE(running["steps"].toArray()[2].toString().endsWith("POLNAME=POLNEW"))
        << running["steps"].toArray()[2].toString().toStdString();
    // Which bytes the new policy keeps is the core's test.
    EXPECT_TRUE(ReadAll(out).contains("DEFINE POLICY NAME(POLNEW) REPLACE(NO)"));
    const QJsonObject part = RunOk(args({"--format", "json", "--gbp-display", gbp})).json();
    EXPECT_TRUE(part["running"].toObject().contains("gbps"));
    EXPECT_FALSE(part["running"].toObject().contains("structures"));
    EXPECT_FALSE(part["running"].toObject().contains("steps"));
    EXPECT_FALSE(RunCli(args({"--format", "json"})).json().contains("running"));

    // The text's sections with --explain, and the policy alone on standard output.
    const CliRun text = RunOk(args(
        {"--explain", "--gbp-display", gbp, "--current-policy", p, "--policy-name", "POLNEW"}));
    for (const QString& line : {
             "Group buffer pools' display: " + gbp,
             QString("  GBP0 (DSNDB0G_GBP0) shown by -DB1A, period since 10:42:07 DEC 06, 2026"),
             QString("    verdicts: too_few_directory_entries"),
             QString("      too_few_directory_entries: 5 cross-invalidations due to directory "
                     "reclaims (DSNB788I)"),
             QString("      no verdict on data entries: DSNB786I not reported"),
             "Current policy: " + p + ", policy POLDAY, 2 STRUCTURE and 1 CF statements",
             QString("      new: not in the current policy"),
         }) {
        EXPECT_TRUE(text.out.split('\n').contains(line)) << line.toStdString();
    }
    EXPECT_FALSE(text.out.contains("Structures' display"));
    const CliRun alone =
        RunOk(args({"--current-policy", p, "--policy-name", "POLNEW", "--new-policy", "-"}));
    EXPECT_TRUE(alone.out.startsWith("//DEFPOL   JOB (ACCT),CLASS=A\n"));
    EXPECT_TRUE(alone.out.endsWith("/*\n"));

    // Bad inputs and options.
    const QString nothing = Write("nothing.txt", "IEF403I PAYROLL - STARTED\n");
    // clang-format off
    ExpectRefused({
        {args({"--xcf-display", nothing}), 1,
         nothing + ": it holds no structure display (looked for IXC360I blocks with STRNAME:, "
                   "POLICY INFORMATION:, CFNAME: and ACTUAL SIZE:)"},
        {args({"--current-policy", m_dir.path(), "--policy-name", "POLNEW"}), 1,
         "cannot read " + m_dir.path() + ": not a regular file (it is a folder)"},
        {args({"--current-policy", p, "--policy-name", "POLNEW", "--cf", "CF02"}), 2,
         "The facility CF02 is not defined by a CF statement of policy POLDAY.", true},
        {args({"--policy-name", "POLNEW"}), 2, "--policy-name needs --current-policy"},
        {args({"--current-policy", p}), 2, "--current-policy needs --policy-name"},
        {args({"--current-policy", p, "--policy-name", "P", "--new-policy", "-", "--format",
               "json"}), 2,
         "--new-policy - writes the policy alone: it cannot go with --format json"},
        {args({"--current-policy", p, "--policy-name", "P", "--new-policy", p}), 2,
         "--new-policy '" + p + "' would overwrite the input '" + p + "'"},
    });
    // clang-format on
}

}  // namespace
}  // namespace cli

// The policy options of the batch sizer through the built program: refusals, standard output
// holding the text alone, the file and the JSON section.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct CliRun {
    int exitCode = -1;
    QString out, err;
};

CliRun RunCli(QStringList arguments) {
    arguments << "--share-all" << LOOMSTEAD_SAMPLES_DIR "/db1a.sta"
              << LOOMSTEAD_SAMPLES_DIR "/db1b.sim";
    QProcess process;
    process.start(LOOMSTEAD_CLI_PATH, arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

const QStringList kPolicy = {"--cfrm", "-", "--group", "DSNDB0G", "--cf", "CF01"};

TEST(CfrmOptionsTest, BrokenRulesWriteNothingAndExitTwo) {
    const std::pair<QStringList, QString> cases[] = {
        {kPolicy + QStringList{"--format", "json"}, "--format json"},
        {{"--cfrm", "-", "--cf", "CF01"}, "Give a group name."},
        {{"--group", "DSNDB0G"}, "--group needs --cfrm"},
        {kPolicy + QStringList{"--duplex", "gbp"}, "two coupling facilities"},
        {kPolicy + QStringList{"--duplex", "some"}, "unknown --duplex"},
        {kPolicy + QStringList{"--growth", "2.5"}, "from 1.0 to 2.0"},
        {kPolicy + QStringList{"--cf-space", "CF09=5"}, "CF09 is not one"},
    };
    for (const auto& [arguments, reason] : cases) {
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(reason)) << run.err.toStdString();
    }
}

TEST(CfrmOptionsTest, TextAloneOnStandardOutputOrInFileAndJson) {
    const CliRun text = RunCli(kPolicy);
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.startsWith(" /* CFRM policy STRUCTURE statements"))
        << text.out.left(80).toStdString();
    EXPECT_TRUE(text.out.contains("  STRUCTURE NAME(DSNDB0G_GBP32K)\n"));
    EXPECT_FALSE(text.out.contains("Recommendations"));

    QTemporaryDir dir;
    const QString path = dir.filePath("policy.txt");
    const CliRun json = RunCli({"--cfrm", path, "--group", "dsndb0g", "--cf", "CF01,CF02",
                                "--cf-space", "CF02=4096", "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_TRUE(o.contains("sca_size_mb"));
    const QJsonObject cfrm = o["cfrm"].toObject();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), cfrm["text"].toString());
    const QJsonArray fits = cfrm["fit"]["facilities"].toArray();
    ASSERT_EQ(fits.size(), 1);
    EXPECT_EQ(fits[0]["name"].toString(), "CF02");
    EXPECT_EQ(fits[0]["margin_mb"].toDouble(),
              4096 - cfrm["fit"]["one_facility_needs_kb"].toDouble() / 1024);
    EXPECT_TRUE(cfrm["structures"][2]["duplex"].toBool());  // the first GBP, two facilities

    const CliRun unwritable =
        RunCli({"--cfrm", dir.filePath("no/such/dir/p.txt"), "--group", "DSNDB0G", "--cf", "CF01"});
    EXPECT_EQ(unwritable.exitCode, 3);
    EXPECT_TRUE(unwritable.out.isEmpty());
}

}  // namespace

#include "cli/command_line.h"

#include <gtest/gtest.h>

#include "cli/batch_sizer.h"
#include "cli/encodings.h"
#include "core/io/file_source.h"

namespace cli {
namespace {

using Action = ParsedCommandLine::Action;

ParsedCommandLine Parse(QStringList arguments) {
    arguments.prepend("/opt/loomstead/bin/loomstead-cli");
    return ParseCommandLine(arguments);
}

TEST(CommandLineTest, RepeatedOptionsKeepTheirOrder) {
    const Options defaults = Parse({"a.sta"}).options;
    EXPECT_EQ(defaults.members, "1");
    EXPECT_EQ(defaults.ecsa, "4");
    EXPECT_EQ(defaults.format, OutputFormat::kText);
    const ParsedCommandLine parsed =
        Parse({"--share", "BP2", "a.sta", "--share=bp0", "--cache-object", "O12", "--uncache-pool",
               "BP1", "--cache-object", "7", "--share-all", " b.sim", "--members", "-1", "--ecsa",
               " 4.5 ", "--list", "--format", "json"});
    ASSERT_EQ(parsed.action, Action::kRun) << parsed.text.toStdString();
    const Options& o = parsed.options;
    EXPECT_EQ(o.files, (QStringList{"a.sta", " b.sim"}));
    EXPECT_EQ(o.share, (QStringList{"BP2", "bp0"}));
    EXPECT_EQ(o.cacheObjects, (QStringList{"O12", "7"}));
    EXPECT_EQ(o.uncachePools, QStringList{"BP1"});
    EXPECT_TRUE(o.shareAll && o.list);
    EXPECT_EQ(o.members, "-1");  // a value, not an option
    EXPECT_EQ(o.ecsa, " 4.5 ");  // read later by the text box rules
    EXPECT_EQ(o.format, OutputFormat::kJson);
}

TEST(CommandLineTest, UsageErrorsGiveOneLineReasons) {
    const QStringList cases[] = {
        {},
        {"--share-all"},
        {"--format", "xml", "a.sta"},
        {"a.sta", "--share"},
        {"--format", "pdf", "a.sta"},
        {"--format", "json", "--output", "r.CSV", "a.sta"},
        {"--sweep-members", "0-3", "a.sta"},
        {"--sweep-members", "1-33", "a.sta"},
        {"--sweep-members", "5-4", "a.sta"},
    };
    for (const QStringList& arguments : cases) {
        const ParsedCommandLine parsed = Parse(arguments);
        EXPECT_EQ(parsed.action, Action::kUsageError) << arguments.join(' ').toStdString();
        EXPECT_FALSE(parsed.text.isEmpty());
        EXPECT_FALSE(parsed.text.contains('\n')) << parsed.text.toStdString();
    }
}

TEST(CommandLineTest, OutputFormFromFormatOrExtension) {
    using F = OutputFormat;
    // {arguments split at blanks, form, sweep from, sweep to}
    const std::tuple<QString, OutputFormat, int64_t, int64_t> cases[] = {
        {"--output r.json", F::kJson, 0, 0},
        {"--output dir.v2/r.Pdf", F::kPdf, 0, 0},
        {"--output r.out --format csv", F::kCsv, 0, 0},
        {"--output r.out", F::kText, 0, 0},
        {"--output r.txt --format text --sweep-members 8", F::kText, 1, 8},
        {"--format json --sweep-members 3-32", F::kJson, 3, 32},
    };
    for (const auto& [arguments, format, from, to] : cases) {
        const ParsedCommandLine parsed = Parse(arguments.split(' ') + QStringList{"a.sta"});
        ASSERT_EQ(parsed.action, Action::kRun) << parsed.text.toStdString();
        const Options& o = parsed.options;
        EXPECT_EQ(std::tuple(o.format, o.sweepFrom, o.sweepTo), std::tuple(format, from, to))
            << arguments.toStdString();
    }
}

TEST(CommandLineTest, HelpAndVersionGoToStandardOutput) {
    const BatchOutput version =
        RunCommandLine({"loomstead-cli", "--version"}, core::DiskFileSource{});
    EXPECT_EQ(version.out, "loomstead-cli 1.0.0\n");
    EXPECT_EQ(version.err, "");
    const ParsedCommandLine help = Parse({"--help"});
    EXPECT_EQ(help.action, Action::kShowHelp);
    EXPECT_TRUE(help.text.startsWith("Usage: loomstead-cli [options] FILE..."))
        << help.text.toStdString();
    EXPECT_TRUE(help.text.contains("--cache-object <KEY>"));
}

TEST(EncodingsTest, BytesReachTerminalEscapedAndArgumentsRoundTrip) {
    const QString e = QString(QChar(0xE9));
    const struct {
        std::string bytes;
        QString terminal;
    } cases[] = {
        {"a\\b\tc", R"(a\\b\x09c)"},
        {"\x7F\xC3\xA9", R"(\x7F)" + e},
        {"\xC2\x85", R"(\xC2\x85)"},  // a control character in UTF-8
        {"\xF0\x9F\x98\x80", QString::fromUtf8("\xF0\x9F\x98\x80")},
        // Overlong, a surrogate, past U+10FFFF, cut short: not UTF-8, so byte by byte.
        {"\xE0\x80\xAF", R"(\xE0\x80\xAF)"},
        {"\xED\xA0\x80", R"(\xED\xA0\x80)"},
        {"\xF4\x90\x80\x80", R"(\xF4\x90\x80\x80)"},
        {"x\xC3", R"(x\xC3)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TerminalBytes(c.bytes), c.terminal) << c.bytes;
        EXPECT_EQ(EncodeArgument(DecodeArgument(c.bytes)), c.bytes) << c.bytes;
    }
    EXPECT_EQ(TerminalData("\x1B[0m\\\x9B\xE9"), R"(\x1B[0m\\\x9B)" + e);
    EXPECT_EQ(ToDataExactly(QString::fromUtf8("BP\xE2\x82\xAC")), std::nullopt);
}

}  // namespace
}  // namespace cli

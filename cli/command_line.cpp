#include "cli/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <string_view>
#include <tuple>

#include "cli/encodings.h"
#include "cli/output_files.h"
#include "cli/plan_options.h"
#include "core/version.h"

namespace cli {
namespace {

constexpr auto kProgramName = "loomstead-cli";

struct FormatName {
    const char* name;
    OutputFormat format;
};
constexpr FormatName kFormats[] = {{"text", OutputFormat::kText},
                                   {"json", OutputFormat::kJson},
                                   {"csv", OutputFormat::kCsv},
                                   {"pdf", OutputFormat::kPdf}};

// The form an --output file's extension names (".txt" names text); nullopt for any other.
std::optional<OutputFormat> FormatOfExtension(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const FormatName& f : kFormats) {
        if (suffix == (f.format == OutputFormat::kText ? QStringLiteral("txt") : f.name)) {
            return f.format;
        }
    }
    return std::nullopt;
}

// "FROM-TO" or "N" (1-N), 1 <= FROM <= TO <= 32.
bool ParseSweep(const QString& text, Options& o) {
    const QStringList parts = text.trimmed().split('-');
    bool fromOk = true;
    bool toOk = false;
    o.sweepFrom = parts.size() == 2 ? parts[0].toLongLong(&fromOk) : 1;
    o.sweepTo = parts.size() <= 2 ? parts.last().toLongLong(&toOk) : 0;
    return fromOk && toOk && o.sweepFrom >= 1 && o.sweepFrom <= o.sweepTo && o.sweepTo <= 32;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Sizes the shared structures of a DB2 data-sharing group from buffer-pool statistics "
        "files.\n"
        "Whatever the order of the options, the steps are: load the files; --plan; --share, then\n"
        "--share-all; --cache-pool, --uncache-pool, --cache-object, --uncache-object; then\n"
        "size, or --list the tables; --save-plan.\n"
        "\n"
        "Warnings (a typed number outside the range of its box, and the like) go to standard\n"
        "error, one line each, and into the \"warnings\" array of the JSON, which is always\n"
        "there. Control bytes of data and of file names are written as \\xNN, a backslash as\n"
        "\\\\. File names are used exactly as given.\n"
        "\n"
        "Exit status: 0 done (warnings included); 1 a data file could not be read; 2 the\n"
        "command line was refused: an unknown option, a pool or object the data do not offer,\n"
        "a blank pool name, a name with characters beyond Latin-1, or a typed number or a\n"
        "result past the 64-bit range, an output that names an input or another output; 3 an\n"
        "output could not be written (the old file is kept). A refused run writes nothing.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption members(
        "members",
        "The text of \"No Of Shared DB2\" (default 1); other than a whole number from 1 to 32, "
        "it is read all the same, with a warning.",
        "TEXT", "1");
    const QCommandLineOption ecsa(
        "ecsa",
        "The text of \"ECSA Size for IRLM \" in Mb (default 4); other than a number from 0 to "
        "9999 with at most two decimals, it is read all the same, with a warning.",
        "TEXT", "4");
    const QCommandLineOption share(
        "share",
        "Share POOL, as the Add action on the pools page (repeatable); a pool already shared "
        "stays so.",
        "POOL");
    const QCommandLineOption shareAll("share-all", "Share every available pool, after --share.");
    const QCommandLineOption cachePool(
        "cache-pool", "Check \"Cache All Objects\" for the shared POOL (repeatable).", "POOL");
    const QCommandLineOption uncachePool(
        "uncache-pool", "Uncheck \"Cache All Objects\" for the shared POOL (repeatable).", "POOL");
    const QCommandLineOption cacheObject(
        "cache-object", "Check the object KEY (O12 or 12: line 12 of the line store).", "KEY");
    const QCommandLineOption uncacheObject("uncache-object", "Uncheck the object KEY.", "KEY");
    const QCommandLineOption list("list", "Print the tables instead of sizing.");
    const QCommandLineOption format(
        "format", "Output form: text, json, csv or pdf (default: the --output extension, or text).",
        "text|json|csv|pdf", "text");
    const QCommandLineOption explain("explain",
                                     "Add to the text output how each figure came about.");
    const QCommandLineOption sweep(
        "sweep-members", "Also size for FROM to TO members (1-32, e.g. 1-8; N alone: 1-N).",
        "FROM-TO");
    const QCommandLineOption output(
        "output",
        "Write the output to FILE, whole or not at all, instead of standard output (- for "
        "standard output).",
        "FILE");
    parser.addOptions({members, ecsa, share, shareAll, cachePool, uncachePool, cacheObject,
                       uncacheObject, list, format, explain, sweep, output});
    AddCfrmOptions(parser);
    AddRunningOptions(parser);
    AddPlanOptions(parser);
    parser.addPositionalArgument("FILE", "Statistics data files (.sta, .sim).", "FILE...");

    ParsedCommandLine parsed;
    const auto usageError = [&parsed](const QString& reason) {
        parsed.action = ParsedCommandLine::Action::kUsageError;
        parsed.text = reason;
        return parsed;
    };
    if (!parser.parse(arguments)) {
        return usageError(TerminalText(parser.errorText()));
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        parsed.action = ParsedCommandLine::Action::kShowHelp;
        parsed.text = parser.helpText();
        // The usage line names the program, not the path it was started by.
        const QString usage = QStringLiteral("Usage: ");
        const qsizetype optionsAt = parsed.text.indexOf(QStringLiteral(" [options]"));
        if (parsed.text.startsWith(usage) && optionsAt > 0 &&
            optionsAt < parsed.text.indexOf('\n')) {
            parsed.text.replace(usage.size(), optionsAt - usage.size(), kProgramName);
        }
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.action = ParsedCommandLine::Action::kShowVersion;
        parsed.text = QStringLiteral("%1 %2\n").arg(kProgramName, core::kVersion);
        return parsed;
    }

    // An empty name is a slip (an unset shell variable, say), not a wish to drop the option.
    for (const char* option : {"output", "cfrm", "plan", "save-plan"}) {
        if (parser.isSet(option) && parser.value(option).isEmpty()) {
            const bool standardOutput =
                option == std::string_view("output") || option == std::string_view("cfrm");
            return usageError(QStringLiteral("--%1 '': give a file name%2")
                                  .arg(option, standardOutput
                                                   ? QStringLiteral(", or - for standard output")
                                                   : QString()));
        }
    }
    Options& o = parsed.options;
    o.files = parser.positionalArguments();
    ReadPlanOptions(parser, o);
    if (o.files.isEmpty() && o.plan.isEmpty()) {
        return usageError("no data file given");
    }
    o.members = parser.value(members);
    o.ecsa = parser.value(ecsa);
    o.share = parser.values(share);
    o.shareAll = parser.isSet(shareAll);
    o.cachePools = parser.values(cachePool);
    o.uncachePools = parser.values(uncachePool);
    o.cacheObjects = parser.values(cacheObject);
    o.uncacheObjects = parser.values(uncacheObject);
    o.list = parser.isSet(list);
    // Names are matched against Latin-1 data; a character it cannot hold would match as "?".
    const auto badName = [](const QString& option, const QStringList& names,
                            bool blankAllowed) -> std::optional<QString> {
        for (const QString& name : names) {
            if (!ToDataExactly(name)) {
                return QStringLiteral(
                           "--%1 \"%2\": only Latin-1 characters can name a pool or "
                           "an object, as in the data files")
                    .arg(option, TerminalText(name));
            }
            if (!blankAllowed && name.trimmed().isEmpty()) {
                return QStringLiteral("--%1 \"%2\": the pool name is blank")
                    .arg(option, TerminalText(name));
            }
        }
        return std::nullopt;
    };
    for (const auto& [option, names, blankAllowed] :
         {std::tuple{share, o.share, false}, std::tuple{cachePool, o.cachePools, false},
          std::tuple{uncachePool, o.uncachePools, false},
          std::tuple{cacheObject, o.cacheObjects, true},
          std::tuple{uncacheObject, o.uncacheObjects, true}}) {
        if (auto reason = badName(option.names().constFirst(), names, blankAllowed)) {
            return usageError(*reason);
        }
    }
    o.explain = parser.isSet(explain);
    o.outputPath = parser.value(output);
    if (parser.isSet(sweep) && !ParseSweep(parser.value(sweep), o)) {
        return usageError(QStringLiteral("--sweep-members '%1': give FROM-TO within 1-32")
                              .arg(TerminalText(parser.value(sweep))));
    }
    const QStringList formats = parser.values(format);
    const std::optional<OutputFormat> extension = FormatOfExtension(o.outputPath);
    if (!parser.isSet(format)) {
        o.format = extension.value_or(OutputFormat::kText);
    } else {
        const auto named =
            std::find_if(std::begin(kFormats), std::end(kFormats),
                         [&](const FormatName& f) { return formats.last() == f.name; });
        if (named == std::end(kFormats)) {
            return usageError(
                QStringLiteral("unknown output format '%1': use text, json, csv or pdf")
                    .arg(TerminalText(formats.last())));
        }
        o.format = named->format;
        if (extension && *extension != o.format) {
            return usageError(QStringLiteral("--format %1 contradicts the extension of '%2'")
                                  .arg(TerminalText(formats.last()), TerminalText(o.outputPath)));
        }
    }
    if (o.format == OutputFormat::kPdf && o.outputPath.isEmpty()) {
        return usageError("--format pdf needs --output FILE");
    }
    const bool reportOnStandardOutput = IsStandardOutput(o.outputPath);
    const bool jsonOnStandardOutput = reportOnStandardOutput && o.format == OutputFormat::kJson;
    if (const QString reason = ReadRunningOptions(parser, jsonOnStandardOutput, o.list,
                                                  parser.value("cfrm") == "-", o.running);
        !reason.isEmpty()) {
        return usageError(reason);
    }
    if (const QString reason =
            ReadCfrmOptions(parser, jsonOnStandardOutput, o.list, o.cfrm, o.running.asked());
        !reason.isEmpty()) {
        return usageError(reason);
    }
    // The policy alone replaces a text report on standard output; a PDF cannot be replaced so.
    if (o.cfrm.toStandardOutput() && reportOnStandardOutput && o.format == OutputFormat::kPdf) {
        return usageError(QStringLiteral(
            "--cfrm - writes the policy alone: it cannot go with a PDF on standard output"));
    }
    if (o.running.newPolicyToStandardOutput() && reportOnStandardOutput &&
        o.format == OutputFormat::kPdf) {
        return usageError(QStringLiteral(
            "--new-policy - writes the policy alone: it cannot go with a PDF on standard output"));
    }
    return parsed;
}

}  // namespace cli

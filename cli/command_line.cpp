#include "command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include "plan_options.h"

namespace cli {
namespace {

constexpr auto kProgramName = "loomstead-cli";

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Sizes the shared structures of a DB2 data-sharing group from buffer-pool statistics "
        "files.\n"
        "Whatever the order of the options, the steps are: load the files; --plan; --share, then\n"
        "--share-all; --cache-pool, --uncache-pool, --cache-object, --uncache-object; then\n"
        "size, or --list the tables; --save-plan.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption members("members", "The text of \"No Of Shared DB2\" (default 1).",
                                     "TEXT", "1");
    const QCommandLineOption ecsa("ecsa", "The text of \"ECSA Size for IRLM \" in Mb (default 4).",
                                  "TEXT", "4");
    const QCommandLineOption share(
        "share", "Share POOL, as the Add action on the pools page (repeatable).", "POOL");
    const QCommandLineOption shareAll("share-all", "Share every available pool, after --share.");
    const QCommandLineOption cachePool(
        "cache-pool", "Check \"Cache All Objects\" for the shared POOL (repeatable).", "POOL");
    const QCommandLineOption uncachePool(
        "uncache-pool", "Uncheck \"Cache All Objects\" for the shared POOL (repeatable).", "POOL");
    const QCommandLineOption cacheObject(
        "cache-object", "Check the object KEY (O12 or 12: line 12 of the line store).", "KEY");
    const QCommandLineOption uncacheObject("uncache-object", "Uncheck the object KEY.", "KEY");
    const QCommandLineOption list("list", "Print the tables instead of sizing.");
    const QCommandLineOption format("format", "Output form: text or json (default text).",
                                    "text|json", "text");
    parser.addOptions({members, ecsa, share, shareAll, cachePool, uncachePool, cacheObject,
                       uncacheObject, list, format});
    AddPlanOptions(parser);
    parser.addPositionalArgument("FILE", "Statistics data files (.sta, .sim).", "FILE...");

    ParsedCommandLine parsed;
    const auto usageError = [&parsed](const QString& reason) {
        parsed.action = ParsedCommandLine::Action::kUsageError;
        parsed.text = reason;
        return parsed;
    };
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText());
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
        parsed.text = QStringLiteral("%1 %2\n").arg(kProgramName, LOOMSTEAD_VERSION);
        return parsed;
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
    const QStringList formats = parser.values(format);
    const QString formatText = formats.isEmpty() ? QStringLiteral("text") : formats.last();
    if (formatText == "text") {
        o.format = OutputFormat::kText;
    } else if (formatText == "json") {
        o.format = OutputFormat::kJson;
    } else {
        return usageError(
            QStringLiteral("unknown output format '%1': use text or json").arg(formatText));
    }
    return parsed;
}

}  // namespace cli

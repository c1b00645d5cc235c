#include "cfrm_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include "encodings.h"

namespace cli {
namespace {

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

QJsonObject CfrmJson(const core::CfrmPolicy& policy) {
    QJsonArray structures;
    for (const core::CfrmStructure& s : policy.structures) {
        QJsonObject o{{"name", Utf8(s.name)},
                      {"initsize_kb", qint64{s.initSizeKb}},
                      {"size_kb", qint64{s.sizeKb}},
                      {"duplex", s.duplex}};
        if (s.kind == core::StructureKind::kGroupBufferPool) {
            o["pool"] = Utf8(s.pool);
        }
        structures.append(o);
    }
    QJsonArray commands;
    for (const std::string& command : policy.commands) {
        commands.append(Utf8(command));
    }
    QJsonArray leftOut;
    for (const core::LeftOut& left : policy.leftOut) {
        QJsonObject o{{"pool", Utf8(left.pool)}, {"reason", Utf8(left.reason)}};
        if (!left.structure.empty()) {
            o["structure"] = Utf8(left.structure);
        }
        leftOut.append(o);
    }
    QJsonArray facilities;
    for (const core::FacilityFit& f : policy.fit.facilities) {
        facilities.append(QJsonObject{{"name", Utf8(f.name)},
                                      {"free_mb", f.freeMb},
                                      {"fits", f.fits},
                                      {"margin_mb", f.marginMb}});
    }
    return QJsonObject{
        {"structures", structures},
        {"commands", commands},
        {"left_out", leftOut},
        {"text", Utf8(policy.text)},
        {"fit", QJsonObject{{"total_initsize_kb", qint64{policy.fit.totalInitSizeKb}},
                            {"total_size_kb", qint64{policy.fit.totalSizeKb}},
                            {"one_facility_needs_kb", qint64{policy.fit.oneFacilityNeedsKb}},
                            {"facilities", facilities}}}};
}

}  // namespace

void AddCfrmOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {"cfrm", "Write CFRM STRUCTURE statements for IXCMIAPU to FILE (- for standard output).",
         "FILE"},
        {"group", "The Db2 data-sharing group name (with --cfrm).", "NAME"},
        {"cf", "A coupling facility, in preference order (repeatable or a comma list).", "NAME"},
        {"growth", "SIZE = INITSIZE x F, from 1.0 to 2.0 (default 1.5).", "F"},
        {"duplex",
         "DUPLEX(ENABLED) on the GBPs, all structures or none (default: the GBPs "
         "with two or more facilities).",
         "gbp|all|none"},
        {"no-autoalt", "Leave out ALLOWAUTOALT(YES) and MINSIZE on the GBPs."},
        {"command-prefix", "The Db2 command prefix (default -).", "P"},
        {"cf-space", "Free space of every facility in MB, or CF01=MB,CF02=MB.", "MB"},
    });
}

QString ReadCfrmOptions(const QCommandLineParser& parser, bool jsonOnStandardOutput, bool list,
                        CfrmRequest& request) {
    const QStringList policyOnly = {"group",          "cf",      "growth", "duplex", "no-autoalt",
                                    "command-prefix", "cf-space"};
    if (!parser.isSet("cfrm")) {
        for (const QString& name : policyOnly) {
            if (parser.isSet(name)) {
                return QStringLiteral("--%1 needs --cfrm").arg(name);
            }
        }
        return {};
    }
    request.file = parser.values("cfrm").constLast();
    if (request.toStandardOutput() && jsonOnStandardOutput) {
        return QStringLiteral("--cfrm - writes the policy alone: it cannot go with --format json");
    }
    if (list) {
        return QStringLiteral("--cfrm needs a sizing run: it cannot go with --list");
    }
    core::CfrmOptions& o = request.options;
    o.groupName = EncodeArgument(parser.value("group"));
    for (const QString& list : parser.values("cf")) {
        for (std::string& name : core::SplitNameList(EncodeArgument(list))) {
            o.facilities.push_back(std::move(name));
        }
    }
    if (parser.isSet("growth")) {
        const std::optional<double> factor =
            core::ParseDecimal(parser.value("growth").toStdString());
        o.growthFactor = factor.value_or(0);
    }
    const QString duplex = parser.value("duplex");
    if (duplex == "gbp") {
        o.duplex = core::DuplexChoice::kGroupBufferPools;
    } else if (duplex == "all") {
        o.duplex = core::DuplexChoice::kAll;
    } else if (duplex == "none") {
        o.duplex = core::DuplexChoice::kNone;
    } else if (parser.isSet("duplex")) {
        return QStringLiteral("unknown --duplex '%1': use gbp, all or none")
            .arg(TerminalText(duplex));
    }
    o.allowAutoAlter = !parser.isSet("no-autoalt");
    if (parser.isSet("command-prefix")) {
        o.commandPrefix = EncodeArgument(parser.value("command-prefix"));
    }
    std::string problem = core::CfrmOptionsProblem(o);
    if (problem.empty()) {
        core::FreeSpaceParse free =
            core::ParseFreeSpace(EncodeArgument(parser.value("cf-space")), o.facilities);
        problem = free.problem;
        o.freeSpaceMb = std::move(free.freeSpaceMb);
    }
    // The rules quote what was typed, which may hold control bytes.
    return TerminalBytes(problem);
}

std::string AddCfrmPolicy(const core::CfrmPolicy& policy, bool json, std::string& out) {
    if (!policy.ok()) {
        return ("loomstead-cli: " + TerminalBytes(policy.problem) + "\n").toStdString();
    }
    if (json) {
        QJsonObject sizing = QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
        sizing["cfrm"] = CfrmJson(policy);
        out = QJsonDocument(sizing).toJson(QJsonDocument::Indented).toStdString();
    }
    return {};
}

}  // namespace cli

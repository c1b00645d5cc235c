#include "cli/cfrm_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/encodings.h"
#include "core/results_json.h"

namespace cli {
namespace {

using nlohmann::json;

std::string Utf8(const std::string& text) { return core::ValidUtf8(text); }

json Strings(const std::vector<std::string>& texts) {
    json array = json::array();
    for (const std::string& text : texts) {
        array.push_back(Utf8(text));
    }
    return array;
}

json Count(const std::optional<core::GbpEntries>& entries,
           int64_t (*field)(const core::GbpEntries&)) {
    return entries ? json(field(*entries)) : json(nullptr);
}

json StructureJson(const core::CfrmStructure& s) {
    json o = {{"name", Utf8(s.name)},
              {"initsize_kb", int64_t{s.initSizeKb}},
              {"size_kb", int64_t{s.sizeKb}},
              {"duplex", s.duplex},
              {"minsize_kb", s.minSizeKb ? json(int64_t{*s.minSizeKb}) : json(nullptr)},
              {"allowautoalt", s.allowAutoAlter},
              {"preflist", Strings(s.preflist)},
              {"why", Strings(s.why)}};
    if (s.kind == core::StructureKind::kGroupBufferPool) {
        o["pool"] = Utf8(s.pool);
        o["page_size_kb"] = int64_t{s.pageSizeKb};
        o["data_entries"] =
            Count(s.entries, [](const core::GbpEntries& e) { return e.dataEntries; });
        o["directory_entries"] =
            Count(s.entries, [](const core::GbpEntries& e) { return e.DirectoryEntries(); });
        o["directory_entries_needed"] =
            Count(s.entries, [](const core::GbpEntries& e) { return e.directoryEntriesNeeded; });
        o["ratio"] = Count(s.entries, [](const core::GbpEntries& e) { return e.ratio; });
        o["ratio_needed"] =
            Count(s.entries, [](const core::GbpEntries& e) { return e.ratioNeeded; });
    }
    return o;
}

json CfrmJson(const core::CfrmPolicy& policy) {
    json structures = json::array();
    for (const core::CfrmStructure& s : policy.structures) {
        structures.push_back(StructureJson(s));
    }
    json leftOut = json::array();
    for (const core::LeftOut& left : policy.leftOut) {
        json o = {{"pool", Utf8(left.pool)}, {"reason", Utf8(left.reason)}};
        if (!left.structure.empty()) {
            o["structure"] = Utf8(left.structure);
        }
        leftOut.push_back(o);
    }
    json facilities = json::array();
    for (const core::FacilityFit& f : policy.fit.facilities) {
        facilities.push_back({{"name", Utf8(f.name)},
                              {"free_mb", f.freeMb},
                              {"fits", f.fits},
                              {"margin_mb", f.marginMb},
                              {"normal_mb", f.normalMb},
                              {"after_loss_mb", f.afterLossMb},
                              {"fits_after_loss", f.fitsAfterLoss}});
    }
    json warnings = json::array();
    for (const core::Warning& warning : policy.warnings) {
        warnings.push_back({{"code", Utf8(warning.code)}, {"message", Utf8(warning.message)}});
    }
    return {{"structures", structures},
            {"commands", Strings(policy.commands)},
            {"left_out", leftOut},
            {"text", Utf8(policy.text)},
            {"warnings", warnings},
            {"notes", Strings(policy.notes)},
            {"steps", Strings(policy.steps)},
            {"storage",
             {{"initsize_mb", int64_t{policy.storage.initSizeMb}},
              {"with_duplex_mb", int64_t{policy.storage.withDuplexMb}},
              {"size_mb", int64_t{policy.storage.sizeMb}}}},
            {"fit",
             {{"total_initsize_kb", int64_t{policy.fit.totalInitSizeKb}},
              {"total_size_kb", int64_t{policy.fit.totalSizeKb}},
              {"one_facility_needs_kb", int64_t{policy.fit.oneFacilityNeedsKb}},
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
        {"no-autoalt", "Leave out ALLOWAUTOALT(YES) on the GBPs."},
        {"command-prefix", "The Db2 command prefix (default -), as in IEFSSNxx.", "P"},
        {"cf-space", "Free space of every facility in MB, or CF01=MB,CF02=MB.", "MB"},
        {"min-ratio", "The smallest RATIO written for a GBP, 1 to 1024 (default 10, Db2's).", "N"},
        {"directory-entry-kb",
         "Size of a GBP directory entry, 0.1 to 1.0 KB (default 0.4, Db2 13; Db2's older "
         "formula pages use 0.2).",
         "E"},
        {"sharing-degree",
         "U, the share of a pool's pages other members cache too, 0.5 to 1.0 (default 1.0).", "U"},
        {"unmeasured-gbp-mb", "INITSIZE of a GBP without statistics, MB (default 32).", "N"},
        {"lock-mb", "INITSIZE of the lock structure: a power of two from 16 to 4096 MB.", "N"},
        {"minsize-percent", "MINSIZE of the GBPs as N % of INITSIZE, 50 to 100.", "N"},
        {"lock-duplex", "How the duplexed lock structure is duplexed (with --duplex all).",
         "sync|async|asynconly"},
        {"spread-preflist", "Rotate the facility list for each GBP in turn."},
        {"cf-dumpspace", "Dump space of each facility in MB for the fit check (default 0).", "MB"},
    });
}

QString ReadCfrmOptions(const QCommandLineParser& parser, bool jsonOnStandardOutput, bool list,
                        CfrmRequest& request, bool runningGroup) {
    const QStringList policyOnly = {"group",
                                    "cf",
                                    "growth",
                                    "duplex",
                                    "no-autoalt",
                                    "command-prefix",
                                    "cf-space",
                                    "min-ratio",
                                    "directory-entry-kb",
                                    "sharing-degree",
                                    "unmeasured-gbp-mb",
                                    "lock-mb",
                                    "minsize-percent",
                                    "lock-duplex",
                                    "spread-preflist",
                                    "cf-dumpspace"};
    if (!parser.isSet("cfrm") && !runningGroup) {
        for (const QString& name : policyOnly) {
            if (parser.isSet(name)) {
                return QStringLiteral("--%1 needs --cfrm").arg(name);
            }
        }
        return {};
    }
    if (parser.isSet("cfrm")) {
        request.file = parser.values("cfrm").constLast();
    }
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
    // Each number option as a whole number of its smallest step; a text that is no such number
    // is refused naming the option.
    struct Fixed {
        const char* name;
        int decimals;
        int64_t* target;
        const char* rule;
    };
    int64_t lockMbValue = 0;
    int64_t minSizeValue = 0;
    for (const Fixed& f :
         {Fixed{"min-ratio", 0, &o.minRatio, "a whole number from 1 to 1024"},
          Fixed{"directory-entry-kb", 1, &o.directoryEntryTenthsKb, "0.1 to 1.0 with one decimal"},
          Fixed{"sharing-degree", 2, &o.sharingDegreeHundredths, "0.5 to 1.0 with two decimals"},
          Fixed{"unmeasured-gbp-mb", 0, &o.unmeasuredGbpMb,
                "a whole number of MB from 1 to 524288"},
          Fixed{"lock-mb", 0, &lockMbValue, "a power of two from 16 to 4096"},
          Fixed{"minsize-percent", 0, &minSizeValue, "a whole number from 50 to 100"}}) {
        if (!parser.isSet(f.name)) {
            continue;
        }
        const std::optional<int64_t> value =
            core::ParseFixedPoint(parser.value(f.name).toStdString(), f.decimals);
        if (!value) {
            return QStringLiteral("--%1 must be %2").arg(f.name, f.rule);
        }
        *f.target = *value;
    }
    if (parser.isSet("lock-mb")) {
        o.lockMb = lockMbValue;
    }
    if (parser.isSet("minsize-percent")) {
        o.minSizePercent = minSizeValue;
    }
    const QString lockDuplex = parser.value("lock-duplex");
    if (lockDuplex == "sync") {
        o.lockDuplex = core::LockDuplexMode::kSync;
    } else if (lockDuplex == "async") {
        o.lockDuplex = core::LockDuplexMode::kAsync;
    } else if (lockDuplex == "asynconly") {
        o.lockDuplex = core::LockDuplexMode::kAsyncOnly;
    } else if (parser.isSet("lock-duplex")) {
        return QStringLiteral("unknown --lock-duplex '%1': use sync, async or asynconly")
            .arg(lockDuplex);
    }
    o.spreadPreflist = parser.isSet("spread-preflist");
    if (parser.isSet("cf-dumpspace")) {
        const std::optional<double> mb =
            core::ParseDecimal(parser.value("cf-dumpspace").toStdString());
        if (!mb) {
            return QStringLiteral("--cf-dumpspace must be 0 or more MB");
        }
        o.dumpSpaceMb = *mb;
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

std::string AddCfrmPolicy(const core::CfrmPolicy& policy, bool json, std::string& out,
                          const std::vector<core::CfrmSweepPoint>& sweep) {
    if (!policy.ok()) {
        return ("loomstead-cli: " + TerminalBytes(policy.problem) + "\n").toStdString();
    }
    if (json) {
        nlohmann::json sizing = nlohmann::json::parse(out);
        sizing["cfrm"] = CfrmJson(policy);
        // With the policy the "sweep" key is always there, empty without --sweep-members.
        nlohmann::json& points = sizing["sweep"];
        if (points.is_null()) {
            points = nlohmann::json::array();
        }
        for (nlohmann::json& point : points) {
            for (const core::CfrmSweepPoint& figures : sweep) {
                if (figures.members == point["members"].get<int64_t>()) {
                    point["cf_storage_mb"] = int64_t{figures.cfStorageMb};
                    if (figures.oneFacilityFits) {
                        point["one_facility_fits"] = *figures.oneFacilityFits;
                    }
                }
            }
        }
        out = core::JsonText(sizing);
    }
    return {};
}

}  // namespace cli

#include "cli/running_options.h"

#include <QCommandLineParser>
#include <nlohmann/json.hpp>

#include "cli/encodings.h"
#include "core/capture_text.h"
#include "core/io/file_source.h"
#include "core/results_json.h"

namespace cli {
namespace {

// The text at `path` (see core::ReadCapturedText); the refusal when it cannot be read.
std::optional<QString> ReadText(const QString& path, size_t limit, std::string& out) {
    if (const auto reason = core::ReadCapturedText(EncodeArgument(path), limit, out)) {
        return QStringLiteral("cannot read %1: %2")
            .arg(TerminalText(path), TerminalBytes(core::ReasonText(*reason)));
    }
    return std::nullopt;
}

// Reads the file at `path`, when one is given, into `text` and with `read` into `*into`; the
// line for standard error when it cannot.
template <typename Value>
std::optional<QString> ReadInput(const QString& path, size_t limit,
                                 core::StatusOr<Value> (*read)(std::string_view), std::string& text,
                                 std::optional<Value>& into) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    if (auto failure = ReadText(path, limit, text)) {
        return failure;
    }
    core::StatusOr<Value> result = read(text);
    if (!result.ok()) {
        return QStringLiteral("%1: %2").arg(TerminalText(path),
                                            TerminalBytes(result.status().message()));
    }
    into = std::move(result).value();
    return std::nullopt;
}

using nlohmann::json;

json Json(const std::optional<int64_t>& value) { return value ? json(*value) : json(nullptr); }

json Json(const std::optional<bool>& value) { return value ? json(*value) : json(nullptr); }

json Json(const std::optional<std::string>& value) {
    return value ? json(core::ValidUtf8(*value)) : json(nullptr);
}

json Ratio(const std::optional<int64_t>& tenths) {
    return tenths ? json(static_cast<double>(*tenths) / 10) : json(nullptr);
}

json Strings(const std::vector<std::string>& strings) {
    json array = json::array();
    for (const std::string& s : strings) {
        array.push_back(core::ValidUtf8(s));
    }
    return array;
}

json Figures(const std::optional<core::StructureFigures>& f) {
    if (!f) {
        return nullptr;
    }
    return {
        {"initsize_kb", Json(f->initSizeKb)},
        {"size_kb", Json(f->sizeKb)},
        {"minsize_kb", Json(f->minSizeKb)},
        {"allowautoalt", Json(f->allowAutoAlter)},
        {"duplex", Json(f->duplex)},
        {"preflist", f->preflist ? Strings(*f->preflist) : json(nullptr)},
    };
}

std::string Text(const std::optional<int64_t>& value) {
    return value ? std::to_string(*value) : "-";
}

std::string FiguresText(const std::optional<core::StructureFigures>& f) {
    if (!f) {
        return "none";
    }
    return "INITSIZE " + Text(f->initSizeKb) + " KB, SIZE " + Text(f->sizeKb) + " KB";
}

std::string Joined(const std::vector<std::string>& items, const char* separator) {
    std::string out;
    for (const std::string& item : items) {
        out += (out.empty() ? "" : separator) + item;
    }
    return out;
}

}  // namespace

void AddRunningOptions(QCommandLineParser& parser) {
    parser.addOption({"gbp-display",
                      "Compare with the group buffer pools' display in FILE "
                      "(-DISPLAY GROUPBUFFERPOOL(*) GDETAIL(*)).",
                      "FILE"});
    parser.addOption({"xcf-display",
                      "Compare with the structures' display in FILE (D XCF,STR,STRNAME=...).",
                      "FILE"});
    parser.addOption({"current-policy",
                      "Compare with the current CFRM policy's job in FILE and write the new "
                      "policy from it; needs --policy-name.",
                      "FILE"});
    parser.addOption(
        {"policy-name", "The new policy's name: 1 to 8 characters, A-Z first.", "NAME"});
    parser.addOption({"new-policy",
                      "Write the complete new policy to FILE, or - for standard output alone; "
                      "needs --current-policy.",
                      "FILE"});
}

QString ReadRunningOptions(const QCommandLineParser& parser, bool jsonOnStandardOutput, bool list,
                           bool cfrmToStandardOutput, RunningRequest& request) {
    const auto last = [&parser](const char* name) {
        return parser.isSet(name) ? parser.values(name).constLast() : QString();
    };
    request.gbpDisplay = last("gbp-display");
    request.xcfDisplay = last("xcf-display");
    request.currentPolicy = last("current-policy");
    request.policyName = last("policy-name");
    request.newPolicy = last("new-policy");
    for (const char* name : {"gbp-display", "xcf-display", "current-policy"}) {
        if (parser.isSet(name) && last(name).isEmpty()) {
            return QStringLiteral("--%1 needs a file").arg(name);
        }
    }
    if (request.currentPolicy.isEmpty()) {
        for (const char* name : {"policy-name", "new-policy"}) {
            if (parser.isSet(name)) {
                return QStringLiteral("--%1 needs --current-policy").arg(name);
            }
        }
    } else if (request.policyName.isEmpty()) {
        return QStringLiteral("--current-policy needs --policy-name");
    }
    if (!request.asked()) {
        return {};
    }
    if (list) {
        return QStringLiteral("the running group needs a sizing run: it cannot go with --list");
    }
    if (request.newPolicyToStandardOutput() && jsonOnStandardOutput) {
        return QStringLiteral(
            "--new-policy - writes the policy alone: it cannot go with --format json");
    }
    if (request.newPolicyToStandardOutput() && cfrmToStandardOutput) {
        return QStringLiteral("--new-policy - and --cfrm - cannot both have standard output");
    }
    return {};
}

core::RunningInputs RunningTexts::Inputs(const RunningRequest& request) const {
    core::RunningInputs inputs;
    inputs.gbpDisplay = gbp ? &*gbp : nullptr;
    inputs.xcfDisplay = xcf ? &*xcf : nullptr;
    inputs.policySource = source ? &*source : nullptr;
    inputs.policyText = policyText;
    inputs.newPolicyName = EncodeArgument(request.policyName);
    return inputs;
}

std::optional<QString> ReadRunningTexts(const RunningRequest& request, RunningTexts& texts) {
    std::string text;
    if (auto failure = ReadInput(request.gbpDisplay, core::kMaxCaptureBytes, core::ReadGbpDisplay,
                                 text, texts.gbp)) {
        return failure;
    }
    if (auto failure = ReadInput(request.xcfDisplay, core::kMaxCaptureBytes, core::ReadXcfDisplay,
                                 text, texts.xcf)) {
        return failure;
    }
    return ReadInput(request.currentPolicy, core::kMaxPolicySourceBytes, core::ReadPolicySource,
                     texts.policyText, texts.source);
}

std::string RunningText(const core::RunningGroup& group, const RunningTexts& texts,
                        const RunningRequest& request, bool explain) {
    std::string out;
    const auto file = [](const QString& path) { return TerminalText(path).toStdString(); };
    if (texts.gbp) {
        out += "\nGroup buffer pools' display: " + file(request.gbpDisplay) + "\n";
        for (const core::RunningGbp& g : group.gbps) {
            out += "  " + g.gbp + " (" + g.structure + ")" +
                   (g.member.empty() ? "" : " shown by " + g.member) + ", period since " +
                   (g.periodStart.empty() ? "unknown" : g.periodStart) + "\n";
            out += "    allocated " + Text(g.allocatedSizeKb) + " KB, directory entries " +
                   Text(g.directoryEntries) + ", data pages " + Text(g.dataPages) + "\n";
            out += "    recommended INITSIZE " + Text(g.recommendedInitSizeKb) +
                   " KB, directory entries " + Text(g.recommendedDirectoryEntries) +
                   ", data entries " + Text(g.recommendedDataEntries) + "\n";
            out +=
                "    verdicts: " + (g.verdicts.empty() ? "none" : Joined(g.verdicts, ", ")) + "\n";
            if (explain) {
                for (const std::string& why : g.why) {
                    out += "      " + why + "\n";
                }
            }
        }
        for (const std::string& note : texts.gbp->notes) {
            out += "  " + note + "\n";
        }
    }
    if (texts.xcf) {
        out += "\nStructures' display: " + file(request.xcfDisplay) + "\n";
        for (const core::XcfStructure& s : texts.xcf->structures) {
            out += "  " + s.name + ": " + s.status + (s.pending ? ", a policy pending" : "") +
                   ", " + std::to_string(s.instances.size()) + " instance(s)\n";
        }
    }
    if (texts.source) {
        out += "\nCurrent policy: " + file(request.currentPolicy) + ", policy " +
               texts.source->policyName + ", " + std::to_string(texts.source->structures.size()) +
               " STRUCTURE and " + std::to_string(texts.source->facilities.size()) +
               " CF statements\n";
    }
    if (group.hasStructures) {
        out += "\nStructures of the group\n";
        for (const core::RunningStructure& s : group.structures) {
            out += "  " + s.name + ": " + s.action + "; current " + FiguresText(s.current) +
                   "; recommended " + FiguresText(s.recommended) + "\n";
            if (!s.pending.empty()) {
                out += "    pending until the next allocation: " + Joined(s.pending, ", ") + "\n";
            }
            if (explain) {
                for (const std::string& why : s.why) {
                    out += "      " + why + "\n";
                }
            }
        }
    }
    if (!group.steps.empty()) {
        out += "\nSteps for this group\n";
        for (const std::string& step : group.steps) {
            out += "  " + step + "\n";
        }
    }
    return out;
}

void AddRunningJson(const core::RunningGroup& group, const RunningTexts& texts, std::string& out) {
    json running = json::object();
    if (texts.gbp) {
        json gbps = json::array();
        for (size_t i = 0; i < group.gbps.size(); ++i) {
            const core::RunningGbp& g = group.gbps[i];
            const core::GbpDisplay& d = texts.gbp->gbps[i];
            gbps.push_back({
                {"gbp", core::ValidUtf8(g.gbp)},
                {"structure", core::ValidUtf8(g.structure)},
                {"member", core::ValidUtf8(g.member)},
                {"period_start", core::ValidUtf8(g.periodStart)},
                {"displays", d.displayCount},
                {"allocated_size_kb", Json(g.allocatedSizeKb)},
                {"directory_entries", Json(g.directoryEntries)},
                {"data_pages", Json(g.dataPages)},
                {"current_ratio", Ratio(g.currentRatioTenths)},
                {"pending_ratio", Ratio(g.pendingRatioTenths)},
                {"changed_pages", Json(d.changedPages)},
                {"writes_failed", Json(d.writesFailed)},
                {"directory_reclaims", Json(d.directoryReclaims)},
                {"data_reclaims", Json(d.dataReclaims)},
                {"castouts", Json(d.castouts)},
                {"xi_directory_reclaims", Json(d.xiDirectoryReclaims)},
                {"verdicts", Strings(g.verdicts)},
                {"why", Strings(g.why)},
                {"recommended",
                 {{"initsize_kb", Json(g.recommendedInitSizeKb)},
                  {"directory_entries", Json(g.recommendedDirectoryEntries)},
                  {"data_entries", Json(g.recommendedDataEntries)}}},
            });
        }
        running["gbps"] = gbps;
    }
    if (group.hasStructures) {
        json structures = json::array();
        for (const core::RunningStructure& s : group.structures) {
            structures.push_back({
                {"name", core::ValidUtf8(s.name)},
                {"current", Figures(s.current)},
                {"recommended", Figures(s.recommended)},
                {"current_ratio", Ratio(s.currentRatioTenths)},
                {"written_ratio", Ratio(s.writtenRatioTenths)},
                {"action", core::ValidUtf8(s.action)},
                {"pending", Strings(s.pending)},
                {"why", Strings(s.why)},
            });
        }
        running["structures"] = structures;
    }
    if (texts.source) {
        running["steps"] = Strings(group.steps);
        running["ratio_commands"] = Strings(group.ratioCommands);
    }
    json warnings = json::array();
    for (const core::Warning& w : group.warnings) {
        warnings.push_back(
            {{"code", core::ValidUtf8(w.code)}, {"message", core::ValidUtf8(w.message)}});
    }
    running["warnings"] = warnings;
    json sizing = json::parse(out);
    sizing["running"] = running;
    out = core::JsonText(sizing);
}

}  // namespace cli

// The running group beside the recommendation.
#include "core/running_group.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "core/cfrm_policy.h"
#include "core/cfrm_text.h"
#include "core/gbp_display.h"
#include "core/policy_source.h"
#include "core/text.h"
#include "core/xcf_display.h"

namespace core {
namespace {

constexpr int64_t kKbPerMb = 1024;
constexpr int64_t kDefaultRatioTenths = 100;  // Db2's RATIO(10) when none was set
constexpr size_t kColumns = kPolicyColumns;   // columns 72 to 80 are not read

std::string Kb(int64_t kb) {
    return kb % kKbPerMb == 0 ? std::to_string(kb / kKbPerMb) + " MB" : std::to_string(kb) + " KB";
}

// A ratio in tenths as Db2 writes it: 50 -> "5", 15 -> "1.5".
std::string RatioText(int64_t tenths) {
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0) {
        text += "." + std::to_string(tenths % 10);
    }
    return text;
}

std::optional<int64_t> Tenths(const std::optional<double>& ratio) {
    if (!ratio || !std::isfinite(*ratio) || *ratio < 0 || *ratio > 1e9) {
        return std::nullopt;
    }
    return static_cast<int64_t>(std::llround(*ratio * 10));
}

std::string PreflistText(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) {
        out += (out.empty() ? "" : ",") + n;
    }
    return out;
}

StructureFigures FromSource(const PolicySourceStructure& s) {
    StructureFigures f;
    f.initSizeKb = s.initSizeKb;
    f.sizeKb = s.sizeKb;
    f.minSizeKb = s.minSizeKb;
    // An absent keyword is XCF's default, which is known.
    f.allowAutoAlter = s.allowAutoAlter.value_or(false);
    f.duplex = s.duplex.empty() ? "DISABLED" : s.duplex;
    f.preflist = s.preferenceList;
    return f;
}

StructureFigures FromXcf(const XcfPolicyInfo& p) {
    StructureFigures f;
    f.initSizeKb = p.initSizeKb;
    f.sizeKb = p.sizeKb;
    f.minSizeKb = p.minSizeKb;
    f.allowAutoAlter = p.allowAutoAlter;
    if (!p.duplex.empty()) {
        f.duplex = p.duplex;
    }
    if (!p.preferenceList.empty()) {
        f.preflist = p.preferenceList;
    }
    return f;
}

StructureFigures FromRecommendation(const CfrmStructure& s) {
    StructureFigures f;
    f.initSizeKb = s.initSizeKb;
    f.sizeKb = s.sizeKb;
    f.minSizeKb = s.minSizeKb;
    f.allowAutoAlter = s.allowAutoAlter;
    f.duplex = DuplexValue(s);
    f.preflist = s.preflist;
    return f;
}

bool PolicyNameCharacter(char c, bool first) {
    if (c >= 'A' && c <= 'Z') {
        return true;
    }
    return !first && ((c >= '0' && c <= '9') || c == '$' || c == '#' || c == '@');
}

// ---- The verdicts and actions ---------------------------------------------------------------

class Comparison {
public:
    Comparison(const CfrmPolicy& policy, const CfrmOptions& options, const RunningInputs& inputs,
               RunningGroup& out)
        : m_policy(policy), m_options(options), m_in(inputs), m_out(out) {}

    void Run() {
        IndexInputs();
        if (m_in.gbpDisplay) {
            for (const GbpDisplay& d : m_in.gbpDisplay->gbps) {
                m_out.gbps.push_back(Verdicts(d));
            }
        }
        m_out.hasStructures = m_in.xcfDisplay || m_in.policySource;
        if (!m_out.hasStructures) {
            return;
        }
        for (const std::string& name : GroupStructureNames()) {
            m_out.structures.push_back(Structure(name));
        }
        CheckSourceActive();
    }

private:
    void Warn(std::string code, std::string message) {
        m_out.warnings.push_back({std::move(code), std::move(message)});
    }

    std::string GbpStructureName(const GbpDisplay& d) const {
        return d.structureName.empty() ? m_policy.groupName + "_" + d.gbp : d.structureName;
    }

    void IndexInputs() {
        for (const CfrmStructure& s : m_policy.structures) {
            m_recommended[s.name] = &s;
        }
        if (m_in.gbpDisplay) {
            for (const GbpDisplay& d : m_in.gbpDisplay->gbps) {
                m_displays[GbpStructureName(d)] = &d;
            }
        }
        if (m_in.xcfDisplay) {
            for (const XcfStructure& s : m_in.xcfDisplay->structures) {
                m_xcf[s.name] = &s;
            }
        }
        if (m_in.policySource) {
            for (const PolicySourceStructure& s : m_in.policySource->structures) {
                m_source[s.name] = &s;
            }
        }
    }

    bool OfTheGroup(const std::string& name) const {
        return m_recommended.count(name) != 0 || name.starts_with(m_policy.groupName + "_");
    }

    // The recommendation's structures in its order, then those only the inputs name.
    std::vector<std::string> GroupStructureNames() const {
        std::vector<std::string> names;
        const auto add = [&names](const std::string& name) {
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(name);
            }
        };
        for (const CfrmStructure& s : m_policy.structures) {
            add(s.name);
        }
        if (m_in.policySource) {
            for (const PolicySourceStructure& s : m_in.policySource->structures) {
                if (OfTheGroup(s.name)) {
                    add(s.name);
                }
            }
        }
        if (m_in.xcfDisplay) {
            for (const XcfStructure& s : m_in.xcfDisplay->structures) {
                if (OfTheGroup(s.name)) {
                    add(s.name);
                }
            }
        }
        return names;
    }

    RunningGbp Verdicts(const GbpDisplay& d) {
        RunningGbp g;
        g.gbp = d.gbp;
        g.structure = GbpStructureName(d);
        g.member = d.member;
        g.periodStart = d.periodStart;
        g.allocatedSizeKb = d.allocatedSizeKb;
        g.directoryEntries = d.directoryEntries;
        g.dataPages = d.dataPages;
        g.currentRatioTenths = Tenths(d.currentRatio);
        g.pendingRatioTenths = Tenths(d.pendingRatio);
        if (d.xiDirectoryReclaims && *d.xiDirectoryReclaims > 0) {
            g.verdicts.push_back("too_few_directory_entries");
            g.why.push_back("too_few_directory_entries: " + std::to_string(*d.xiDirectoryReclaims) +
                            " cross-invalidations due to directory reclaims (DSNB788I)");
        }
        if (d.writesFailed && *d.writesFailed > 0) {
            g.verdicts.push_back("too_few_data_entries");
            g.why.push_back("too_few_data_entries: " + std::to_string(*d.writesFailed) +
                            " writes failed due to lack of storage (DSNB786I)");
        }
        if (g.pendingRatioTenths && g.currentRatioTenths &&
            *g.pendingRatioTenths != *g.currentRatioTenths) {
            g.verdicts.push_back("ratio_pending");
            g.why.push_back("ratio_pending: the pending ratio " + RatioText(*g.pendingRatioTenths) +
                            " differs from the current " + RatioText(*g.currentRatioTenths) +
                            " (DSNB755I)");
        }
        if (d.notInCfrmPolicy) {
            g.verdicts.push_back("not_in_cfrm_policy");
            g.why.push_back("not_in_cfrm_policy: DSNB751I, a partial display");
        }
        if (!d.xiDirectoryReclaims) {
            g.why.push_back("no verdict on directory entries: DSNB788I not reported");
        }
        if (!d.writesFailed) {
            g.why.push_back("no verdict on data entries: DSNB786I not reported");
        }
        const auto r = m_recommended.find(g.structure);
        if (r != m_recommended.end()) {
            g.recommendedInitSizeKb = r->second->initSizeKb;
            if (r->second->entries) {
                g.recommendedDataEntries = r->second->entries->dataEntries;
                g.recommendedDirectoryEntries = r->second->entries->DirectoryEntries();
            }
        }
        return g;
    }

    std::optional<StructureFigures> Current(const std::string& name) const {
        if (m_in.policySource) {
            const auto s = m_source.find(name);
            return s == m_source.end() ? std::nullopt
                                       : std::optional<StructureFigures>(FromSource(*s->second));
        }
        const auto x = m_xcf.find(name);
        if (x != m_xcf.end() && x->second->policy) {
            return FromXcf(*x->second->policy);
        }
        return std::nullopt;
    }

    // The rule that a structure reporting a shortage keeps its current figures.
    void KeepRunning(RunningStructure& s, const CfrmStructure& rec, const GbpDisplay* display) {
        const bool directoryShort =
            display && display->xiDirectoryReclaims && *display->xiDirectoryReclaims > 0;
        const bool dataShort = display && display->writesFailed && *display->writesFailed > 0;
        const bool alwaysKept = rec.kind != StructureKind::kGroupBufferPool;
        std::optional<int64_t> currentInit;
        if (s.current) {
            currentInit = s.current->initSizeKb;
        }
        if (!currentInit && display) {
            currentInit = display->allocatedSizeKb;
        }
        if ((directoryShort || dataShort || alwaysKept) && currentInit &&
            *s.recommended->initSizeKb < *currentInit) {
            Warn("recommendation_below_running",
                 s.name + ": the recommendation's INITSIZE of " + Kb(*s.recommended->initSizeKb) +
                     " is " + Kb(*currentInit - *s.recommended->initSizeKb) +
                     " below the current " + Kb(*currentInit) +
                     (alwaysKept ? "" : ", and the structure reports a shortage") +
                     "; the current INITSIZE is kept.");
            s.why.push_back("INITSIZE kept at the current " + Kb(*currentInit) + " (estimate " +
                            Kb(*s.recommended->initSizeKb) + ")");
            s.recommended->initSizeKb = *currentInit;
            s.recommended->sizeKb = std::max({*s.recommended->sizeKb, *currentInit,
                                              s.current ? s.current->sizeKb.value_or(0) : 0});
        }
        if (directoryShort && s.writtenRatioTenths && s.currentRatioTenths &&
            *s.writtenRatioTenths < *s.currentRatioTenths) {
            Warn("recommendation_below_running",
                 s.name + ": the recommendation's RATIO of " + RatioText(*s.writtenRatioTenths) +
                     " is " + RatioText(*s.currentRatioTenths - *s.writtenRatioTenths) +
                     " below the current " + RatioText(*s.currentRatioTenths) +
                     ", and the GBP reports cross-invalidations due to directory reclaims; the "
                     "current RATIO is kept.");
            s.why.push_back("RATIO kept at the current " + RatioText(*s.currentRatioTenths));
            s.writtenRatioTenths = s.currentRatioTenths;
        }
    }

    void RatioCommand(const RunningStructure& s, const GbpDisplay* display) {
        if (!s.writtenRatioTenths) {
            return;
        }
        const std::string gbp = s.name.substr(m_policy.groupName.size() + 1);
        const std::optional<int64_t> pending =
            display ? Tenths(display->pendingRatio) : std::nullopt;
        if (pending && *pending != s.currentRatioTenths.value_or(kDefaultRatioTenths)) {
            if (*pending == *s.writtenRatioTenths) {
                return;
            }
            Warn("pending_ratio_overridden", gbp + ": the pending RATIO " + RatioText(*pending) +
                                                 " is replaced by " +
                                                 RatioText(*s.writtenRatioTenths) + ".");
        } else if (*s.writtenRatioTenths == s.currentRatioTenths.value_or(kDefaultRatioTenths)) {
            return;
        }
        m_out.ratioCommands.push_back(CommandStart(m_options) + "ALTER GROUPBUFFERPOOL(" + gbp +
                                      ") RATIO(" + RatioText(*s.writtenRatioTenths) + ")");
    }

    RunningStructure Structure(const std::string& name) {
        RunningStructure s;
        s.name = name;
        s.current = Current(name);
        const auto x = m_xcf.find(name);
        const XcfStructure* xcf = x == m_xcf.end() ? nullptr : x->second;
        const auto d = m_displays.find(name);
        const GbpDisplay* display = d == m_displays.end() ? nullptr : d->second;
        s.allocated = (xcf && xcf->status.starts_with("ALLOCATED")) ||
                      (display && display->allocatedSizeKb && *display->allocatedSizeKb > 0);
        s.duplexed =
            (xcf && xcf->instances.size() >= 2) || (display && display->duplexingMode == "DUPLEX");
        const auto r = m_recommended.find(name);
        const CfrmStructure* rec = r == m_recommended.end() ? nullptr : r->second;
        if (rec) {
            s.recommended = FromRecommendation(*rec);
            if (rec->entries) {
                s.writtenRatioTenths = rec->entries->ratio * 10;
                s.currentRatioTenths = display && Tenths(display->currentRatio)
                                           ? *Tenths(display->currentRatio)
                                           : kDefaultRatioTenths;
            }
            KeepRunning(s, *rec, display);
            RatioCommand(s, display);
        }
        Action(s);
        return s;
    }

    void Action(RunningStructure& s) {
        if (!s.current) {
            s.action = "new";
            s.why.push_back("new: not in the current policy");
            return;
        }
        if (!s.recommended) {
            s.action = "not_recommended";
            s.why.push_back("not_recommended: in the policy, not sized here; kept as it stands");
            return;
        }
        const StructureFigures& cur = *s.current;
        const StructureFigures& rec = *s.recommended;
        const auto changed = [](const auto& a, const auto& b) { return a && b && *a != *b; };
        if (changed(cur.preflist, rec.preflist)) {
            s.pending.push_back("PREFLIST(" + PreflistText(*rec.preflist) + ")");
        }
        if (rec.minSizeKb != cur.minSizeKb && rec.minSizeKb) {
            s.pending.push_back("MINSIZE " + Kb(*rec.minSizeKb));
        }
        if (changed(cur.sizeKb, rec.sizeKb)) {
            s.pending.push_back("SIZE " + Kb(*rec.sizeKb));
        }
        if (s.writtenRatioTenths && *s.writtenRatioTenths != *s.currentRatioTenths) {
            s.action = "rebuild";
            s.why.push_back("rebuild: RATIO " + RatioText(*s.writtenRatioTenths) +
                            " differs from the current " + RatioText(*s.currentRatioTenths));
        } else if (cur.sizeKb && *rec.initSizeKb > *cur.sizeKb) {
            s.action = "rebuild";
            s.why.push_back("rebuild: INITSIZE " + Kb(*rec.initSizeKb) +
                            " is above the current SIZE " + Kb(*cur.sizeKb));
        } else if (changed(cur.initSizeKb, rec.initSizeKb) && s.allocated) {
            s.action = "alter";
            s.why.push_back("alter: INITSIZE " + Kb(*cur.initSizeKb) + " to " +
                            Kb(*rec.initSizeKb) + " within the current SIZE");
        } else {
            s.action = "keep";
            if (changed(cur.initSizeKb, rec.initSizeKb)) {
                s.pending.push_back("INITSIZE " + Kb(*rec.initSizeKb));
            }
            s.why.push_back(s.pending.empty() ? "keep: nothing to change now"
                                              : "keep: the changes wait for the next allocation");
        }
    }

    void CheckSourceActive() {
        if (!m_in.xcfDisplay || !m_in.policySource) {
            return;
        }
        for (const XcfStructure& x : m_in.xcfDisplay->structures) {
            if (!OfTheGroup(x.name)) {
                continue;
            }
            const auto s = m_source.find(x.name);
            std::string reason;
            if (s == m_source.end()) {
                reason = "it is displayed but not in the source";
            } else if (x.pending) {
                reason = "a policy is pending for it";
            } else if (x.policy) {
                const PolicySourceStructure& src = *s->second;
                const auto differs = [](const auto& a, const auto& b) {
                    return a && b && *a != *b;
                };
                if (differs(x.policy->sizeKb, src.sizeKb) ||
                    differs(x.policy->initSizeKb, src.initSizeKb) ||
                    differs(x.policy->minSizeKb, src.minSizeKb)) {
                    reason = "its sizes differ";
                }
            }
            if (!reason.empty()) {
                Warn("policy_source_not_active",
                     x.name + ": the policy source is not the active policy; " + reason + ".");
            }
        }
    }

    const CfrmPolicy& m_policy;
    const CfrmOptions& m_options;
    const RunningInputs& m_in;
    RunningGroup& m_out;
    std::map<std::string, const CfrmStructure*> m_recommended;
    std::map<std::string, const GbpDisplay*> m_displays;
    std::map<std::string, const XcfStructure*> m_xcf;
    std::map<std::string, const PolicySourceStructure*> m_source;
};

// ---- The new policy ---------------------------------------------------------------------------

struct Layout {
    size_t verbColumn = 4;      // 0-based
    size_t keywordColumn = 14;  // of continuation lines
    std::string newline = "\n";
};

size_t LineEnd(std::string_view text, size_t from) {
    const size_t nl = text.find('\n', from);
    return nl == std::string_view::npos ? text.size() : nl;
}

// Lines [linesBegin, linesEnd) split, terminators removed.
std::vector<std::string_view> Lines(std::string_view text, size_t begin, size_t end) {
    std::vector<std::string_view> lines;
    while (begin < end) {
        size_t e = LineEnd(text, begin);
        std::string_view line = text.substr(begin, e - begin);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        begin = e + 1;
    }
    return lines;
}

Layout LayoutOf(std::string_view text, const PolicyStatement& st) {
    Layout l;
    l.verbColumn = st.begin - st.linesBegin;
    l.keywordColumn = l.verbColumn + st.verb.size() + 1;
    const std::vector<std::string_view> lines = Lines(text, st.linesBegin, st.linesEnd);
    if (lines.size() > 1) {
        const std::string_view second = lines[1].substr(0, kColumns);
        const size_t c = second.find_first_not_of(' ');
        if (c != std::string_view::npos) {
            l.keywordColumn = c;
        }
    }
    const size_t e = LineEnd(text, st.linesBegin);
    l.newline = e > 0 && e < text.size() && text[e - 1] == '\r' ? "\r\n" : "\n";
    return l;
}

// A statement's words, by the line they go on (the source's lines where it had them).
using WordLines = std::vector<std::vector<std::string>>;

// `words` on lines of at most kColumns columns in `layout`: a line of `words` that does not fit
// goes on on the next.
std::vector<std::string> Pack(const WordLines& words, const Layout& layout) {
    std::vector<std::string> lines;
    // Past column 71 the utility reads nothing, so a deep indent gives way to a long word.
    const auto indent = [](size_t column, const std::string& word) {
        return std::string(std::min(column, kColumns - std::min(kColumns, word.size())), ' ');
    };
    for (size_t g = 0; g < words.size(); ++g) {
        if (words[g].empty()) {
            continue;
        }
        std::string line =
            indent(g == 0 ? layout.verbColumn : std::max<size_t>(layout.keywordColumn, 1),
                   words[g][0]) +
            words[g][0];
        for (size_t i = 1; i < words[g].size(); ++i) {
            if (line.size() + 1 + words[g][i].size() > kColumns) {
                lines.push_back(line);
                line = indent(std::max<size_t>(layout.keywordColumn, 1), words[g][i]) + words[g][i];
            } else {
                line += " " + words[g][i];
            }
        }
        lines.push_back(line);
    }
    return lines;
}

// A keyword as words that each fit a line: a long value is cut after its commas and at its
// blanks, where the utility takes a line end as well. A keyword without a value is its name.
void AddKeyword(std::vector<std::string>& words, const std::string& name, const std::string& value,
                bool hasValue = true) {
    if (!hasValue) {
        words.push_back(name);
        return;
    }
    const std::string whole = name + "(" + value + ")";
    if (whole.size() <= kColumns - 16) {
        words.push_back(whole);
        return;
    }
    std::string piece = name + "(";
    size_t start = 0;
    while (true) {
        const size_t cut = value.find_first_of(", ", start);
        if (cut == std::string::npos) {
            words.push_back(piece + value.substr(start) + ")");
            return;
        }
        const bool comma = value[cut] == ',';
        piece += value.substr(start, cut - start + (comma ? 1 : 0));
        if (!piece.empty()) {
            words.push_back(piece);
        }
        piece.clear();
        start = cut + 1;
    }
}

std::string SizeValue(int64_t kb, const std::string& asWritten) {
    const bool inMb = !asWritten.empty() && FoldCase(asWritten.back()) == 'm';
    return inMb && kb % kKbPerMb == 0 ? std::to_string(kb / kKbPerMb) + "M" : std::to_string(kb);
}

class PolicyWriter {
public:
    PolicyWriter(std::string_view text, const PolicySource& source) : m_text(text), m_src(source) {}

    // Replaces the lines of statement `index` by `words` laid out as it was.
    void Replace(size_t index, const WordLines& words) {
        const PolicyStatement& st = m_src.statements[index];
        const Layout layout = LayoutOf(m_text, st);
        const std::vector<std::string> lines = Pack(words, layout);
        const std::vector<std::string_view> old = Lines(m_text, st.linesBegin, st.linesEnd);
        const bool alone =
            m_text.substr(st.linesBegin, st.begin - st.linesBegin).find_first_not_of(' ') ==
                std::string_view::npos &&
            TailBlank(st.end);
        std::string out;
        if (!alone) {
            // Another statement or a comment shares the lines: only the statement's bytes go,
            // on a line of their own when the first line would not fit where the verb stood.
            const bool stays =
                lines[0].size() <= kColumns && lines[0].find_first_not_of(' ') == layout.verbColumn;
            for (size_t i = 0; i < lines.size(); ++i) {
                out += i == 0 && stays ? lines[i].substr(layout.verbColumn)
                                       : layout.newline + lines[i];
            }
            // What follows the statement on its last line keeps its columns: a comment or
            // statement on a line of its own, columns 72 to 80 after the padded last line.
            const size_t nl = m_text.rfind('\n', st.end - 1);
            const size_t lastStart = nl == std::string_view::npos ? 0 : nl + 1;
            size_t lineEnd = LineEnd(m_text, st.end);
            if (lineEnd > st.end && m_text[lineEnd - 1] == '\r') {
                --lineEnd;
            }
            if (TailBlank(st.end)) {
                const size_t lastLength = lines.back().size();
                if (lineEnd - lastStart > kColumns) {
                    out += std::string(kColumns - std::min(kColumns, lastLength), ' ');
                    out += m_text.substr(lastStart + kColumns, lineEnd - lastStart - kColumns);
                }
                m_edits.push_back({st.begin, lineEnd, out});
            } else {
                out += layout.newline + std::string(st.end - lastStart, ' ');
                m_edits.push_back({st.begin, st.end, out});
            }
            return;
        }
        for (size_t i = 0; i < lines.size(); ++i) {
            std::string line = lines[i];
            if (i < old.size() && old[i].size() > kColumns) {
                line.resize(kColumns, ' ');
                line += old[i].substr(kColumns);
            }
            out += line + layout.newline;
        }
        const bool lastHadTerminator = st.linesEnd > 0 && m_text[st.linesEnd - 1] == '\n';
        if (!lastHadTerminator) {
            out.resize(out.size() - layout.newline.size());
        }
        m_edits.push_back({st.linesBegin, st.linesEnd, out});
    }

    // Puts `lines` (laid out as statement `after`) after the lines of statement `after`.
    void InsertAfter(size_t after, const std::vector<WordLines>& statements) {
        const PolicyStatement& st = m_src.statements[after];
        Layout layout = LayoutOf(m_text, st);
        // A comment before the verb does not move where the next statements start.
        const size_t lineStart =
            m_text.substr(st.linesBegin, st.begin - st.linesBegin).find_first_not_of(' ');
        if (lineStart != std::string_view::npos) {
            layout.verbColumn = lineStart;
        }
        if (st.verb != "STRUCTURE" || st.firstLine == st.lastLine) {
            layout.keywordColumn = layout.verbColumn + std::string_view("STRUCTURE ").size();
        }
        std::string out;
        const bool lastHadTerminator = st.linesEnd > 0 && m_text[st.linesEnd - 1] == '\n';
        if (!lastHadTerminator) {
            out += layout.newline;
        }
        for (const WordLines& words : statements) {
            for (const std::string& line : Pack(words, layout)) {
                out += line + layout.newline;
            }
        }
        if (!lastHadTerminator) {
            out.resize(out.size() - layout.newline.size());
        }
        m_edits.push_back({st.linesEnd, st.linesEnd, out});
    }

    std::string Text() {
        std::sort(m_edits.begin(), m_edits.end(),
                  [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
        std::string out;
        size_t at = 0;
        for (const Edit& e : m_edits) {
            out.append(m_text.substr(at, e.begin - at));
            out += e.text;
            at = e.end;
        }
        out.append(m_text.substr(at));
        return out;
    }

private:
    // Whether the line of `end` holds nothing after it before column 72.
    bool TailBlank(size_t end) const {
        const size_t nl = m_text.rfind('\n', end - 1);
        const size_t lineStart = nl == std::string_view::npos ? 0 : nl + 1;
        const size_t column = end - lineStart;
        if (column >= kColumns) {
            return true;
        }
        std::string_view rest =
            m_text.substr(end, std::min(LineEnd(m_text, end), lineStart + kColumns) - end);
        if (!rest.empty() && rest.back() == '\r') {
            rest.remove_suffix(1);
        }
        return rest.find_first_not_of(' ') == std::string_view::npos;
    }

    struct Edit {
        size_t begin;
        size_t end;
        std::string text;
    };
    std::string_view m_text;
    const PolicySource& m_src;
    std::vector<Edit> m_edits;
};

// The words of keyword `k` of `old` go on the line it stood on.
std::vector<std::string>& LineOf(WordLines& words, const PolicyStatement& old,
                                 const PolicyKeyword& k) {
    const size_t at = static_cast<size_t>(std::max<int64_t>(k.line - old.firstLine, 0));
    if (words.size() <= at) {
        words.resize(at + 1);
    }
    return words[at];
}

// The words of a STRUCTURE statement: the source's keywords in their order and on their lines
// with the figures of `rec`, then those it lacks.
WordLines StructureWords(const RunningStructure& rs, const CfrmStructure& rec,
                         const PolicyStatement* old) {
    const StructureFigures& f = *rs.recommended;
    WordLines words = {{"STRUCTURE"}};
    std::vector<std::string> done;
    const auto value = [&](const std::string& name, const std::string& asWritten,
                           std::string& out) {
        if (name == "NAME") {
            out = rs.name;
        } else if (name == "INITSIZE") {
            out = SizeValue(*f.initSizeKb, asWritten);
        } else if (name == "SIZE") {
            out = SizeValue(*f.sizeKb, asWritten);
        } else if (name == "MINSIZE") {
            if (f.minSizeKb) {
                out = SizeValue(*f.minSizeKb, asWritten);
            } else if (!rs.current || !rs.current->minSizeKb ||
                       *rs.current->minSizeKb > *f.initSizeKb) {
                return false;
            }
        } else if (name == "ALLOWAUTOALT") {
            out = *f.allowAutoAlter ? "YES" : "NO";
        } else if (name == "DUPLEX") {
            out = *f.duplex;
        } else if (name == "PREFLIST") {
            out = PreflistText(*f.preflist);
        }
        return true;
    };
    const std::vector<std::string> ours = {"NAME",         "SIZE",     "INITSIZE", "MINSIZE",
                                           "ALLOWAUTOALT", "PREFLIST", "DUPLEX"};
    if (old) {
        for (const PolicyKeyword& k : old->keywords) {
            std::string v = k.value;
            if (!value(k.name, k.value, v)) {
                done.push_back(k.name);
                continue;
            }
            const bool isOurs = std::find(ours.begin(), ours.end(), k.name) != ours.end();
            AddKeyword(LineOf(words, *old, k), k.name, v, k.hasValue || isOurs);
            done.push_back(k.name);
        }
    }
    for (const std::string& name : ours) {
        if (std::find(done.begin(), done.end(), name) != done.end()) {
            continue;
        }
        std::string v;
        if ((name == "MINSIZE" && !f.minSizeKb) ||
            (name == "ALLOWAUTOALT" && !rec.allowAutoAlter) || (name == "DUPLEX" && !rec.duplex) ||
            (name == "PREFLIST" && f.preflist->empty())) {
            continue;
        }
        value(name, "", v);
        // A new statement: its name on the first line, the rest below.
        AddKeyword(!old && name == "NAME" ? words.front() : words.back(), name, v);
        if (!old && name == "NAME") {
            words.emplace_back();
        }
    }
    return words;
}

bool FiguresChanged(const RunningStructure& s) {
    const StructureFigures& c = *s.current;
    const StructureFigures& r = *s.recommended;
    return c.initSizeKb != r.initSizeKb || c.sizeKb != r.sizeKb ||
           (r.minSizeKb && c.minSizeKb != r.minSizeKb) || c.allowAutoAlter != r.allowAutoAlter ||
           c.duplex != r.duplex || c.preflist != r.preflist;
}

std::string NewPolicy(const CfrmPolicy& policy, const RunningInputs& in, const RunningGroup& g,
                      const std::string& newName) {
    const PolicySource& src = *in.policySource;
    PolicyWriter writer(in.policyText, src);
    // REPLACE(NO), so that a rerun fails rather than overwrite the policy.
    WordLines define = {{"DEFINE", "POLICY", "NAME(" + newName + ")", "REPLACE(NO)"}};
    const PolicyStatement& defineStatement = src.statements[src.definePolicyStatement];
    for (const PolicyKeyword& k : defineStatement.keywords) {
        if (k.name != "POLICY" && k.name != "NAME" && k.name != "REPLACE") {
            AddKeyword(LineOf(define, defineStatement, k), k.name, k.value, k.hasValue);
        }
    }
    writer.Replace(src.definePolicyStatement, define);
    std::map<std::string, const PolicySourceStructure*> bySource;
    std::optional<size_t> last;
    for (const PolicySourceStructure& s : src.structures) {
        bySource[s.name] = &s;
    }
    for (const RunningStructure& rs : g.structures) {
        const auto s = bySource.find(rs.name);
        if (s != bySource.end()) {
            last = std::max(last.value_or(0), s->second->statement);
        }
    }
    if (!last) {
        last = src.structures.empty() ? (src.facilities.empty() ? src.definePolicyStatement
                                                                : src.facilities.back().statement)
                                      : src.structures.back().statement;
    }
    std::vector<WordLines> added;
    for (const RunningStructure& rs : g.structures) {
        if (!rs.recommended) {
            continue;
        }
        const CfrmStructure* rec = nullptr;
        for (const CfrmStructure& c : policy.structures) {
            if (c.name == rs.name) {
                rec = &c;
            }
        }
        const auto s = bySource.find(rs.name);
        if (s == bySource.end()) {
            added.push_back(StructureWords(rs, *rec, nullptr));
        } else if (FiguresChanged(rs)) {
            writer.Replace(s->second->statement,
                           StructureWords(rs, *rec, &src.statements[s->second->statement]));
        }
    }
    if (!added.empty()) {
        writer.InsertAfter(*last, added);
    }
    return writer.Text();
}

// ---- The steps --------------------------------------------------------------------------------

void AddSteps(RunningGroup& g, const CfrmPolicy& policy, const CfrmOptions& options,
              const std::string& oldName, const std::string& newName) {
    std::vector<std::string> steps;
    steps.push_back("Run the job of policy " + newName +
                    " with REPORT(YES) and read its report; if the couple data set has no room "
                    "for another policy, delete an unused one (DELETE POLICY NAME(...)).");
    for (const std::string& c : g.ratioCommands) {
        steps.push_back(c + " (pending until the GBP is allocated anew, DSNB800I)");
    }
    steps.push_back("SETXCF START,POLICY,TYPE=CFRM,POLNAME=" + newName);
    bool pending = false;
    for (const RunningStructure& s : g.structures) {
        if (s.action == "alter") {
            steps.push_back("SETXCF START,ALTER,STRNAME=" + s.name +
                            ",SIZE=" + std::to_string(*s.recommended->initSizeKb) + "K");
        }
        pending = pending || ((s.action == "alter" || s.action == "keep") && !s.pending.empty());
    }
    for (const RunningStructure& s : g.structures) {
        if (s.action != "rebuild") {
            continue;
        }
        if (s.duplexed) {
            steps.push_back("SETXCF STOP,REBUILD,DUPLEX,STRNAME=" + s.name + ",KEEP=OLD");
            steps.push_back("SETXCF START,REBUILD,STRNAME=" + s.name);
            steps.push_back("SETXCF START,REBUILD,DUPLEX,STRNAME=" + s.name + " (at low activity)");
        } else {
            steps.push_back("SETXCF START,REBUILD,STRNAME=" + s.name);
        }
    }
    if (pending) {
        steps.push_back("SETXCF START,REALLOCATE (for the pending changes)");
    }
    steps.push_back(CommandStart(options) + "DISPLAY GROUPBUFFERPOOL(*) GDETAIL(*)");
    steps.push_back("D XCF,STR,STRNAME=" + policy.groupName + "_*");
    steps.push_back("To fall back: SETXCF START,POLICY,TYPE=CFRM,POLNAME=" + oldName);
    for (size_t i = 0; i < steps.size(); ++i) {
        g.steps.push_back(std::to_string(i + 1) + ". " + steps[i]);
    }
}

// A new policy is only handed out when the policy checker reads it back as written: the source
// may hold text whose reading depends on what stands next to it.
// Ok when the new policy reads back as made; otherwise the reading failure's code, or
// kInvalidData for a policy that reads but is not the one made.
Status ReadBackProblem(const RunningGroup& g, const std::string& newName) {
    const PolicySourceResult back = ReadPolicySource(g.newPolicy);
    std::string reason = back.ok() ? "" : back.status().message();
    if (back.ok() && back->policyName != newName) {
        reason = "it names policy " + back->policyName;
    }
    for (const RunningStructure& s : g.structures) {
        if (!reason.empty() || !s.recommended) {
            continue;
        }
        const auto written =
            std::find_if(back->structures.begin(), back->structures.end(),
                         [&s](const PolicySourceStructure& b) { return b.name == s.name; });
        if (written == back->structures.end() || written->initSizeKb != s.recommended->initSizeKb ||
            written->sizeKb != s.recommended->sizeKb) {
            reason = "it does not hold " + s.name + " as recommended";
        }
    }
    if (reason.empty()) {
        return Status();
    }
    return Status(back.ok() ? StatusCode::kInvalidData : back.status().code(),
                  "The new policy made from the source does not read back (" + reason +
                      "); the source's layout around the group's statements is too unusual to "
                      "edit safely.");
}

}  // namespace

std::string NewPolicyNameProblem(std::string_view name, std::string_view sourceName) {
    const std::string upper = UpperCase(name);
    if (upper.empty() || upper.size() > 8) {
        return "The new policy name must be 1 to 8 characters.";
    }
    for (size_t i = 0; i < upper.size(); ++i) {
        if (!PolicyNameCharacter(upper[i], i == 0)) {
            return "The new policy name must start with A-Z and hold only A-Z, 0-9, $, # or @.";
        }
    }
    if (upper == sourceName) {
        return "The new policy name " + upper +
               " is the current policy's; choose another, so that the current one stays to "
               "fall back to.";
    }
    return "";
}

RunningGroup ReadRunningGroup(const CfrmPolicy& policy, const CfrmOptions& options,
                              const RunningInputs& inputs) {
    RunningGroup g;
    std::string newName;
    if (inputs.policySource) {
        const PolicySource& src = *inputs.policySource;
        std::string problem = NewPolicyNameProblem(inputs.newPolicyName, src.policyName);
        for (const std::string& cf : policy.facilities) {
            if (!problem.empty()) {
                break;
            }
            const bool defined =
                std::any_of(src.facilities.begin(), src.facilities.end(),
                            [&cf](const PolicySourceCf& f) { return f.name == cf; });
            if (!defined) {
                problem = "The facility " + cf + " is not defined by a CF statement of policy " +
                          src.policyName + ".";
            }
        }
        if (!problem.empty()) {
            g.status = Status(StatusCode::kInvalidArgument, std::move(problem));
            return g;
        }
        newName = UpperCase(inputs.newPolicyName);
    }
    Comparison(policy, options, inputs, g).Run();
    if (inputs.policySource) {
        g.newPolicy = NewPolicy(policy, inputs, g, newName);
        if (Status problem = ReadBackProblem(g, newName); !problem.ok()) {
            RunningGroup refused;
            refused.status = std::move(problem);
            return refused;
        }
        AddSteps(g, policy, options, inputs.policySource->policyName, newName);
    }
    return g;
}

}  // namespace core

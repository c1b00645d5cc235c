#include "core/xcf_display.h"

#include <map>

#include "core/capture_text.h"
#include "core/text.h"

namespace core {
namespace {

// Colons looked at on one line: a prefix's time has two, a label one.
constexpr size_t kMaxPairsPerLine = 8;

const char* const kLookedFor =
    "it holds no structure display (looked for IXC360I blocks with STRNAME:, POLICY "
    "INFORMATION:, CFNAME: and ACTUAL SIZE:)";

enum class Block { kNone, kPolicy, kPending, kInstance };

enum class Label {
    kStrName,
    kStatus,
    kPendingPolicy,
    kPolicy,
    kSize,
    kInitSize,
    kMinSize,
    kFullThreshold,
    kAllowAutoAlt,
    kDuplex,
    kPreferenceList,
    kAllocationTime,
    kCfName,
    kActualSize,
};

// Longer labels first, so that PENDING POLICY INFORMATION is not taken for POLICY INFORMATION.
const struct {
    const char* text;
    Label label;
} kLabels[] = {
    {"STRNAME", Label::kStrName},
    {"STATUS", Label::kStatus},
    {"PENDING POLICY INFORMATION", Label::kPendingPolicy},
    {"POLICY INFORMATION", Label::kPolicy},
    {"POLICY SIZE", Label::kSize},
    {"POLICY INITSIZE", Label::kInitSize},
    {"POLICY MINSIZE", Label::kMinSize},
    {"FULLTHRESHOLD", Label::kFullThreshold},
    {"ALLOWAUTOALT", Label::kAllowAutoAlt},
    {"DUPLEX", Label::kDuplex},
    {"PREFERENCE LIST", Label::kPreferenceList},
    {"ALLOCATION TIME", Label::kAllocationTime},
    {"CFNAME", Label::kCfName},
    {"ACTUAL SIZE", Label::kActualSize},
};

bool IsCfNameWord(std::string_view word) {
    if (word.empty() || word.size() > 8) {
        return false;
    }
    for (const char c : word) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '$' || c == '#' ||
                        c == '@' || c == '_';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// Adds the names to the list, up to kMaxPreferenceList; whether the list may go on.
bool AddFacilities(const std::vector<std::string_view>& names, XcfPolicyInfo& policy) {
    for (const std::string_view name : names) {
        if (policy.preferenceList.size() >= kMaxPreferenceList) {
            return false;
        }
        policy.preferenceList.push_back(UpperCase(name));
    }
    return true;
}

class XcfDisplayReader {
public:
    std::string Read(std::string_view text);
    XcfDisplayRead result;

private:
    std::string ReadLine(const LineCursor& cursor);
    std::string ReadLabel(Label label, const LabelValue& pair, int64_t lineNo);
    XcfInstance& Instance(int64_t lineNo, bool fresh);
    void Finish();

    std::optional<XcfStructure> m_structure;
    Block m_block = Block::kNone;
    bool m_continuesPreferenceList = false;
    bool m_otherMessage = false;  // the lines belong to a message other than IXC360I
    std::map<std::string, size_t> m_index;
    std::vector<int> m_displayCount;
    XcfInstance m_overflow;  // where instances past the limit go
};

void XcfDisplayReader::Finish() {
    m_block = Block::kNone;
    m_continuesPreferenceList = false;
    if (!m_structure) {
        return;
    }
    XcfStructure structure = std::move(*m_structure);
    m_structure.reset();
    const auto [it, added] = m_index.emplace(structure.name, result.structures.size());
    if (added) {
        result.structures.push_back(std::move(structure));
        m_displayCount.push_back(1);
        return;
    }
    result.structures[it->second] = std::move(structure);
    ++m_displayCount[it->second];
}

XcfInstance& XcfDisplayReader::Instance(int64_t lineNo, bool fresh) {
    std::vector<XcfInstance>& instances = m_structure->instances;
    if (fresh || instances.empty()) {
        if (instances.size() >= kMaxXcfInstances) {
            m_overflow = XcfInstance{};
            return m_overflow;
        }
        instances.push_back(XcfInstance{});
        instances.back().line = lineNo;
    }
    return instances.back();
}

std::string XcfDisplayReader::ReadLabel(Label label, const LabelValue& pair, int64_t lineNo) {
    XcfStructure& s = *m_structure;
    XcfPolicyInfo* policy = nullptr;
    if (m_block == Block::kPolicy) {
        policy = &*s.policy;
    } else if (m_block == Block::kPending) {
        policy = &*s.pending;
    }
    std::optional<int64_t>* sizeKb = nullptr;
    switch (label) {
        case Label::kStrName:
            break;  // read by the caller
        case Label::kStatus:
            if (s.status.empty()) {
                s.status = std::string(pair.rest);
            }
            break;
        case Label::kPendingPolicy:
            m_block = Block::kPending;
            s.pending.emplace();
            break;
        case Label::kPolicy:
            m_block = Block::kPolicy;
            s.policy.emplace();
            break;
        case Label::kSize:
            sizeKb = policy != nullptr ? &policy->sizeKb : nullptr;
            break;
        case Label::kInitSize:
            sizeKb = policy != nullptr ? &policy->initSizeKb : nullptr;
            break;
        case Label::kMinSize:
            sizeKb = policy != nullptr ? &policy->minSizeKb : nullptr;
            break;
        case Label::kFullThreshold:
            if (policy != nullptr) {
                const Figure figure = ReadCount(pair.value);
                policy->fullThreshold =
                    figure.ok() ? std::optional<int64_t>(figure.value) : std::nullopt;
            }
            break;
        case Label::kAllowAutoAlt:
            if (policy != nullptr) {
                const std::string value = UpperCase(pair.value);
                policy->allowAutoAlter = value == "YES"  ? std::optional<bool>(true)
                                         : value == "NO" ? std::optional<bool>(false)
                                                         : std::nullopt;
            }
            break;
        case Label::kDuplex:
            if (policy != nullptr) {
                policy->duplex = UpperCase(pair.value);
            }
            break;
        case Label::kPreferenceList:
            if (policy != nullptr) {
                policy->preferenceList.clear();
                m_continuesPreferenceList = AddFacilities(Words(pair.rest), *policy);
            }
            break;
        case Label::kAllocationTime:
            m_block = Block::kInstance;
            Instance(lineNo, true);
            break;
        case Label::kCfName: {
            const bool fresh = m_block != Block::kInstance || s.instances.empty() ||
                               !s.instances.back().cfName.empty();
            m_block = Block::kInstance;
            Instance(lineNo, fresh).cfName = UpperCase(pair.value);
            break;
        }
        case Label::kActualSize:
            m_block = Block::kInstance;
            sizeKb = &Instance(lineNo, false).actualSizeKb;
            break;
    }
    if (sizeKb != nullptr) {
        const Figure figure = ReadSizeKb(pair);
        if (figure.status == FigureStatus::kTooLarge) {
            return AtLine("a size of " + Printable(s.name) + " is beyond 64 bits in KB", lineNo);
        }
        *sizeKb = figure.ok() ? std::optional<int64_t>(figure.value) : std::nullopt;
    }
    return "";
}

std::string XcfDisplayReader::ReadLine(const LineCursor& cursor) {
    const std::string_view line = cursor.line;
    if (m_continuesPreferenceList && line.find(':') == std::string_view::npos) {
        const std::vector<std::string_view> words = Words(line);
        bool allNames = !words.empty();
        for (const std::string_view word : words) {
            allNames = allNames && IsCfNameWord(word);
        }
        if (allNames) {
            m_continuesPreferenceList = AddFacilities(
                words, m_block == Block::kPending ? *m_structure->pending : *m_structure->policy);
            m_structure->lastLine = cursor.number;
            return "";
        }
    }
    m_continuesPreferenceList = false;
    size_t afterId = 0;
    const std::string_view id = FindMessageId(line, &afterId);
    if (!id.empty()) {
        Finish();
        m_otherMessage = id != "IXC360I";
        return "";
    }
    if (m_otherMessage) {
        return "";
    }
    for (const LabelValue& pair : LabelValues(line, ':', kMaxPairsPerLine)) {
        for (const auto& known : kLabels) {
            if (!LabelEndsWith(pair.label, known.text)) {
                continue;
            }
            if (known.label == Label::kStrName) {
                Finish();
                if (pair.value.empty()) {
                    return "";
                }
                std::string name = UpperCase(pair.value);
                if (m_index.size() >= kMaxXcfStructures && m_index.count(name) == 0) {
                    return "it displays more than " + std::to_string(kMaxXcfStructures) +
                           " structures";
                }
                m_structure.emplace();
                m_structure->name = std::move(name);
                m_structure->firstLine = cursor.number;
            } else if (!m_structure) {
                return "";
            }
            m_structure->lastLine = cursor.number;
            return ReadLabel(known.label, pair, cursor.number);
        }
    }
    return "";
}

std::string XcfDisplayReader::Read(std::string_view text) {
    if (std::string problem =
            ForEachLine(text, [this](const LineCursor& cursor) { return ReadLine(cursor); });
        !problem.empty()) {
        return problem;
    }
    Finish();
    if (result.structures.empty()) {
        return kLookedFor;
    }
    for (size_t i = 0; i < result.structures.size(); ++i) {
        if (m_displayCount[i] > 1) {
            result.notes.push_back(Printable(result.structures[i].name) + " is displayed " +
                                   std::to_string(m_displayCount[i]) +
                                   " times; the last display, on line " +
                                   std::to_string(result.structures[i].firstLine) + ", is kept.");
        }
    }
    return "";
}

}  // namespace

XcfDisplayResult ReadXcfDisplay(std::string_view text) {
    XcfDisplayReader reader;
    std::string error = reader.Read(text);
    if (!error.empty()) {
        return Status(StatusCode::kInvalidData, std::move(error));
    }
    return std::move(reader.result);
}

}  // namespace core

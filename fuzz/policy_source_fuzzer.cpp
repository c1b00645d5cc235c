// Feeds arbitrary bytes to the reader of the policy job. A refusal is one line; a reading's
// statements lie in text order inside the text, each starting with its verb, and every CF and
// STRUCTURE points at a statement of its kind after the one DEFINE POLICY.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/policy_source.h"
#include "fuzz/reader_checks.h"
#include "core/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const core::PolicySourceResult result = core::ReadPolicySource(text);
    if (!fuzz::IsReading(result)) {
        return 0;
    }
    const core::PolicySource& source = *result;
    if (source.policyName.empty() || source.definePolicyStatement >= source.statements.size()) {
        std::abort();
    }
    size_t previousEnd = 0;
    for (const core::PolicyStatement& s : source.statements) {
        if (s.begin < previousEnd || s.end <= s.begin || s.end > size || s.linesBegin > s.begin ||
            s.linesEnd < s.end || s.linesEnd > size || s.lastLine < s.firstLine ||
            !core::EqualsIgnoreCase(text.substr(s.begin, s.verb.size()), s.verb)) {
            std::abort();
        }
        previousEnd = s.end;
    }
    for (const core::PolicySourceStructure& structure : source.structures) {
        if (structure.statement >= source.statements.size() ||
            structure.statement <= source.definePolicyStatement || structure.name.empty() ||
            source.statements[structure.statement].kind != core::PolicyStatementKind::kStructure) {
            std::abort();
        }
    }
    for (const core::PolicySourceCf& cf : source.facilities) {
        if (cf.statement >= source.statements.size() ||
            source.statements[cf.statement].kind != core::PolicyStatementKind::kCf) {
            std::abort();
        }
    }
    return 0;
}

#include "cfrm_policy.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <set>

#include "cfrm_text.h"
#include "group_buffer_pools.h"
#include "sizing.h"
#include "text.h"

namespace core {
namespace {

constexpr size_t kMaxNameLength = 8;
constexpr size_t kMaxFacilities = 8;
constexpr int64_t kKbPerMb = 1024;
// The policy utility takes sizes up to 1 TB; a structure past that is left out rather than
// written as a statement the utility refuses.
constexpr int64_t kMaxSizeMb = int64_t{1024} * 1024;
constexpr const char* kPastLimit = ": its SIZE could pass the utility's limit of 1 TB.";
constexpr int64_t kDefaultRatio = 10;
constexpr int64_t kMaxRatio = 1024;
constexpr int64_t kOldMaxRatio = 255;

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNational(char c) { return c == '$' || c == '#' || c == '@'; }

std::string Join(const std::vector<std::string>& items, std::string_view separator,
                 std::string_view last) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            text += i + 1 == items.size() ? last : separator;
        }
        text += items[i];
    }
    return text;
}

// value / divisor rounded up; both positive.
int64_t CeilDiv(int64_t value, int64_t divisor) { return (value + divisor - 1) / divisor; }

// SIZE for an INITSIZE: x the factor read to thousandths, rounded up, at most twice INITSIZE.
int64_t GrownMb(int64_t initMb, double factor) {
    const auto perMille = static_cast<int64_t>(std::llround(factor * 1000.0));
    return std::min(CeilDiv(initMb * perMille, 1000), 2 * initMb);
}

// The Db2 estimate of a group buffer pool, data plus directory, in whole MB: D x P KB of data
// and 1.1 x R x D x 0.2 KB of directory, i.e. (100 D P + 22 R D) / 100 KB. nullopt past the
// policy utility's limit.
std::optional<int64_t> GroupBufferPoolMb(int64_t pages, int64_t pageSizeKb, int64_t ratio) {
    // Past this many pages the data alone passes the limit; below it nothing overflows.
    if (pages > kMaxSizeMb * kKbPerMb / 4) {
        return std::nullopt;
    }
    const int64_t hundredthsKb = 100 * pages * pageSizeKb + 22 * ratio * pages;
    const int64_t mb = CeilDiv(hundredthsKb, 100 * kKbPerMb);
    return mb > kMaxSizeMb ? std::nullopt : std::optional<int64_t>(mb);
}

std::string NameProblem(std::string_view name, std::string_view noun, bool underscore) {
    if (name.empty()) {
        return "Give a " + std::string(noun) + ".";
    }
    const std::string named = "The " + std::string(noun) + " " + Upper(name);
    if (name.size() > kMaxNameLength) {
        return named + " has more than 8 characters.";
    }
    for (const char c : Upper(name)) {
        if (!IsLetter(c) && !IsDigit(c) && !IsNational(c) && !(underscore && c == '_')) {
            return named + (underscore ? " may hold only A-Z, 0-9, $, #, @ and _."
                                       : " may hold only A-Z, 0-9, $, # and @.");
        }
    }
    if (!IsLetter(Upper(name)[0])) {
        return named + " must start with a letter A-Z.";
    }
    return {};
}

void AddStructure(CfrmPolicy& policy, CfrmStructure structure, int64_t initMb,
                  const CfrmOptions& options) {
    structure.initSizeKb = initMb * kKbPerMb;
    structure.sizeKb = GrownMb(initMb, options.growthFactor) * kKbPerMb;
    policy.structures.push_back(std::move(structure));
}

// The lock structure or the SCA from its Mb figure on the results page.
void AddGroupStructure(CfrmPolicy& policy, StructureKind kind, std::string_view suffix,
                       int64_t sizeMb, const CfrmOptions& options) {
    CfrmStructure structure;
    structure.kind = kind;
    structure.name = policy.groupName + "_" + std::string(suffix);
    structure.duplex = policy.duplexInForce == DuplexChoice::kAll;
    const std::string what = kind == StructureKind::kLock ? "The lock structure" : "The SCA";
    if (sizeMb <= 0) {
        policy.leftOut.push_back({"", structure.name, what + " has a size of 0 Mb."});
    } else if (sizeMb > kMaxSizeMb / 2) {
        policy.leftOut.push_back(
            {"", structure.name, what + " needs more than 512 GB" + kPastLimit});
    } else {
        AddStructure(policy, std::move(structure), sizeMb, options);
    }
}

void AddGroupBufferPools(CfrmPolicy& policy, const SizingResult& sizing,
                         const CfrmOptions& options) {
    std::set<std::string> gbpsWritten;
    for (const PoolResult& pool : sizing.pools) {
        const std::string poolText = Latin1ToUtf8(pool.pool);
        const std::optional<GroupBufferPool> gbp = GroupBufferPoolOf(pool.pool);
        if (!gbp) {
            policy.leftOut.push_back(
                {poolText, "", "Pool " + poolText + " is not a Db2 buffer pool name."});
            continue;
        }
        const std::string name = policy.groupName + "_" + gbp->name;
        if (pool.gbpSize <= 0) {
            policy.leftOut.push_back(
                {poolText, name, "Pool " + poolText + " has a GBP Size of 0 pages."});
            continue;
        }
        if (!gbpsWritten.insert(gbp->name).second) {
            policy.leftOut.push_back(
                {poolText, name, "Pool " + poolText + " names " + gbp->name + " a second time."});
            continue;
        }
        const std::optional<int64_t> initMb =
            GroupBufferPoolMb(pool.gbpSize, gbp->pageSizeKb, policy.sizingRatio);
        if (!initMb || *initMb > kMaxSizeMb / 2) {
            policy.leftOut.push_back(
                {poolText, name,
                 "Pool " + poolText + " needs a " + gbp->name + " of more than 512 GB."});
            continue;
        }
        CfrmStructure structure;
        structure.kind = StructureKind::kGroupBufferPool;
        structure.name = name;
        structure.pool = poolText;
        structure.duplex = policy.duplexInForce != DuplexChoice::kNone;
        structure.allowAutoAlter = options.allowAutoAlter;
        if (options.allowAutoAlter) {
            structure.minSizeKb = *initMb * kKbPerMb;
        }
        AddStructure(policy, std::move(structure), *initMb, options);
    }
}

void SetRatio(CfrmPolicy& policy, const SizingResult& sizing) {
    const std::optional<int64_t> ratio = sizing.directoryDataRatio;
    if (ratio && *ratio >= 1 && *ratio <= kMaxRatio) {
        policy.ratio = ratio;
        policy.sizingRatio = *ratio;
        if (*ratio > kOldMaxRatio) {
            policy.notes.push_back("RATIO(" + std::to_string(*ratio) +
                                   ") needs a current Db2 level: older levels accept 1 to 255.");
        }
        return;
    }
    // Without a command the group buffer pools keep Db2's default ratio, so they are sized
    // for it.
    policy.sizingRatio = kDefaultRatio;
    policy.notes.push_back(
        ratio ? "No RATIO command: the directory/data ratio " + std::to_string(*ratio) +
                    " lies outside 1 to 1024. The GBPs are sized for Db2's default ratio of 10."
              : "No RATIO command: the directory/data ratio cannot be computed. The GBPs are "
                "sized for Db2's default ratio of 10.");
}

void AddCommands(CfrmPolicy& policy, const CfrmOptions& options) {
    if (!policy.ratio) {
        return;
    }
    // A prefix of several characters reads as a subsystem name, so a blank keeps it apart.
    const std::string prefix =
        options.commandPrefix.size() > 1 &&
                std::isalnum(static_cast<unsigned char>(options.commandPrefix.back()))
            ? options.commandPrefix + " "
            : options.commandPrefix;
    for (const CfrmStructure& s : policy.structures) {
        if (s.kind == StructureKind::kGroupBufferPool) {
            policy.commands.push_back(prefix + "ALTER GROUPBUFFERPOOL(" +
                                      s.name.substr(policy.groupName.size() + 1) + ") RATIO(" +
                                      std::to_string(*policy.ratio) + ")");
        }
    }
}

void AddRequiredPoolsNote(CfrmPolicy& policy) {
    std::vector<std::string> missing;
    for (const char* required : {"GBP0", "GBP8K0", "GBP16K0", "GBP32K"}) {
        const std::string name = policy.groupName + "_" + required;
        if (std::none_of(policy.structures.begin(), policy.structures.end(),
                         [&](const CfrmStructure& s) { return s.name == name; })) {
            missing.push_back(required);
        }
    }
    if (!missing.empty()) {
        policy.notes.push_back(
            "Db2 requires GBP0, GBP8K0, GBP16K0 and GBP32K in a data-sharing group, whatever the "
            "statistics say: define " +
            Join(missing, ", ", " and ") + " as well.");
    }
}

void CheckFit(CfrmPolicy& policy, const CfrmOptions& options) {
    CfrmFit& fit = policy.fit;
    for (const CfrmStructure& s : policy.structures) {
        const int64_t copies = s.duplex ? 2 : 1;
        fit.totalInitSizeKb += copies * s.initSizeKb;
        fit.totalSizeKb += copies * s.sizeKb;
        fit.oneFacilityNeedsKb += s.sizeKb;
    }
    const double needsMb = static_cast<double>(fit.oneFacilityNeedsKb) / kKbPerMb;
    for (size_t i = 0; i < policy.facilities.size() && i < options.freeSpaceMb.size(); ++i) {
        if (const std::optional<double> free = options.freeSpaceMb[i]) {
            fit.facilities.push_back(
                {policy.facilities[i], *free, *free >= needsMb, *free - needsMb});
        }
    }
}

}  // namespace

std::string GroupNameProblem(std::string_view name) {
    if (std::string problem = NameProblem(name, "group name", false); !problem.empty()) {
        return problem;
    }
    const std::string upper = Upper(name);
    if (upper[0] >= 'A' && upper[0] <= 'I' && upper.compare(0, 3, "DSN") != 0) {
        return "The group name " + upper + " starts with a letter A to I but not with DSN.";
    }
    if (upper.compare(0, 3, "SYS") == 0) {
        return "The group name " + upper + " starts with SYS.";
    }
    if (upper == "UNDESIG") {
        return "UNDESIG cannot be a group name.";
    }
    return {};
}

std::string FacilityNamesProblem(const std::vector<std::string>& names) {
    if (names.empty()) {
        return "Give at least one coupling facility.";
    }
    if (names.size() > kMaxFacilities) {
        return "Give at most eight coupling facilities.";
    }
    std::set<std::string> seen;
    for (const std::string& name : names) {
        if (std::string problem = NameProblem(name, "coupling facility name", true);
            !problem.empty()) {
            return problem;
        }
        if (!seen.insert(Upper(name)).second) {
            return "The coupling facility " + Upper(name) + " is given twice.";
        }
    }
    return {};
}

std::string GrowthFactorProblem(double factor) {
    if (!(factor >= 1.0 && factor <= 2.0)) {
        return "The growth factor must be a number from 1.0 to 2.0.";
    }
    return {};
}

std::string CommandPrefixProblem(std::string_view prefix) {
    if (prefix.empty() || prefix.size() > kMaxNameLength ||
        !std::all_of(prefix.begin(), prefix.end(), [](char c) { return c > ' ' && c < 127; })) {
        return "The command prefix must be 1 to 8 characters, no blanks.";
    }
    // The commands are written inside comments, which these would open or close.
    if (prefix.find("/*") != std::string_view::npos ||
        prefix.find("*/") != std::string_view::npos) {
        return "The command prefix must not hold /* or */.";
    }
    return {};
}

std::string CfrmOptionsProblem(const CfrmOptions& options) {
    for (std::string problem :
         {GroupNameProblem(options.groupName), FacilityNamesProblem(options.facilities),
          GrowthFactorProblem(options.growthFactor), CommandPrefixProblem(options.commandPrefix)}) {
        if (!problem.empty()) {
            return problem;
        }
    }
    if (options.facilities.size() == 1 && (options.duplex == DuplexChoice::kGroupBufferPools ||
                                           options.duplex == DuplexChoice::kAll)) {
        return "Duplexing needs two coupling facilities: a duplexed structure lives in both.";
    }
    if (options.freeSpaceMb.size() > options.facilities.size()) {
        return "There are more free-space figures than coupling facilities.";
    }
    for (const std::optional<double>& free : options.freeSpaceMb) {
        if (free && !(*free > 0 && std::isfinite(*free))) {
            return "The free space must be a positive number of MB.";
        }
        if (free && *free < 1) {
            return "The free space must be at least 1 MB.";
        }
    }
    return {};
}

std::vector<std::string> SplitNameList(std::string_view text) {
    std::vector<std::string> names;
    std::string name;
    for (const char c : text) {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!name.empty()) {
                names.push_back(std::move(name));
                name.clear();
            }
        } else {
            name += c;
        }
    }
    if (!name.empty()) {
        names.push_back(std::move(name));
    }
    return names;
}

std::optional<double> ParseDecimal(std::string_view text) {
    const std::string_view number = Trim(text);
    size_t digits = 0;
    size_t points = 0;
    for (const char c : number) {
        digits += IsDigit(c) ? 1 : 0;
        points += c == '.' ? 1 : 0;
    }
    if (digits == 0 || points > 1 || digits + points != number.size() || digits > 15) {
        return std::nullopt;
    }
    return std::strtod(std::string(number).c_str(), nullptr);
}

FreeSpaceParse ParseFreeSpace(std::string_view text, const std::vector<std::string>& facilities) {
    FreeSpaceParse parse;
    if (Trim(text).empty()) {
        return parse;
    }
    const auto number = [&parse](std::string_view piece) -> std::optional<double> {
        const std::optional<double> mb = ParseDecimal(piece);
        if (!mb || *mb <= 0) {
            parse.problem = "The free space must be a positive number of MB, not \"" +
                            std::string(Trim(piece)) + "\".";
            return std::nullopt;
        }
        // A facility has whole MB of storage; less than one is a slip of the unit.
        if (*mb < 1) {
            parse.problem =
                "The free space must be at least 1 MB, not \"" + std::string(Trim(piece)) + "\".";
            return std::nullopt;
        }
        return mb;
    };
    if (text.find('=') == std::string_view::npos) {
        if (const std::optional<double> mb = number(text)) {
            parse.freeSpaceMb.assign(facilities.size(), mb);
        }
        return parse;
    }
    parse.freeSpaceMb.assign(facilities.size(), std::nullopt);
    size_t from = 0;
    while (from <= text.size() && parse.problem.empty()) {
        const size_t comma = std::min(text.find(',', from), text.size());
        const std::string_view piece = text.substr(from, comma - from);
        from = comma + 1;
        const size_t equals = piece.find('=');
        const std::string name = Upper(Trim(piece.substr(0, equals)));
        if (equals == std::string_view::npos || name.empty()) {
            parse.problem = "Give the free space as MB, or as CF01=MB,CF02=MB.";
            break;
        }
        const auto it = std::find_if(facilities.begin(), facilities.end(),
                                     [&](const std::string& f) { return Upper(f) == name; });
        const size_t index = static_cast<size_t>(it - facilities.begin());
        if (it == facilities.end()) {
            parse.problem = name + " is not one of the coupling facilities.";
        } else if (parse.freeSpaceMb[index]) {
            parse.problem = name + " is given twice in the free space.";
        } else if (const std::optional<double> mb = number(piece.substr(equals + 1))) {
            parse.freeSpaceMb[index] = mb;
        }
    }
    if (!parse.problem.empty()) {
        parse.freeSpaceMb.clear();
    }
    return parse;
}

CfrmPolicy MakeCfrmPolicy(const SizingResult& sizing, const CfrmSource& source,
                          const CfrmOptions& options) {
    CfrmPolicy policy;
    policy.problem = CfrmOptionsProblem(options);
    if (!policy.ok()) {
        return policy;
    }
    policy.groupName = Upper(options.groupName);
    for (const std::string& facility : options.facilities) {
        policy.facilities.push_back(Upper(facility));
    }
    policy.duplexInForce = options.duplex;
    if (options.duplex == DuplexChoice::kDefault) {
        policy.duplexInForce =
            policy.facilities.size() >= 2 ? DuplexChoice::kGroupBufferPools : DuplexChoice::kNone;
    }

    SetRatio(policy, sizing);
    AddGroupStructure(policy, StructureKind::kLock, "LOCK1", sizing.lockStructureSizeMb, options);
    AddGroupStructure(policy, StructureKind::kSca, "SCA", sizing.scaSizeMb, options);
    AddGroupBufferPools(policy, sizing, options);
    AddCommands(policy, options);
    AddRequiredPoolsNote(policy);
    if (policy.duplexInForce == DuplexChoice::kAll) {
        policy.notes.push_back(
            "DUPLEX(ENABLED) on the lock structure and the SCA is system-managed duplexing: it "
            "needs a CFRM couple data set formatted for it (ITEM NAME(SMDUPLEX)) and links "
            "between the coupling facilities.");
    }
    CheckFit(policy, options);
    policy.text = CfrmPolicyText(policy, source, options);
    return policy;
}

}  // namespace core

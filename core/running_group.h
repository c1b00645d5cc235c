// The running group beside the recommendation: what the group buffer pools report about
// themselves (gbp_display.h), what z/OS holds for the structures (xcf_display.h) and the policy's
// source (policy_source.h), turned into verdicts per group buffer pool, an action per structure of
// the group, the complete new policy and the ordered steps that put it into force.
#ifndef CORE_RUNNING_GROUP_H_
#define CORE_RUNNING_GROUP_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"
#include "core/warnings.h"

namespace core {

struct CfrmOptions;
struct CfrmPolicy;
struct GbpDisplay;
struct GbpDisplayRead;
struct PolicySource;
struct XcfDisplayRead;

// What was read of the running group; a null pointer is an input not given. Every pointer and
// `policyText` must stay live during ReadRunningGroup.
struct RunningInputs {
    const GbpDisplayRead* gbpDisplay = nullptr;
    const XcfDisplayRead* xcfDisplay = nullptr;
    const PolicySource* policySource = nullptr;
    std::string_view policyText;  // the text policySource was read from
    // The name of the new policy: 1 to 8 of A-Z 0-9 $ # @, A-Z first, lower case taken as upper
    // case, not the source's. Default: none; needed with policySource.
    std::string newPolicyName;
};

// A structure's policy figures; nullopt for what is not known. Sizes in KB.
struct StructureFigures {
    std::optional<int64_t> initSizeKb;
    std::optional<int64_t> sizeKb;
    std::optional<int64_t> minSizeKb;
    std::optional<bool> allowAutoAlter;
    std::optional<std::string> duplex;                 // "ENABLED", "DISABLED", "ENABLED,ASYNC"
    std::optional<std::vector<std::string>> preflist;  // upper case, in order
};

struct RunningGbp {
    std::string gbp;        // "GBP0"
    std::string structure;  // "DSNDB0G_GBP0"
    std::string member;     // the command prefix of the display kept
    std::string periodStart;
    std::optional<int64_t> allocatedSizeKb;
    std::optional<int64_t> directoryEntries;
    std::optional<int64_t> dataPages;
    std::optional<int64_t> currentRatioTenths;  // 5 -> 50, 1.5 -> 15
    std::optional<int64_t> pendingRatioTenths;
    // too_few_directory_entries, too_few_data_entries, ratio_pending, not_in_cfrm_policy.
    std::vector<std::string> verdicts;
    // The recommendation's; nullopt when it sizes no such GBP or does not measure it.
    std::optional<int64_t> recommendedInitSizeKb;
    std::optional<int64_t> recommendedDirectoryEntries;
    std::optional<int64_t> recommendedDataEntries;
    std::vector<std::string> why;  // how each verdict came about
};

struct RunningStructure {
    std::string name;
    std::optional<StructureFigures> current;      // nullopt: in no input
    std::optional<StructureFigures> recommended;  // nullopt: not sized by the recommendation
    std::optional<int64_t> currentRatioTenths;    // a GBP's, from its display (10 assumed when
    std::optional<int64_t> writtenRatioTenths;    // no display is given)
    bool allocated = false;
    bool duplexed = false;
    std::string action;                // new, not_recommended, rebuild, alter, keep
    std::vector<std::string> pending;  // changes written that wait for the next allocation
    std::vector<std::string> why;      // how the action came about
};

struct RunningGroup {
    // Ok when the group was compared. Otherwise nothing else is filled, and the code tells a
    // usage error (kInvalidArgument) from a source whose new policy would not read back (the
    // code of that reading failure, kInvalidData when it read but differs).
    Status status;
    std::vector<RunningGbp> gbps;              // with a GBP display, in its order
    std::vector<RunningStructure> structures;  // with a structures' display or policy source
    std::vector<std::string> ratioCommands;    // Db2 commands to issue, with the prefix
    std::vector<std::string> steps;            // with a policy source
    std::vector<Warning> warnings;             // the new codes only
    std::string newPolicy;                     // with a policy source: the whole job
    bool hasStructures = false;                // whether `structures` and `steps` are asked

    bool ok() const { return status.ok(); }
};

// "" when `name` may name the new policy given the source's name, else one sentence.
std::string NewPolicyNameProblem(std::string_view name, std::string_view sourceName);

// Compares `policy` (made with `options`, which must be acceptable) with the running group.
// The recommendation never takes from a structure that reports a shortage: a GBP with
// cross-invalidations due to directory reclaims or failed writes keeps at least its current
// INITSIZE, one with such cross-invalidations at least its current RATIO, LOCK1 and the SCA at
// least their current INITSIZE (warning recommendation_below_running). Never changes `policy`.
// The new policy is the source with the group's changed STRUCTURE statements and its DEFINE
// POLICY replaced (whole lines, columns 72 to 80 of the lines kept) and the new structures after
// the group's last statement; every other byte is kept. Usage problems (`status`, code
// kInvalidArgument): a bad new policy name, a facility of options.facilities the source does not
// define; and a source problem: a new policy that ReadPolicySource would not read back with its
// name and every recommended structure's sizes, which is never handed out.
[[nodiscard]] RunningGroup ReadRunningGroup(const CfrmPolicy& policy, const CfrmOptions& options,
                                            const RunningInputs& inputs);

}  // namespace core

#endif  // CORE_RUNNING_GROUP_H_

#include "core/cfrm_policy.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "core/cfrm_text.h"
#include "core/group_buffer_pools.h"
#include "core/numbers.h"
#include "core/sizing.h"
#include "core/sweep.h"
#include "core/text.h"

namespace core {
namespace {

constexpr size_t kMaxNameLength = 8;
constexpr size_t kMaxFacilities = 8;
constexpr int64_t kKbPerMb = 1024;
// The policy utility takes sizes up to 1 TB; a structure past that is left out rather than
// written as a statement the utility refuses.
constexpr int64_t kMaxSizeMb = int64_t{1024} * 1024;
constexpr int64_t kMaxRatio = 1024;
constexpr int64_t kOldMaxRatio = 255;
constexpr int64_t kLockStartMb = 64;  // the Redbook's starting size
constexpr int64_t kLockFormulaCapMb = 1024;
constexpr std::array<int64_t, 4> kScaRowsMb = {16, 32, 64, 128};  // IBM's SCA table

bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNational(char c) { return c == '$' || c == '#' || c == '@'; }

// value / divisor rounded up; both positive.
int64_t CeilDiv(int64_t value, int64_t divisor) { return (value + divisor - 1) / divisor; }

// SIZE for an INITSIZE: x the factor read to thousandths, rounded up, at most twice INITSIZE.
int64_t GrownMb(int64_t initMb, double factor) {
    const auto perMille = static_cast<int64_t>(std::llround(factor * 1000.0));
    return std::min(CeilDiv(initMb * perMille, 1000), 2 * initMb);
}

std::string NameProblem(std::string_view name, std::string_view noun, bool underscore) {
    if (name.empty()) {
        return "Give a " + std::string(noun) + ".";
    }
    const std::string named = "The " + std::string(noun) + " " + UpperCase(name);
    if (name.size() > kMaxNameLength) {
        return named + " has more than 8 characters.";
    }
    for (const char c : UpperCase(name)) {
        if (!IsLetter(c) && !IsDigit(c) && !IsNational(c) && !(underscore && c == '_')) {
            return named + (underscore ? " may hold only A-Z, 0-9, $, #, @ and _."
                                       : " may hold only A-Z, 0-9, $, # and @.");
        }
    }
    if (!IsLetter(UpperCase(name)[0])) {
        return named + " must start with a letter A-Z.";
    }
    return {};
}

// Exact arithmetic on the products of page counts and factor terms, which pass 64 bits.
__extension__ typedef __int128 Wide;

Wide CeilDivWide(Wide value, Wide divisor) { return (value + divisor - 1) / divisor; }

// A non-negative number as a fraction: whole numbers exactly, others to millionths.
struct Fraction {
    Wide numerator = 0;
    Wide denominator = 1;
};
Fraction FractionOf(double value) {
    if (value == std::floor(value)) {
        return {static_cast<Wide>(value), 1};
    }
    return {static_cast<Wide>(std::llround(value * 1e6)), 1000000};
}

std::string Text(Wide value) { return std::to_string(static_cast<int64_t>(value)); }

// hundredths / 100 with two decimals: 26407080 -> "264070.80".
std::string HundredthsText(Wide hundredths) {
    const std::string cents = "0" + Text(hundredths % 100);
    return Text(hundredths / 100) + "." + cents.substr(cents.size() - 2);
}

std::string TenthsText(int64_t tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string HundredthsText(int64_t hundredths) { return HundredthsText(Wide{hundredths}); }

std::string Mb(int64_t mb) { return std::to_string(mb) + " MB"; }

void AddWarning(CfrmPolicy& policy, std::string code, std::string message) {
    policy.warnings.push_back({std::move(code), std::move(message)});
}

// The preference list of the i-th GBP: the facilities as given, or rotated left by i.
std::vector<std::string> Preflist(const CfrmPolicy& policy, const CfrmOptions& options,
                                  size_t gbpIndex) {
    std::vector<std::string> list = policy.facilities;
    if (options.spreadPreflist && !list.empty()) {
        std::rotate(list.begin(),
                    list.begin() + static_cast<std::ptrdiff_t>(gbpIndex % list.size()), list.end());
    }
    return list;
}

// The smallest power of two at or above `mb`, from `from` on, at most `cap`.
int64_t PowerOfTwoAtLeast(double mb, int64_t from, int64_t cap) {
    int64_t p = from;
    while (static_cast<double>(p) < mb && p < cap) {
        p *= 2;
    }
    return p;
}

void AddLockStructure(CfrmPolicy& policy, const SizingResult& sizing, const CfrmOptions& options) {
    CfrmStructure s;
    s.kind = StructureKind::kLock;
    s.name = policy.groupName + "_LOCK1";
    s.preflist = policy.facilities;
    s.duplex = policy.duplexInForce == DuplexChoice::kAll;
    s.duplexMode = s.duplex ? options.lockDuplex : std::nullopt;
    int64_t initMb = 0;
    if (options.lockMb) {
        initMb = *options.lockMb;
        s.why.push_back("INITSIZE " + Mb(initMb) + " as given");
    } else {
        const double demand = sizing.lockDemandMb;
        const double basis = std::max(static_cast<double>(kLockStartMb), demand);
        initMb = PowerOfTwoAtLeast(basis, kLockStartMb, kLockFormulaCapMb);
        s.why.push_back("members x ECSA / 2 x 1.1 = " + FigureText(demand) + " MB; at least " +
                        Mb(kLockStartMb) + " (a starting size)");
        s.why.push_back(demand > static_cast<double>(kLockFormulaCapMb)
                            ? "the power of two at or above it passes 1024 MB: held at 1024 MB"
                            : "the power of two at or above it: INITSIZE " + Mb(initMb));
        if (demand > static_cast<double>(kLockFormulaCapMb)) {
            AddWarning(policy, "lock_formula_capped",
                       "The lock structure's formula asks for " + FigureText(demand) +
                           " MB; the policy holds LOCK1 at 1024 MB. Size it with CFSizer or "
                           "give --lock-mb.");
        }
        s.comments.push_back(
            "LOCK1 from members x ECSA is a legacy estimate; IBM sizes the lock structure from "
            "update activity (CFSizer).");
    }
    s.why.push_back("SIZE = 2 x INITSIZE = " + Mb(2 * initMb) +
                    ": a power of two after an alter and a reallocation at SIZE");
    s.initSizeKb = initMb * kKbPerMb;
    s.sizeKb = 2 * initMb * kKbPerMb;
    policy.structures.push_back(std::move(s));
}

void AddSca(CfrmPolicy& policy, const SizingResult& sizing) {
    CfrmStructure s;
    s.kind = StructureKind::kSca;
    s.name = policy.groupName + "_SCA";
    s.preflist = policy.facilities;
    s.duplex = policy.duplexInForce == DuplexChoice::kAll;
    int64_t initMb = kScaRowsMb.back();
    for (const int64_t row : kScaRowsMb) {
        if (row >= sizing.scaSizeMb) {
            initMb = row;
            break;
        }
    }
    s.why.push_back("the results page's SCA size " + std::to_string(sizing.scaSizeMb) +
                    " Mb; the smallest row of IBM's SCA table (16, 32, 64, 128 MB) at or above "
                    "it: INITSIZE " +
                    Mb(initMb));
    s.why.push_back("SIZE = 2 x INITSIZE = " + Mb(2 * initMb));
    s.comments.push_back(
        "IBM sizes the SCA by the numbers of databases, tables and table spaces; the row "
        "here follows the results page's estimate.");
    s.initSizeKb = initMb * kKbPerMb;
    s.sizeKb = 2 * initMb * kKbPerMb;
    policy.structures.push_back(std::move(s));
}

// INITSIZE and SIZE of a GBP, MINSIZE with a percentage; `initMb` fits the utility's limit.
void SetGbpSizes(CfrmStructure& s, int64_t initMb, const CfrmOptions& options) {
    const int64_t sizeMb = GrownMb(initMb, options.growthFactor);
    s.initSizeKb = initMb * kKbPerMb;
    s.sizeKb = sizeMb * kKbPerMb;
    s.why.push_back("SIZE = INITSIZE x " + FigureText(options.growthFactor) +
                    ", rounded up, at most 2 x INITSIZE = " + Mb(sizeMb));
    s.allowAutoAlter = options.allowAutoAlter;
    if (options.minSizePercent) {
        const int64_t minMb = CeilDiv(initMb * *options.minSizePercent, 100);
        s.minSizeKb = minMb * kKbPerMb;
        s.why.push_back("MINSIZE = " + std::to_string(*options.minSizePercent) +
                        " % of INITSIZE, rounded up = " + Mb(minMb));
    }
}

void AddUnmeasured(CfrmPolicy& policy, CfrmStructure s, const std::string& reason,
                   const CfrmOptions& options) {
    const std::string gbp = s.name.substr(policy.groupName.size() + 1);
    s.why.push_back(reason + ": INITSIZE " + Mb(options.unmeasuredGbpMb) +
                    " (the size for an unmeasured GBP)");
    s.comments.push_back(gbp + " is not sized from statistics (" + reason + "): INITSIZE " +
                         Mb(options.unmeasuredGbpMb) + ", no RATIO command. Watch it with " +
                         CommandStart(options) + "DISPLAY GROUPBUFFERPOOL(" + gbp +
                         ") GDETAIL and resize.");
    AddWarning(policy, "gbp_not_sized",
               gbp + " is not sized from statistics (" + reason + "): the policy gives it " +
                   Mb(options.unmeasuredGbpMb) + " and no RATIO command.");
    SetGbpSizes(s, options.unmeasuredGbpMb, options);
    policy.structures.push_back(std::move(s));
}

// The GBP of one pool by section 1 of the README; leaves it out past the utility's limit.
void AddGroupBufferPool(CfrmPolicy& policy, CfrmStructure s, const PoolBasis& basis, double members,
                        const CfrmOptions& options) {
    const std::optional<GbpFactor>& factor = basis.lastRowFactor;
    if (!factor || factor->denominator <= 0 || factor->numerator <= 0) {
        AddUnmeasured(policy, std::move(s), "its last row has no sharing factor", options);
        return;
    }
    if (basis.files <= 0 || basis.vpPages <= 0 || !(members > 0)) {
        AddUnmeasured(policy, std::move(s), "its data entries come to 0", options);
        return;
    }
    const std::string gbp = s.name.substr(policy.groupName.size() + 1);
    const double f =
        static_cast<double>(factor->numerator) / static_cast<double>(factor->denominator);
    // Anything past this many pages of VP_group passes the utility's limit; below it the
    // products stay far inside 128 bits.
    if (static_cast<double>(basis.vpPages) / static_cast<double>(basis.files) * members >
        static_cast<double>(kMaxSizeMb * kKbPerMb)) {
        policy.leftOut.push_back(
            {Latin1ToUtf8(basis.pool), s.name,
             "Pool " + Latin1ToUtf8(basis.pool) + " needs a " + gbp + " of more than 512 GB."});
        return;
    }
    const Fraction m = FractionOf(members);
    // VP_group = vp x m / files as vpGroup / vpGroupDenominator.
    const Wide vpGroup = Wide{basis.vpPages} * m.numerator;
    const Wide vpGroupDenominator = Wide{basis.files} * m.denominator;
    Wide fn = factor->numerator;
    Wide fd = factor->denominator;
    if (factor->numerator > factor->denominator) {
        AddWarning(policy, "activity_ratio_above_1",
                   "Pool " + Latin1ToUtf8(basis.pool) + ": the activity ratio " +
                       std::to_string(factor->numerator) + " / " +
                       std::to_string(factor->denominator) + " is above 1; " + gbp +
                       " counts at most every page once.");
        fn = fd = 1;
    }
    const Wide data = CeilDivWide(vpGroup * fn, vpGroupDenominator * fd);
    s.why.push_back("VP_group = VP " + std::to_string(basis.vpPages) + " over " +
                    std::to_string(basis.files) + (basis.files == 1 ? " file" : " files") + " / " +
                    std::to_string(basis.files) + " x members " + FigureText(members) + " = " +
                    FigureText(static_cast<double>(basis.vpPages) /
                               static_cast<double>(basis.files) * members) +
                    " pages");
    s.why.push_back("sharing factor of the last row " + std::to_string(factor->numerator) + " / " +
                    std::to_string(factor->denominator) + " (" + FigureText(f) + ", the sizing's)" +
                    (f > 1 ? ", taken as 1" : ""));
    if (data <= 0) {
        AddUnmeasured(policy, std::move(s), "its data entries come to 0", options);
        return;
    }
    GbpEntries e;
    e.dataEntries = static_cast<int64_t>(data);
    // U x VP_group with U in hundredths.
    const Wide sharedPages =
        CeilDivWide(vpGroup * options.sharingDegreeHundredths, vpGroupDenominator * 100);
    e.directoryEntriesNeeded = static_cast<int64_t>(data + sharedPages);
    e.ratioNeeded = static_cast<int64_t>(CeilDivWide(data + sharedPages, data));
    e.ratio = std::max(e.ratioNeeded, options.minRatio);
    s.why.push_back("data entries D = VP_group x factor, rounded up = " +
                    std::to_string(e.dataEntries) + " (Loomstead's estimate, not IBM's U x D x R)");
    s.why.push_back("directory entries needed = D + U " +
                    HundredthsText(options.sharingDegreeHundredths) +
                    " x VP_group = " + std::to_string(e.directoryEntriesNeeded));
    s.why.push_back("RATIO needed = " + std::to_string(e.directoryEntriesNeeded) + " / " +
                    std::to_string(e.dataEntries) + ", rounded up = " +
                    std::to_string(e.ratioNeeded) + "; written RATIO " + std::to_string(e.ratio) +
                    " (at least " + std::to_string(options.minRatio) + ")");
    // In hundredths of a KB: 100 D P + 110 R D e / 10 = 100 D P + 11 R D e(tenths).
    const Wide hundredthsKb = Wide{100} * data * s.pageSizeKb +
                              Wide{11} * e.ratio * data * options.directoryEntryTenthsKb;
    const Wide initMb = CeilDivWide(hundredthsKb, Wide{100} * kKbPerMb);
    if (initMb > kMaxSizeMb / 2) {
        policy.leftOut.push_back(
            {Latin1ToUtf8(basis.pool), s.name,
             "Pool " + Latin1ToUtf8(basis.pool) + " needs a " + gbp + " of more than 512 GB."});
        return;
    }
    s.why.push_back(
        "INITSIZE = D x " + std::to_string(s.pageSizeKb) + " + 1.1 x " + std::to_string(e.ratio) +
        " x D x " + TenthsText(options.directoryEntryTenthsKb) + " = " +
        HundredthsText(hundredthsKb) + " KB, rounded up to " + Mb(static_cast<int64_t>(initMb)));
    s.entries = e;
    SetGbpSizes(s, static_cast<int64_t>(initMb), options);
    policy.structures.push_back(std::move(s));
}

// Warnings about the pool's figures on the results page that the policy reads differently.
void WarnPoolFigures(CfrmPolicy& policy, const PoolBasis& basis, const PoolResult* cells,
                     double members) {
    const std::string pool = Latin1ToUtf8(basis.pool);
    if (basis.shared && basis.hpPages > 0) {
        AddWarning(policy, "hiperpool_pages_counted",
                   "Pool " + pool + " has " + std::to_string(basis.hpPages) +
                       " hiperpool pages; Db2 has had no hiperpools since Version 8. The "
                       "results page " +
                       (basis.hpCounted ? "counted them in its GBP Size"
                                        : "did not count them in its GBP Size") +
                       "; the policy does not.");
    }
    if (basis.files > 1 && members > 1 && cells != nullptr) {
        AddWarning(policy, "members_counted_twice",
                   "Pool " + pool + " is in " + std::to_string(basis.files) +
                       " files: its GBP Size of " + std::to_string(cells->gbpSize) +
                       " pages is worked out from the VP summed over the files (" +
                       std::to_string(basis.vpPages) + " pages) x " + FigureText(members) +
                       " members, which counts the members twice; the policy takes " +
                       std::to_string(basis.vpPages) + " / " + std::to_string(basis.files) +
                       " files x " + FigureText(members) + " members = " +
                       FigureText(static_cast<double>(basis.vpPages) /
                                  static_cast<double>(basis.files) * members) +
                       " pages.");
    }
}

void AddGroupBufferPools(CfrmPolicy& policy, const SizingResult& sizing,
                         const CfrmOptions& options) {
    std::set<std::string> gbpsWritten;
    const auto structure = [&](const GroupBufferPool& gbp, std::string pool) {
        CfrmStructure s;
        s.kind = StructureKind::kGroupBufferPool;
        s.name = policy.groupName + "_" + gbp.name;
        s.pool = std::move(pool);
        s.pageSizeKb = gbp.pageSizeKb;
        s.duplex = policy.duplexInForce != DuplexChoice::kNone;
        return s;
    };
    for (size_t p = 0; p < sizing.poolBases.size(); ++p) {
        const PoolBasis& basis = sizing.poolBases[p];
        const std::string poolText = Latin1ToUtf8(basis.pool);
        const std::optional<GroupBufferPool> gbp = GroupBufferPoolOf(basis.pool);
        if (!gbp) {
            policy.leftOut.push_back(
                {poolText, "", "Pool " + poolText + " is not a Db2 buffer pool name."});
            continue;
        }
        if (!gbpsWritten.insert(gbp->name).second) {
            policy.leftOut.push_back(
                {poolText, policy.groupName + "_" + gbp->name,
                 "Pool " + poolText + " names " + gbp->name + " a second time."});
            continue;
        }
        const PoolResult* cells = p < sizing.pools.size() ? &sizing.pools[p] : nullptr;
        if (!basis.shared) {
            AddWarning(policy, "catalog_pool_not_shared",
                       "Pool " + poolText + " is not shared, but Db2 requires " + gbp->name +
                           ": the policy sizes it as if shared.");
        }
        WarnPoolFigures(policy, basis, cells, sizing.membersRead);
        AddGroupBufferPool(policy, structure(*gbp, poolText), basis, sizing.membersRead, options);
    }
    for (const char* required : {"GBP0", "GBP8K0", "GBP16K0", "GBP32K"}) {
        if (gbpsWritten.count(required) == 0) {
            AddUnmeasured(policy, structure(*GroupBufferPoolOf(required + 1), ""),
                          "no loaded file holds its pool", options);
        }
    }
    size_t gbpIndex = 0;
    for (CfrmStructure& s : policy.structures) {
        if (s.kind == StructureKind::kGroupBufferPool) {
            s.preflist = Preflist(policy, options, gbpIndex++);
        }
    }
}

void AddCommands(CfrmPolicy& policy, const CfrmOptions& options) {
    for (const CfrmStructure& s : policy.structures) {
        if (s.entries) {
            policy.commands.push_back(CommandStart(options) + "ALTER GROUPBUFFERPOOL(" +
                                      s.name.substr(policy.groupName.size() + 1) + ") RATIO(" +
                                      std::to_string(s.entries->ratio) + ")");
            if (s.entries->ratio > kOldMaxRatio) {
                policy.notes.push_back("RATIO(" + std::to_string(s.entries->ratio) +
                                       ") needs a current Db2 level: older levels accept 1 to "
                                       "255.");
            }
        }
    }
}

void AddNotes(CfrmPolicy& policy, const CfrmOptions& options) {
    if (options.allowAutoAlter && !options.minSizePercent) {
        policy.notes.push_back(
            "No MINSIZE is written: with ALLOWAUTOALT(YES), XCF's default applies (75 % of "
            "INITSIZE), and a structure may be allocated as small as MINSIZE when the facility "
            "is short of storage.");
    }
    if (options.commandPrefix.find('\'') != std::string::npos) {
        policy.notes.push_back(
            "The command prefix holds an apostrophe: write it doubled in the IEFSSNxx entry.");
    }
    if (policy.duplexInForce == DuplexChoice::kAll) {
        policy.notes.push_back(
            "DUPLEX(ENABLED) on the lock structure and the SCA is system-managed duplexing: it "
            "needs a CFRM couple data set formatted for it (ITEM NAME(SMDUPLEX)) and links "
            "between the coupling facilities.");
    }
    if (policy.duplexInForce == DuplexChoice::kAll && options.lockDuplex &&
        *options.lockDuplex != LockDuplexMode::kSync) {
        policy.notes.push_back(
            "Asynchronous duplexing of the lock structure needs CF service level 02.16 "
            "(CFLEVEL 21) or later, CF-to-CF coupling links, and ITEM NAME(ASYNCDUPLEX) "
            "NUMBER(1) in the CFRM couple data set.");
    }
}

// Whether facility `x` comes before facility `f` in the list (both in it).
bool Before(const std::vector<std::string>& list, const std::string& x, const std::string& f) {
    const auto ix = std::find(list.begin(), list.end(), x);
    const auto iff = std::find(list.begin(), list.end(), f);
    return ix != list.end() && iff != list.end() && ix < iff;
}

// Whether a structure lives in `f` by its preference list: first, or second when duplexed.
bool Holds(const CfrmStructure& s, const std::string& f) {
    return (!s.preflist.empty() && s.preflist[0] == f) ||
           (s.duplex && s.preflist.size() > 1 && s.preflist[1] == f);
}

FacilityFit Placement(const CfrmPolicy& policy, const std::string& f, double freeMb,
                      const CfrmOptions& options) {
    FacilityFit fit;
    fit.name = f;
    fit.freeMb = freeMb;
    int64_t normalKb = 0;
    int64_t ownSizeKb = 0;
    for (const CfrmStructure& s : policy.structures) {
        if (!s.preflist.empty() && s.preflist[0] == f) {
            normalKb += s.initSizeKb;
        }
        if (s.duplex && s.preflist.size() > 1 && s.preflist[1] == f) {
            normalKb += s.initSizeKb;
        }
        ownSizeKb += Holds(s, f) ? s.sizeKb : 0;
    }
    int64_t worstKb = ownSizeKb;
    for (const std::string& x : policy.facilities) {
        if (x == f) {
            continue;
        }
        int64_t kb = 0;
        for (const CfrmStructure& s : policy.structures) {
            kb += Holds(s, f) || Before(s.preflist, x, f) ? s.sizeKb : 0;
        }
        worstKb = std::max(worstKb, kb);
    }
    fit.normalMb = static_cast<double>(normalKb) / kKbPerMb + options.dumpSpaceMb;
    fit.afterLossMb = static_cast<double>(worstKb) / kKbPerMb + options.dumpSpaceMb;
    fit.fitsAfterLoss = freeMb >= fit.afterLossMb;
    return fit;
}

void CheckFit(CfrmPolicy& policy, const CfrmOptions& options) {
    CfrmFit& fit = policy.fit;
    for (const CfrmStructure& s : policy.structures) {
        const int64_t copies = s.duplex ? 2 : 1;
        fit.totalInitSizeKb += copies * s.initSizeKb;
        fit.totalSizeKb += copies * s.sizeKb;
        fit.oneFacilityNeedsKb += s.sizeKb;
        policy.storage.initSizeMb += s.initSizeKb / kKbPerMb;
    }
    policy.storage.withDuplexMb = fit.totalInitSizeKb / kKbPerMb;
    policy.storage.sizeMb = fit.totalSizeKb / kKbPerMb;
    const double needsMb = static_cast<double>(fit.oneFacilityNeedsKb) / kKbPerMb;
    for (size_t i = 0; i < policy.facilities.size(); ++i) {
        const std::optional<double> free =
            i < options.freeSpaceMb.size() ? options.freeSpaceMb[i] : std::nullopt;
        FacilityFit placed = Placement(policy, policy.facilities[i], free.value_or(0), options);
        if (free) {
            FacilityFit given = placed;
            given.fits = *free >= needsMb;
            given.marginMb = *free - needsMb;
            fit.facilities.push_back(given);
        }
        fit.placement.push_back(std::move(placed));
    }
}

// The steps that put the policy into force, with the command prefix.
void AddSteps(CfrmPolicy& policy, const CfrmOptions& options) {
    const std::string db2 = CommandStart(options);
    const std::string group = policy.groupName;
    std::vector<std::string>& steps = policy.steps;
    steps.push_back(
        "1. Run IXCMIAPU with REPORT(YES) under a new policy name and read its report; the "
        "policy in force stays as it is to fall back to. If the couple data set has no room "
        "for another policy, delete an unused one first.");
    steps.push_back(policy.commands.empty()
                        ? "2. No RATIO commands to issue."
                        : "2. Issue the RATIO commands above; they stay pending (DSNB800I) "
                          "until the GBP is allocated anew.");
    steps.push_back("3. SETXCF START,POLICY,TYPE=CFRM,POLNAME=new");
    steps.push_back(
        "4. SETXCF START,REALLOCATE to apply the pending changes. Or per structure: SETXCF "
        "START,ALTER,STRNAME=...,SIZE=... within SIZE, or SETXCF START,REBUILD,STRNAME=...; "
        "for a duplexed GBP SETXCF STOP,REBUILD,DUPLEX,STRNAME=...,KEEP=OLD, the rebuild, then "
        "SETXCF START,REBUILD,DUPLEX,STRNAME=... at low activity.");
    steps.push_back("5. Check with " + db2 +
                    "DISPLAY GROUPBUFFERPOOL(*) GDETAIL(*) and D XCF,STR," + "STRNAME=" + group +
                    "_*: no PENDING POLICY INFORMATION left, no IXC582I.");
    steps.push_back("6. To fall back: SETXCF START,POLICY,TYPE=CFRM,POLNAME=old");
}

}  // namespace

std::string GroupNameProblem(std::string_view name) {
    if (std::string problem = NameProblem(name, "group name", false); !problem.empty()) {
        return problem;
    }
    const std::string upper = UpperCase(name);
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
        if (!seen.insert(UpperCase(name)).second) {
            return "The coupling facility " + UpperCase(name) + " is given twice.";
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
    // Db2's table of prefix characters; the cent sign is the one outside ASCII.
    constexpr std::string_view kCent = "\xC2\xA2";
    constexpr std::string_view kSpecials = ".<+|&!$*);-/%_?:#@'=\"";
    std::vector<std::string_view> characters;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const size_t length = prefix.substr(i, kCent.size()) == kCent ? kCent.size() : 1;
        characters.push_back(prefix.substr(i, length));
        i += length - 1;
    }
    if (characters.empty() || characters.size() > kMaxNameLength) {
        return "The command prefix must be 1 to 8 characters.";
    }
    const auto special = [&](std::string_view c) {
        return c == kCent || (c.size() == 1 && kSpecials.find(c[0]) != std::string_view::npos);
    };
    if (std::any_of(prefix.begin(), prefix.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
        return "The command prefix must be upper case: Db2 refuses lower case letters.";
    }
    if (!special(characters[0])) {
        return "The command prefix must start with one of Db2's prefix characters "
               "\xC2\xA2 . < + | & ! $ * ) ; - / % _ ? : # @ ' = \".";
    }
    for (const std::string_view c : characters) {
        if (!special(c) && !(c.size() == 1 && (IsLetter(c[0]) || IsDigit(c[0])))) {
            return "The command prefix may hold only A-Z, 0-9 and Db2's prefix characters "
                   "\xC2\xA2 . < + | & ! $ * ) ; - / % _ ? : # @ ' = \".";
        }
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
    if (!(options.minRatio >= 1 && options.minRatio <= kMaxRatio)) {
        return "The minimum RATIO must be a whole number from 1 to 1024.";
    }
    if (!(options.directoryEntryTenthsKb >= 1 && options.directoryEntryTenthsKb <= 10)) {
        return "The directory entry size must be 0.1 to 1.0 KB, one decimal.";
    }
    if (!(options.sharingDegreeHundredths >= 50 && options.sharingDegreeHundredths <= 100)) {
        return "The sharing degree must be 0.5 to 1.0, two decimals.";
    }
    if (!(options.unmeasuredGbpMb >= 1 && options.unmeasuredGbpMb <= kMaxSizeMb / 2)) {
        return "The size of an unmeasured GBP must be 1 to 524288 MB.";
    }
    if (options.lockMb && !(*options.lockMb >= 16 && *options.lockMb <= 4096 &&
                            (*options.lockMb & (*options.lockMb - 1)) == 0)) {
        return "The lock structure size must be a power of two from 16 to 4096 MB.";
    }
    if (options.minSizePercent) {
        if (!options.allowAutoAlter) {
            return "MINSIZE goes with automatic alter: a percentage cannot go with it switched "
                   "off.";
        }
        if (!(*options.minSizePercent >= 50 && *options.minSizePercent <= 100)) {
            return "The MINSIZE percentage must be a whole number from 50 to 100.";
        }
    }
    if (options.lockDuplex && options.duplex != DuplexChoice::kAll) {
        return "The lock structure's duplexing mode needs every structure duplexed.";
    }
    if (!(options.dumpSpaceMb >= 0 && std::isfinite(options.dumpSpaceMb))) {
        return "The dump space must be 0 or more MB.";
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

std::string CommandStart(const CfrmOptions& options) {
    // A prefix of several characters reads as a subsystem name, so a blank keeps it apart.
    return options.commandPrefix.size() > 1 &&
                   std::isalnum(static_cast<unsigned char>(options.commandPrefix.back()))
               ? options.commandPrefix + " "
               : options.commandPrefix;
}

std::vector<std::string> SplitNameList(std::string_view text) {
    const std::vector<std::string_view> words = Words(text);
    return {words.begin(), words.end()};
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

std::optional<int64_t> ParseFixedPoint(std::string_view text, int decimals) {
    const std::string_view number = Trim(text);
    const size_t point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
    const auto digits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), IsDigit);
    };
    if (whole.empty() || whole.size() > 12 || !digits(whole) || !digits(fraction) ||
        fraction.size() > static_cast<size_t>(decimals) ||
        (point != std::string_view::npos && fraction.empty())) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (const char c : whole) {
        value = value * 10 + (c - '0');
    }
    for (int i = 0; i < decimals; ++i) {
        value =
            value * 10 +
            (static_cast<size_t>(i) < fraction.size() ? fraction[static_cast<size_t>(i)] - '0' : 0);
    }
    return value;
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
        const std::string name = UpperCase(Trim(piece.substr(0, equals)));
        if (equals == std::string_view::npos || name.empty()) {
            parse.problem = "Give the free space as MB, or as CF01=MB,CF02=MB.";
            break;
        }
        const auto it = std::find_if(facilities.begin(), facilities.end(),
                                     [&](const std::string& f) { return UpperCase(f) == name; });
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
    policy.groupName = UpperCase(options.groupName);
    for (const std::string& facility : options.facilities) {
        policy.facilities.push_back(UpperCase(facility));
    }
    policy.duplexInForce = options.duplex;
    if (options.duplex == DuplexChoice::kDefault) {
        policy.duplexInForce =
            policy.facilities.size() >= 2 ? DuplexChoice::kGroupBufferPools : DuplexChoice::kNone;
    }

    AddLockStructure(policy, sizing, options);
    AddSca(policy, sizing);
    AddGroupBufferPools(policy, sizing, options);
    AddCommands(policy, options);
    AddNotes(policy, options);
    CheckFit(policy, options);
    AddSteps(policy, options);
    policy.text = CfrmPolicyText(policy, source, options);
    return policy;
}

std::vector<CfrmSweepPoint> CfrmSweep(const std::vector<SweepPoint>& sweep,
                                      const CfrmSource& source, const CfrmOptions& options) {
    std::vector<CfrmSweepPoint> points;
    std::optional<double> smallestFreeMb;
    for (const std::optional<double>& free : options.freeSpaceMb) {
        if (free && (!smallestFreeMb || *free < *smallestFreeMb)) {
            smallestFreeMb = free;
        }
    }
    for (const SweepPoint& point : sweep) {
        const CfrmPolicy policy = MakeCfrmPolicy(point.result, source, options);
        if (!policy.ok()) {
            return {};
        }
        CfrmSweepPoint& p = points.emplace_back();
        p.members = point.members;
        p.cfStorageMb = policy.storage.withDuplexMb;
        if (smallestFreeMb) {
            p.oneFacilityFits =
                static_cast<double>(policy.fit.oneFacilityNeedsKb) / kKbPerMb <= *smallestFreeMb;
        }
    }
    return points;
}

}  // namespace core

// The coupling-facility policy of a sizing run: one STRUCTURE for the lock structure, one for
// the SCA and one per group buffer pool (each shared pool's, and the four Db2 requires), each
// with INITSIZE and SIZE in whole MB (written in KB), a preference list, duplexing and automatic
// alter; the Db2 commands that set each GBP's directory/data ratio; and whether the structures
// fit the facilities' free space. Every size is worked out exactly, in integers, and records
// the steps it took. The computed policy is kept apart from its text (cfrm_text.h), so that
// other targets can write the same structures in their own form.
#ifndef CORE_CFRM_POLICY_H_
#define CORE_CFRM_POLICY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/warnings.h"

namespace core {

struct SizingResult;
struct SweepPoint;

enum class DuplexChoice {
    kDefault,  // the GBPs with two or more facilities, none with one
    kGroupBufferPools,
    kAll,
    kNone,
};

// How a duplexed lock structure is duplexed: DUPLEX(ENABLED), (ENABLED,ASYNC), (ENABLED,ASYNCONLY).
enum class LockDuplexMode { kSync, kAsync, kAsyncOnly };

struct CfrmOptions {
    // The Db2 data-sharing group: 1 to 8 of A-Z 0-9 $ # @, a letter first; lower case is
    // taken as upper case. Default: none (must be given).
    std::string groupName;

    // Coupling facilities in preference order: 1 to 8 names of 1 to 8 of A-Z 0-9 $ # @ _, a
    // letter first, none repeated; lower case is taken as upper case. Default: none.
    std::vector<std::string> facilities;

    // SIZE = INITSIZE x the factor, rounded up to a whole MB; from 1.0 to 2.0, read to
    // thousandths. Default: 1.5.
    double growthFactor = 1.5;

    // Which structures get DUPLEX(ENABLED). Default: kDefault.
    DuplexChoice duplex = DuplexChoice::kDefault;

    // ALLOWAUTOALT(YES) on the GBPs. Default: true.
    bool allowAutoAlter = true;

    // Put before each Db2 command: 1 to 8 printable characters, no blanks, neither "/*" nor
    // "*/". Default: "-".
    // MINSIZE of the GBPs as a percentage of INITSIZE (rounded up to a whole MB): 50 to 100;
    // needs allowAutoAlter. Default: none, and then no MINSIZE is written (XCF's default).
    std::optional<int64_t> minSizePercent;

    // Put before each Db2 command: see CommandPrefixProblem. Default: "-".
    std::string commandPrefix = "-";

    // Free space of each facility in MB, in the order of `facilities` (missing or nullopt
    // entries: not given). Each given figure must be at least 1. Default: none given.
    std::vector<std::optional<double>> freeSpaceMb;

    // The smallest RATIO written for a sized GBP: 1 to 1024. Default: 10, Db2's default.
    int64_t minRatio = 10;

    // The size of a directory entry, in tenths of a KB: 1 to 10. Default: 4 (about 400 bytes,
    // as Db2 13 documents it; Db2's older formula pages use 0.2 KB).
    int64_t directoryEntryTenthsKb = 4;

    // U, the share of a pool's pages that other members may cache too, in hundredths: 50 to
    // 100. Default: 100.
    int64_t sharingDegreeHundredths = 100;

    // INITSIZE of a GBP without a measured size, MB: 1 to 524288. Default: 32.
    int64_t unmeasuredGbpMb = 32;

    // INITSIZE of the lock structure, MB: a power of two from 16 to 4096. Default: none, and
    // then from members x ECSA (see MakeCfrmPolicy).
    std::optional<int64_t> lockMb;

    // How the lock structure is duplexed; only when duplexing covers every structure. Default:
    // none (DUPLEX(ENABLED) when duplexed).
    std::optional<LockDuplexMode> lockDuplex;

    // Rotate the preference list for each GBP (the i-th GBP gets it rotated left by i). Default:
    // false, every structure gets the list as given.
    bool spreadPreflist = false;

    // Dump space of each facility, MB, counted in the fit check: 0 or more. Default: 0.
    double dumpSpaceMb = 0;

    // Write each structure's sizing steps as comments above it. Default: false.
    bool explainSizes = false;
};

// What the text's header tells about where the figures come from. Texts are UTF-8.
struct CfrmSource {
    struct File {
        std::string path;
        std::string collectionTime;  // columns 142-149 of the file's lead record, as they stand
    };
    std::vector<File> files;
    std::string membersText;        // "No Of Shared DB2" as typed
    std::string ecsaText;           // "ECSA Size for IRLM " as typed
    std::string version;            // of the program, e.g. "1.0.0"
    std::string date;               // of the run, e.g. "2026-12-06"
    std::vector<Warning> warnings;  // of the sizing run, written as comments
};

enum class StructureKind { kLock, kSca, kGroupBufferPool };

// The entries of a measured GBP (section "Group buffer pools" of the README).
struct GbpEntries {
    int64_t dataEntries = 0;             // D: VP_group x the sharing factor, rounded up
    int64_t directoryEntriesNeeded = 0;  // D + U x VP_group, rounded up
    int64_t ratioNeeded = 0;             // directoryEntriesNeeded / D, rounded up
    int64_t ratio = 0;                   // written: ratioNeeded, at least the minimum RATIO

    int64_t DirectoryEntries() const { return ratio * dataEntries; }  // what the CF allocates
};

struct CfrmStructure {
    StructureKind kind = StructureKind::kGroupBufferPool;
    std::string name;  // "GROUP_LOCK1", "GROUP_SCA", "GROUP_GBP8K0": upper case, <= 16
    std::string pool;  // the pool of a GBP (UTF-8); empty for a required GBP no file holds
    int64_t initSizeKb = 0;
    int64_t sizeKb = 0;
    std::optional<int64_t> minSizeKb;  // only with a MINSIZE percentage
    bool allowAutoAlter = false;
    bool duplex = false;
    std::optional<LockDuplexMode> duplexMode;  // the lock structure's, when given
    std::vector<std::string> preflist;         // upper case
    int64_t pageSizeKb = 0;                    // a GBP's; 0 otherwise
    std::optional<GbpEntries> entries;         // a measured GBP's
    std::vector<std::string> why;              // how the sizes were reached, one step each
    std::vector<std::string> comments;         // sentences written above the statement
};

// A pool, or the lock structure or SCA, that gets no statement.
struct LeftOut {
    std::string pool;       // UTF-8; empty for the lock structure and the SCA
    std::string structure;  // the structure's name when it has one
    std::string reason;     // one sentence
};

struct FacilityFit {
    std::string name;
    double freeMb = 0;
    bool fits = false;
    double marginMb = 0;  // free space less what one facility needs; negative when short
    // What the facility holds by PREFLIST: the structures it comes first for and the duplexed
    // copies it comes second for, at INITSIZE, plus the dump space.
    double normalMb = 0;
    // The most it holds after another facility is lost, at SIZE, plus the dump space.
    double afterLossMb = 0;
    bool fitsAfterLoss = false;
};

// Coupling-facility storage of every statement, MB.
struct CfrmStorage {
    int64_t initSizeMb = 0;    // every INITSIZE once
    int64_t withDuplexMb = 0;  // every INITSIZE, a duplexed structure's twice
    int64_t sizeMb = 0;        // every SIZE, a duplexed structure's twice
};

struct CfrmFit {
    int64_t totalInitSizeKb = 0;          // a duplexed structure counted twice
    int64_t totalSizeKb = 0;              // the same for SIZE
    int64_t oneFacilityNeedsKb = 0;       // every SIZE once: one facility holding them all
    std::vector<FacilityFit> facilities;  // those with a free space given, in option order
    std::vector<FacilityFit> placement;   // every facility, free space 0 when not given
};

struct CfrmPolicy {
    std::string problem;    // the first input rule broken; when set, nothing else is filled
    std::string groupName;  // upper case
    std::vector<std::string> facilities;               // upper case
    DuplexChoice duplexInForce = DuplexChoice::kNone;  // the default resolved
    // Lock structure, SCA, the GBPs of the shared pools in pool order, then the required GBPs
    // no shared pool names in the order GBP0, GBP8K0, GBP16K0, GBP32K.
    std::vector<CfrmStructure> structures;
    std::vector<LeftOut> leftOut;
    std::vector<std::string> commands;  // "-ALTER GROUPBUFFERPOOL(GBP0) RATIO(10)", one per GBP
    // Sentences for the reader: automatic alter, duplexing, the command prefix.
    std::vector<std::string> notes;
    std::vector<Warning> warnings;   // of the policy alone (the source's come first in the text)
    std::vector<std::string> steps;  // how to put the policy into force, in order
    CfrmFit fit;
    CfrmStorage storage;
    std::string text;  // the whole text for the policy utility (cfrm_text.h)

    bool ok() const { return problem.empty(); }
};

// The rules of each input: "" when the input is acceptable, else one sentence saying why not.
std::string GroupNameProblem(std::string_view name);
std::string FacilityNamesProblem(const std::vector<std::string>& names);
std::string GrowthFactorProblem(double factor);
// 1 to 8 characters: the first one of Db2's prefix characters
// (¢ . < + | & ! $ * ) ; - / % _ ? : # @ ' = "), the rest those, A-Z or 0-9; UTF-8.
std::string CommandPrefixProblem(std::string_view prefix);
// Every rule above plus: duplexing chosen explicitly with one facility, free space below 1 MB,
// more free-space figures than facilities.
// Every rule above plus: duplexing chosen explicitly with one facility, free space not
// positive, more free-space figures than facilities, and the ranges of the other options.
std::string CfrmOptionsProblem(const CfrmOptions& options);

// What goes before a Db2 command: the command prefix, and a blank after one of several
// characters that ends in a letter or digit ("-", "-DB1A ").
std::string CommandStart(const CfrmOptions& options);

// Names separated by commas and/or blanks: "cf01, CF02" -> {"cf01", "CF02"}.
std::vector<std::string> SplitNameList(std::string_view text);

// A decimal number such as "1.5" or "500", blanks around allowed; nullopt for anything else.
std::optional<double> ParseDecimal(std::string_view text);

// A decimal number with at most `decimals` decimals as a whole number of 10^-decimals:
// ("0.4", 1) -> 4, ("1", 2) -> 100; nullopt for anything else or more decimals.
std::optional<int64_t> ParseFixedPoint(std::string_view text, int decimals);

struct FreeSpaceParse {
    std::vector<std::optional<double>> freeSpaceMb;  // in the order of the facilities
    std::string problem;
};
// "" (none given), "500" (every facility) or "CF01=500,CF02=300" (names letter case ignored,
// each named once); every figure at least 1 MB.
FreeSpaceParse ParseFreeSpace(std::string_view text, const std::vector<std::string>& facilities);

// The policy of a sizing run. Never changes a figure of `sizing`. When the options break a
// rule, only `problem` is set.
//
// A GBP of pool p (page size P KB): VP_group = p's VP over its rows / the files holding it x
// members; D = VP_group x min(f, 1) rounded up, f the factor of p's last row; the directory
// entries needed D + U x VP_group; RATIO = at least the minimum; INITSIZE = D x P + 1.1 x
// RATIO x D x e KB rounded up to a whole MB. Without a factor or with D = 0 the GBP is
// unmeasured. The lock structure: the given MB, or the power of two at or above 64 MB and
// members x ECSA / 2 x 1.1, at most 1024; SIZE twice. The SCA: 16, 32, 64 or 128 MB at or
// above the results page's figure; SIZE twice.
[[nodiscard]] CfrmPolicy MakeCfrmPolicy(const SizingResult& sizing, const CfrmSource& source,
                                        const CfrmOptions& options);

// What the policy takes at one member count of a sweep.
struct CfrmSweepPoint {
    int64_t members = 0;
    int64_t cfStorageMb = 0;              // CfrmStorage::withDuplexMb at that count
    std::optional<bool> oneFacilityFits;  // every SIZE once within the smallest free space;
                                          // nullopt when no free space is given
};

// The policy of each sweep point's sizing with the same source and options; empty when the
// options break a rule.
std::vector<CfrmSweepPoint> CfrmSweep(const std::vector<SweepPoint>& sweep,
                                      const CfrmSource& source, const CfrmOptions& options);

}  // namespace core

#endif  // CORE_CFRM_POLICY_H_

// The coupling-facility policy of a sizing run: one STRUCTURE for the lock structure, one for
// the SCA and one per shared pool's group buffer pool, each with INITSIZE and SIZE in whole MB
// (written in KB), a preference list, duplexing and automatic alter; the Db2 commands that set
// the recommended directory/data ratio; and whether the structures fit the facilities' free
// space. The computed policy is kept apart from its text (cfrm_text.h), so that other targets
// can write the same structures in their own form.
#ifndef CORE_CFRM_POLICY_H_
#define CORE_CFRM_POLICY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

struct SizingResult;

enum class DuplexChoice {
    kDefault,  // the GBPs with two or more facilities, none with one
    kGroupBufferPools,
    kAll,
    kNone,
};

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

    // ALLOWAUTOALT(YES) with MINSIZE = INITSIZE on the GBPs. Default: true.
    bool allowAutoAlter = true;

    // Put before each Db2 command: 1 to 8 printable characters, no blanks, neither "/*" nor
    // "*/". Default: "-".
    std::string commandPrefix = "-";

    // Free space of each facility in MB, in the order of `facilities` (missing or nullopt
    // entries: not given). Each given figure must be at least 1. Default: none given.
    std::vector<std::optional<double>> freeSpaceMb;
};

// What the text's header tells about where the figures come from. Texts are UTF-8.
struct CfrmSource {
    struct File {
        std::string path;
        std::string collectionTime;  // columns 142-149 of the file's lead record, as they stand
    };
    std::vector<File> files;
    std::string membersText;  // "No Of Shared DB2" as typed
    std::string ecsaText;     // "ECSA Size for IRLM " as typed
    std::string version;      // of the program, e.g. "1.0.0"
    std::string date;         // of the run, e.g. "2026-12-06"
};

enum class StructureKind { kLock, kSca, kGroupBufferPool };

struct CfrmStructure {
    StructureKind kind = StructureKind::kGroupBufferPool;
    std::string name;  // "GROUP_LOCK1", "GROUP_SCA", "GROUP_GBP8K0": upper case, <= 16
    std::string pool;  // the shared pool of a GBP (UTF-8); empty otherwise
    int64_t initSizeKb = 0;
    int64_t sizeKb = 0;
    std::optional<int64_t> minSizeKb;  // with ALLOWAUTOALT(YES)
    bool allowAutoAlter = false;
    bool duplex = false;
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
};

struct CfrmFit {
    int64_t totalInitSizeKb = 0;          // a duplexed structure counted twice
    int64_t totalSizeKb = 0;              // the same for SIZE
    int64_t oneFacilityNeedsKb = 0;       // every SIZE once: one facility holding them all
    std::vector<FacilityFit> facilities;  // those with a free space given, in option order
};

struct CfrmPolicy {
    std::string problem;    // the first input rule broken; when set, nothing else is filled
    std::string groupName;  // upper case
    std::vector<std::string> facilities;               // upper case
    DuplexChoice duplexInForce = DuplexChoice::kNone;  // the default resolved
    std::vector<CfrmStructure> structures;  // lock structure, SCA, then the GBPs in pool order
    std::vector<LeftOut> leftOut;
    std::optional<int64_t> ratio;       // the RATIO of the commands; nullopt when none is written
    int64_t sizingRatio = 10;           // the directory/data ratio the GBP sizes assume
    std::vector<std::string> commands;  // "-ALTER GROUPBUFFERPOOL(GBP0) RATIO(5)"
    // Sentences for the reader: why commands are missing, required GBPs missing, duplexing.
    std::vector<std::string> notes;
    CfrmFit fit;
    std::string text;  // the whole text for the policy utility (cfrm_text.h)

    bool ok() const { return problem.empty(); }
};

// The rules of each input: "" when the input is acceptable, else one sentence saying why not.
std::string GroupNameProblem(std::string_view name);
std::string FacilityNamesProblem(const std::vector<std::string>& names);
std::string GrowthFactorProblem(double factor);
std::string CommandPrefixProblem(std::string_view prefix);
// Every rule above plus: duplexing chosen explicitly with one facility, free space below 1 MB,
// more free-space figures than facilities.
std::string CfrmOptionsProblem(const CfrmOptions& options);

// Names separated by commas and/or blanks: "cf01, CF02" -> {"cf01", "CF02"}.
std::vector<std::string> SplitNameList(std::string_view text);

// A decimal number such as "1.5" or "500", blanks around allowed; nullopt for anything else.
std::optional<double> ParseDecimal(std::string_view text);

struct FreeSpaceParse {
    std::vector<std::optional<double>> freeSpaceMb;  // in the order of the facilities
    std::string problem;
};
// "" (none given), "500" (every facility) or "CF01=500,CF02=300" (names letter case ignored,
// each named once); every figure at least 1 MB.
FreeSpaceParse ParseFreeSpace(std::string_view text, const std::vector<std::string>& facilities);

// The policy of a sizing run. Never changes a figure of `sizing`. When the options break a
// rule, only `problem` is set.
[[nodiscard]] CfrmPolicy MakeCfrmPolicy(const SizingResult& sizing, const CfrmSource& source,
                                        const CfrmOptions& options);

}  // namespace core

#endif  // CORE_CFRM_POLICY_H_

// A plan: the user's choices (shared pools, cached objects, Cache All, the two numbers) with the
// statistics files they were made on, kept as a JSON document that outlives the program and can
// be applied again to the same files or to next month's statistics.
#ifndef CORE_PLAN_H_
#define CORE_PLAN_H_

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace core {

class CoreTables;

inline constexpr std::string_view kPlanFormat = "loomstead-plan";
inline constexpr int kPlanVersion = 2;
inline constexpr std::string_view kPlanExtension = ".loomplan";

// A statistics file as the plan saw it. In memory the path is absolute; in the JSON text it is
// relative to the plan's folder when the file lies beneath it.
struct PlanFile {
    std::string path;
    uint64_t sizeBytes = 0;
    int64_t modifiedNs = 0;  // last modification, nanoseconds since 1970-01-01 UTC
    std::string sha256;      // lower-case hex; empty when the file could not be hashed
};

struct PlanPool {
    std::string name;  // trimmed, as lvSharedPools holds it
    // The "Cache All" flag of the pool's rows. Applied with cached objects of the pool in the plan,
    // it caches every object the pool holds then; with none (the user unchecked "Cache All
    // Objects", which leaves the flag on) only the flag is set.
    bool cacheAll = false;
};

// A cached object, named by what stays true from one collection to the next; a line number
// would not. One entry stands for every line of that object, in every file, or in the files
// listed.
struct PlanObject {
    std::string pool;  // trimmed; compared without regard to letter case
    std::string name;  // the object-name field (database.space), trimmed
    std::string kind;  // the kind field ("T" table space, "I" index space), trimmed
    // The files the object is cached in, as Plan::files holds their paths, when it was cached in
    // only some of the files that hold it. Default: empty, every file.
    std::vector<std::string> files;
};

struct Plan {
    std::vector<PlanFile> files;
    std::vector<PlanPool> pools;  // in the order they were shared
    std::vector<PlanObject> objects;
    std::string membersText = "1";  // "No Of Shared DB2"
    std::string ecsaText = "4";     // "ECSA Size for IRLM "
    // Free-form inputs of other dialogs, stored and given back as they are. Default: empty, and
    // then not written.
    std::map<std::string, std::string> cfrm;
};

// What did not carry over, or changed meaning, when a plan was captured or applied.
enum class PlanItemKind {
    kPoolMissing,
    kPoolRefused,
    kObjectMissing,
    kObjectNewUnderCacheAll,
    kObjectCachedInSomeFiles,
    kFileMissing,
    kFileChanged,
};

// "pool_missing", "pool_refused", "object_missing", "object_new_under_cache_all",
// "object_cached_in_some_files", "file_missing", "file_changed".
std::string_view PlanItemKindName(PlanItemKind kind);

// Texts are UTF-8 (data-file names converted from Latin-1); paths are the file system's bytes.
struct PlanItem {
    PlanItemKind kind = PlanItemKind::kPoolMissing;
    std::string pool;     // empty when it does not apply
    std::string object;   // the object name (database.space); empty when it does not apply
    std::string file;     // absolute path; empty when it does not apply
    std::string message;  // one line for a person; always set
};

using PlanAccount = std::vector<PlanItem>;

// Computes the SHA-256 of a file, lower-case hex; nullopt when it cannot be read. The front ends
// supply it (QCryptographicHash), so the core carries no hash of its own.
using FileHasher = std::function<std::optional<std::string>(const std::string& path)>;

struct PlanCapture {
    Plan plan;
    PlanAccount account;  // nothing a plan of this version cannot keep; empty
};

// The choices held by the tables now, with the two texts. Every object with a cached line is
// one entry, whatever pool row holds it; an object with a line that is not cached lists the
// files (tables.lstSelectedFiles) of its cached lines. `files` is left empty: see DescribeFiles.
[[nodiscard]] PlanCapture CapturePlan(const CoreTables& tables, std::string membersText,
                                      std::string ecsaText);

// Size, time and (when `hasher` is set) SHA-256 of each path, in order. A file that cannot be
// examined gets size 0 and time 0.
std::vector<PlanFile> DescribeFiles(const std::vector<std::string>& paths,
                                    const FileHasher& hasher);

// kFileMissing for each file of the plan that is gone or cannot be examined; kFileChanged for
// each whose size or time differ and whose SHA-256 differs too (hashed only then, so that a file
// merely touched is not reported). Without a hasher a different size or time counts as changed.
PlanAccount CheckPlanFiles(const Plan& plan, const FileHasher& hasher);

// Applies the choices to the tables loaded now, replacing the choices they hold: every pool is
// made available, every cached flag and Cache All flag cleared; then the plan's pools are shared
// in its order through the sharing rule, its objects cached (every line of each, or of the
// loaded files that are the same files on disk as those it lists), Cache All re-applied. The two
// texts are the caller's to set. Returns the account: pools not in the data, pools refused (with
// the refusal), objects of shared pools not found, objects cached only because of Cache All,
// objects whose listed files are none of the loaded ones (cached in every file instead).
// Objects of a pool that is missing or refused are covered by its pool item.
[[nodiscard]] PlanAccount ApplyPlan(CoreTables& tables, const Plan& plan);

// The JSON text of the plan. Paths of files beneath `planFolder` are written relative to it.
std::string WritePlanJson(const Plan& plan, const std::string& planFolder);

// A plan, or why there is none: a message of one line to follow the file's name ("it is not
// JSON (syntax error at byte 3)", "it does not exist", "it is a plan of a newer version (2) ...")
// and a code: kInvalidArgument when the text is not JSON, or JSON that is not a plan (no
// "format" of ours), rather than a plan that cannot be used (kInvalidData); kNewerVersion for a
// plan of a newer version; kNotFound or kIoError when the file cannot be read.
using PlanReadResult = StatusOr<Plan>;

// Reads a plan from JSON text; relative file paths are resolved against `planFolder`. Refuses,
// with one line: text that is not JSON, JSON that is not a plan, a plan of a newer version, a
// value of the wrong type. Unknown keys are ignored.
[[nodiscard]] PlanReadResult ReadPlanJson(std::string_view text, const std::string& planFolder);

// Reads the plan file at `path` (a folder, a missing or unreadable file give the error). A
// failure's status names `path`.
[[nodiscard]] PlanReadResult ReadPlanFile(const std::string& path);

// Writes the plan to `path` whole or not at all, as WriteWholeFile writes (a link is written
// through). On failure the old file is left as it was, and the status names `path` with the
// reason: "it is a folder" (kInvalidArgument) or "it cannot be written (<strerror>)" (kIoError),
// the errno in detail().
[[nodiscard]] Status WritePlanFile(const std::string& path, const Plan& plan);

}  // namespace core

#endif  // CORE_PLAN_H_

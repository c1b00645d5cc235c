// The plan's JSON text and its file: reading with one-line reasons, and writing whole or not at
// all.
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <nlohmann/json.hpp>
#include <unordered_set>

#include "core/io/file_source.h"
#include "core/io/write_file.h"
#include "core/plan.h"
#include "core/text.h"

namespace core {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
// Written in this order, so that a reader sees what the file is first.
using nlohmann::ordered_json;

// A plan of a million objects is some 70 MB; past this the file is not one of ours.
constexpr uintmax_t kMaxPlanBytes = uintmax_t{1} << 30;

// UTF-8 to the Latin-1 bytes of the data files; nullopt when a character has no Latin-1 form.
std::optional<std::string> Utf8ToLatin1(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[++i]);
            out.push_back(static_cast<char>(((c & 0x03) << 6) | (next & 0x3F)));
        } else {
            return std::nullopt;
        }
    }
    return out;
}

std::string RelativeIfBeneath(const std::string& path, const std::string& folder) {
    if (folder.empty()) {
        return path;
    }
    const fs::path relative =
        fs::path(path).lexically_normal().lexically_relative(fs::path(folder).lexically_normal());
    if (relative.empty() || relative.is_absolute() || *relative.begin() == "..") {
        return path;
    }
    return relative.generic_string();
}

// The key as the plan's text spells it, quoted: control bytes escaped, so that a refusal stays
// one line.
std::string Quoted(const std::string& key) {
    return json(key).dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string Where(const char* list, size_t i) {
    return std::string("\"") + list + "\"[" + std::to_string(i) + "]";
}

// One value of a member the plan knows, kept until its object is complete: the checks are
// made in a fixed order, whatever order the members come in.
struct Value {
    enum class Type { kAbsent, kOther, kBool, kSigned, kUnsigned, kFloat, kText };
    Type type = Type::kAbsent;
    bool boolean = false;
    int64_t signedNumber = 0;
    uint64_t unsignedNumber = 0;
    std::string text;

    static Value Of(Type type) {
        Value value;
        value.type = type;
        return value;
    }
    bool present() const { return type != Type::kAbsent; }
    bool isInteger() const { return type == Type::kSigned || type == Type::kUnsigned; }
};

// Keeps the first fault as the reason.
class Checks {
public:
    const std::string& error() const { return m_error; }
    bool failed() const { return !m_error.empty(); }

    void Fail(const std::string& where, const char* what) {
        if (m_error.empty()) {
            m_error = "it is a damaged plan (" + where + " " + what + ")";
        }
    }

    std::string Text(Value& value, const std::string& where, bool dataText) {
        if (value.type != Value::Type::kText) {
            Fail(where, "must be text");
            return {};
        }
        if (!dataText) {
            return std::move(value.text);
        }
        std::optional<std::string> latin1 = Utf8ToLatin1(value.text);
        if (!latin1) {
            Fail(where, "holds a character the data files cannot hold");
            return {};
        }
        return std::move(*latin1);
    }

    std::string Member(Value& value, const char* key, const std::string& where, bool dataText,
                       bool required) {
        if (!value.present()) {
            if (required) {
                Fail(where + ".\"" + key + "\"", "is missing");
            }
            return {};
        }
        return Text(value, where + ".\"" + key + "\"", dataText);
    }

private:
    std::string m_error;
};

// The members of one object seen so far: those the plan knows by their number, any other by
// name, so that the million small objects of a plan cost no set each.
class KeySet {
public:
    // False when the key was seen before in this object.
    bool Insert(int known, const std::string& key) {
        if (known >= 0) {
            const uint32_t bit = uint32_t{1} << known;
            const bool added = (m_known & bit) == 0;
            m_known |= bit;
            return added;
        }
        if (!m_others) {
            m_others = std::make_unique<std::unordered_set<std::string>>();
        }
        return m_others->insert(key).second;
    }

private:
    uint32_t m_known = 0;
    std::unique_ptr<std::unordered_set<std::string>> m_others;
};

enum class Section { kFiles, kPools, kObjects };
constexpr size_t kSections = 3;
constexpr const char* kSectionNames[kSections] = {"files", "pools", "objects"};
// The members of an entry of each list, in the order they are checked.
constexpr size_t kMaxFields = 4;
constexpr const char* kFieldNames[kSections][kMaxFields] = {
    {"path", "size", "modified_ns", "sha256"},
    {"name", "cache_all"},
    {"pool", "name", "kind", "files"}};
constexpr int kObjectFilesMember = 3;

enum RootMember { kFormat, kVersion, kFilesList, kPoolsList, kObjectsList, kMembers, kEcsa, kCfrm };
constexpr const char* kRootNames[] = {"format",  "version", "files", "pools",
                                      "objects", "members", "ecsa",  "cfrm"};

int IndexOf(const std::string& key, const char* const* names, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (names[i] != nullptr && key == names[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// A plan takes three levels; the limit only keeps a hostile file from costing memory per level.
constexpr size_t kMaxDepth = 512;

// The refusal of a plan that cannot be used.
Status Damaged(std::string message) { return Status(StatusCode::kInvalidData, std::move(message)); }

// Reads the plan's text in one pass, straight into the plan: no document of the whole text is
// built, so that a plan of a million objects costs little more than the objects themselves.
// Every value is seen once; the checks and their order are those of a reader that looks
// members up: the format, the version, then "files", "pools", "objects" and the texts, each
// list entry by entry, and the first fault found that way is the reason.
class PlanSax {
public:
    explicit PlanSax(const std::string& planFolder) : m_planFolder(planFolder) {}

    bool null() { return Scalar(Value::Of(Value::Type::kOther)); }
    bool boolean(bool b) {
        Value v = Value::Of(Value::Type::kBool);
        v.boolean = b;
        return Scalar(std::move(v));
    }
    bool number_integer(int64_t n) {
        Value v = Value::Of(Value::Type::kSigned);
        v.signedNumber = n;
        return Scalar(std::move(v));
    }
    bool number_unsigned(uint64_t n) {
        Value v = Value::Of(Value::Type::kUnsigned);
        v.unsignedNumber = n;
        return Scalar(std::move(v));
    }
    bool number_float(double, const std::string&) { return Scalar(Value::Of(Value::Type::kFloat)); }
    bool string(std::string& text) {
        Value v = Value::Of(Value::Type::kText);
        v.text = std::move(text);
        return Scalar(std::move(v));
    }
    bool binary(json::binary_t&) { return Scalar(Value::Of(Value::Type::kOther)); }
    bool start_object(size_t) { return Open(true); }
    bool start_array(size_t) { return Open(false); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }
    bool key(std::string& key) {
        Level& level = m_levels.back();
        int known = -1;
        if (level.frame == Frame::kRoot) {
            known = IndexOf(key, kRootNames, std::size(kRootNames));
        } else if (level.frame == Frame::kEntry) {
            known = IndexOf(key, kFieldNames[static_cast<size_t>(level.section)], kMaxFields);
        }
        if (!level.keys.Insert(known, key) && m_duplicate.empty()) {
            m_duplicate = "it is a damaged plan (" + WhereOf(level) + " holds the key " +
                          Quoted(key) + " twice)";
        }
        level.member = known;
        if (level.frame == Frame::kCfrm) {
            m_cfrmKey = std::move(key);
        }
        return true;
    }
    bool parse_error(size_t position, const std::string&, const nlohmann::detail::exception& e) {
        // The parser reports more than syntax here: 1e400 is an out_of_range.
        m_notJson = dynamic_cast<const json::parse_error*>(&e) != nullptr;
        m_stop = m_notJson
                     ? "it is not JSON (syntax error at byte " + std::to_string(position) + ")"
                     : "it is a damaged plan (a number is too large)";
        return false;
    }

    // Once the parse is over: the plan, or the one reason it is refused.
    PlanReadResult Result() {
        if (!m_stop.empty()) {
            return Status(m_notJson ? StatusCode::kInvalidArgument : StatusCode::kInvalidData,
                          std::move(m_stop));
        }
        if (!m_duplicate.empty()) {
            return Damaged(std::move(m_duplicate));
        }
        const Value& format = m_root[kFormat];
        if (!m_rootIsObject || format.type != Value::Type::kText || format.text != kPlanFormat) {
            return Status(
                StatusCode::kInvalidArgument,
                "it is not a plan (it has no \"format\": \"" + std::string(kPlanFormat) + "\")");
        }
        const Value& version = m_root[kVersion];
        if (!version.isInteger()) {
            return Damaged("it is a damaged plan (\"version\" must be a whole number)");
        }
        if (version.type == Value::Type::kUnsigned &&
            version.unsignedNumber > uint64_t{kPlanVersion}) {
            return Status(StatusCode::kNewerVersion, "it is a plan of a newer version (" +
                                                         std::to_string(version.unsignedNumber) +
                                                         ") than this program reads (" +
                                                         std::to_string(kPlanVersion) + ")");
        }
        const int64_t versionNumber = version.type == Value::Type::kSigned
                                          ? version.signedNumber
                                          : static_cast<int64_t>(version.unsignedNumber);
        if (versionNumber < 1) {
            return Damaged("it is a damaged plan (\"version\" must be 1 or more)");
        }
        for (const Checks& section : m_sections) {
            if (section.failed()) {
                return Damaged(section.error());
            }
        }
        Checks texts;
        if (m_root[kMembers].present()) {
            m_plan.membersText = texts.Member(m_root[kMembers], "members", "plan", true, true);
        }
        if (m_root[kEcsa].present()) {
            m_plan.ecsaText = texts.Member(m_root[kEcsa], "ecsa", "plan", true, true);
        }
        if (m_cfrmNotObject) {
            texts.Fail("\"cfrm\"", "must be an object");
        } else if (m_cfrmFault) {
            texts.Fail("\"cfrm\"." + Quoted(*m_cfrmFault), "must be text");
        }
        if (texts.failed()) {
            return Damaged(texts.error());
        }
        return std::move(m_plan);
    }

private:
    enum class Frame { kRoot, kList, kEntry, kObjectFiles, kCfrm, kIgnored };

    struct Level {
        Frame frame = Frame::kIgnored;
        Section section = Section::kFiles;
        size_t index = 0;  // of the entry (kEntry), or the next one (kList)
        int member = -1;   // the known member whose value comes next; -1: another
        KeySet keys;
    };

    Checks& SectionChecks(Section section) { return m_sections[static_cast<size_t>(section)]; }

    std::string WhereOf(const Level& level) const {
        switch (level.frame) {
            case Frame::kRoot:
                return "plan";
            case Frame::kEntry:
                return Where(kSectionNames[static_cast<size_t>(level.section)], level.index);
            case Frame::kCfrm:
                return "\"cfrm\"";
            default:
                return "an object";
        }
    }

    // A value where the level above expects one: a scalar, or (as kOther) a list or object
    // whose contents `Open` deals with. Returns the frame a list or object opened here gets.
    Frame Place(Value&& value, bool isObject, bool isList) {
        if (m_levels.empty()) {
            m_rootIsObject = isObject;
            return isObject ? Frame::kRoot : Frame::kIgnored;
        }
        Level& level = m_levels.back();
        switch (level.frame) {
            case Frame::kRoot:
                return PlaceInRoot(std::move(value), isObject, isList, level.member);
            case Frame::kList: {
                const size_t index = level.index++;
                Checks& checks = SectionChecks(level.section);
                if (checks.failed()) {
                    return Frame::kIgnored;
                }
                if (!isObject) {
                    checks.Fail(Where(kSectionNames[static_cast<size_t>(level.section)], index),
                                "must be an object");
                    return Frame::kIgnored;
                }
                m_entry = {};
                m_entryFiles.clear();
                m_entryFilesFault = {};
                return Frame::kEntry;
            }
            case Frame::kEntry:
                if (level.section == Section::kObjects && level.member == kObjectFilesMember) {
                    if (isList) {
                        return Frame::kObjectFiles;
                    }
                    m_entryFilesFault = {"\"files\"", "must be a list"};
                } else if (level.member >= 0) {
                    m_entry[static_cast<size_t>(level.member)] = std::move(value);
                }
                return Frame::kIgnored;
            case Frame::kObjectFiles: {
                const size_t index = level.index++;
                if (m_entryFilesFault.what != nullptr) {
                    return Frame::kIgnored;
                }
                const std::string where = "\"files\"[" + std::to_string(index) + "]";
                if (value.type != Value::Type::kText) {
                    m_entryFilesFault = {where, "must be text"};
                } else if (value.text.empty()) {
                    m_entryFilesFault = {where, "is empty"};
                } else if (value.text.find('\0') != std::string::npos) {
                    // The system would read the name only up to the NUL: another file.
                    m_entryFilesFault = {where, "holds a NUL byte"};
                } else {
                    m_entryFiles.push_back(std::move(value.text));
                }
                return Frame::kIgnored;
            }
            case Frame::kCfrm:
                if (value.type == Value::Type::kText) {
                    m_plan.cfrm[m_cfrmKey] = std::move(value.text);
                } else if (!m_cfrmFault || m_cfrmKey < *m_cfrmFault) {
                    // Named in the order of the keys, whatever order they come in.
                    m_cfrmFault = m_cfrmKey;
                }
                return Frame::kIgnored;
            case Frame::kIgnored:
                return Frame::kIgnored;
        }
        return Frame::kIgnored;
    }

    Frame PlaceInRoot(Value&& value, bool isObject, bool isList, int member) {
        switch (member) {
            case kFilesList:
            case kPoolsList:
            case kObjectsList: {
                const auto section = static_cast<Section>(member - kFilesList);
                if (isList) {
                    return Frame::kList;
                }
                SectionChecks(section).Fail(
                    std::string("\"") + kSectionNames[static_cast<size_t>(section)] + "\"",
                    "must be a list");
                return Frame::kIgnored;
            }
            case kCfrm:
                if (isObject) {
                    return Frame::kCfrm;
                }
                m_cfrmNotObject = true;
                return Frame::kIgnored;
            case -1:
                return Frame::kIgnored;
            default:
                m_root[static_cast<size_t>(member)] = std::move(value);
                return Frame::kIgnored;
        }
    }

    bool Scalar(Value&& value) {
        Place(std::move(value), false, false);
        return true;
    }

    bool Open(bool isObject) {
        if (m_levels.size() >= kMaxDepth) {
            m_stop = "it is a damaged plan (lists and objects nested more than " +
                     std::to_string(kMaxDepth) + " deep)";
            return false;
        }
        const Frame frame = Place(Value::Of(Value::Type::kOther), isObject, !isObject);
        Level level;
        level.frame = frame;
        if (frame == Frame::kList) {
            level.section = static_cast<Section>(m_levels.back().member - kFilesList);
        } else if (frame == Frame::kEntry) {
            level.section = m_levels.back().section;
            level.index = m_levels.back().index - 1;
        }
        m_levels.push_back(std::move(level));
        return true;
    }

    bool Close() {
        const Level level = std::move(m_levels.back());
        m_levels.pop_back();
        if (level.frame == Frame::kEntry) {
            FinishEntry(level.section, level.index);
        }
        return true;
    }

    void FinishEntry(Section section, size_t index) {
        Checks& r = SectionChecks(section);
        const std::string where = Where(kSectionNames[static_cast<size_t>(section)], index);
        switch (section) {
            case Section::kFiles:
                FinishFile(r, where);
                break;
            case Section::kPools:
                FinishPool(r, where);
                break;
            case Section::kObjects:
                FinishObject(r, where);
                break;
        }
    }

    void FinishObject(Checks& r, const std::string& where) {
        PlanObject object;
        object.pool = std::string(Trim(r.Member(m_entry[0], "pool", where, true, true)));
        object.name = std::string(Trim(r.Member(m_entry[1], "name", where, true, true)));
        object.kind = std::string(Trim(r.Member(m_entry[2], "kind", where, true, true)));
        if (m_entryFilesFault.what != nullptr) {
            r.Fail(where + "." + m_entryFilesFault.where, m_entryFilesFault.what);
        }
        if (r.failed()) {
            return;
        }
        for (std::string& path : m_entryFiles) {
            object.files.push_back(Resolved(std::move(path)));
        }
        m_plan.objects.push_back(std::move(object));
    }

    std::string Resolved(std::string path) const {
        const fs::path p(path);
        if (p.is_relative() && !m_planFolder.empty()) {
            return (fs::path(m_planFolder) / p).lexically_normal().string();
        }
        return path;
    }

    void FinishFile(Checks& r, const std::string& where) {
        PlanFile file;
        file.path = r.Member(m_entry[0], "path", where, false, true);
        if (!r.failed() && file.path.empty()) {
            r.Fail(where + ".\"path\"", "is empty");
        }
        // The system would read the name only up to the NUL: another file.
        if (!r.failed() && file.path.find('\0') != std::string::npos) {
            r.Fail(where + ".\"path\"", "holds a NUL byte");
        }
        const Value& size = m_entry[1];
        if (size.present() && size.type != Value::Type::kUnsigned) {
            r.Fail(where + ".\"size\"", "must be a whole number of bytes");
        } else if (size.present()) {
            file.sizeBytes = size.unsignedNumber;
        }
        const Value& modified = m_entry[2];
        if (modified.present() && !modified.isInteger()) {
            r.Fail(where + ".\"modified_ns\"", "must be a whole number");
        } else if (modified.present()) {
            // A value past int64 is kept as the largest one: it only has to differ.
            file.modifiedNs = modified.type == Value::Type::kUnsigned
                                  ? static_cast<int64_t>(std::min<uint64_t>(modified.unsignedNumber,
                                                                            uint64_t{INT64_MAX}))
                                  : modified.signedNumber;
        }
        file.sha256 = r.Member(m_entry[3], "sha256", where, false, false);
        if (r.failed()) {
            return;
        }
        file.path = Resolved(std::move(file.path));
        m_plan.files.push_back(std::move(file));
    }

    void FinishPool(Checks& r, const std::string& where) {
        PlanPool pool;
        pool.name = std::string(Trim(r.Member(m_entry[0], "name", where, true, true)));
        if (!r.failed() && pool.name.empty()) {
            r.Fail(where + ".\"name\"", "is empty");
        }
        const Value& cacheAll = m_entry[1];
        if (cacheAll.present() && cacheAll.type != Value::Type::kBool) {
            r.Fail(where + ".\"cache_all\"", "must be true or false");
        } else if (cacheAll.present()) {
            pool.cacheAll = cacheAll.boolean;
        }
        if (!r.failed()) {
            m_plan.pools.push_back(std::move(pool));
        }
    }

    const std::string& m_planFolder;
    Plan m_plan;
    std::vector<Level> m_levels;
    Value m_root[std::size(kRootNames)];
    std::array<Value, kMaxFields> m_entry;
    std::vector<std::string> m_entryFiles;  // the "files" of the object entry being read
    struct {
        std::string where;
        const char* what = nullptr;  // nullptr: nothing is wrong with them
    } m_entryFilesFault;
    Checks m_sections[kSections];
    bool m_rootIsObject = false;
    std::string m_cfrmKey;
    std::optional<std::string> m_cfrmFault;  // the first key, in key order, whose value is not text
    bool m_cfrmNotObject = false;
    std::string m_duplicate;  // the first key found twice in one object
    std::string m_stop;       // why the parse stopped: a syntax error, a number too large
    bool m_notJson = false;
};

std::string SystemReason(int error) { return std::strerror(error); }

// The plan's text, gathered piece by piece; a file past the limit is declined unread.
class PlanText : public FileReceiver {
public:
    bool Opened(uint64_t size) override {
        if (size > kMaxPlanBytes) {
            m_tooLarge = true;
            return false;
        }
        m_text.reserve(static_cast<size_t>(size));
        return true;
    }
    bool Piece(std::string_view bytes) override {
        m_text.append(bytes);
        return true;
    }
    bool tooLarge() const { return m_tooLarge; }
    std::string_view text() const { return m_text; }

private:
    std::string m_text;
    bool m_tooLarge = false;
};

std::string FileFailureText(FileErrorReason reason) {
    switch (reason) {
        case FileErrorReason::kNotFound:
            return "it does not exist";
        case FileErrorReason::kFolder:
            return "it is a folder, not a plan file";
        case FileErrorReason::kNamedPipe:
        case FileErrorReason::kDevice:
        case FileErrorReason::kSocket:
        case FileErrorReason::kNotRegularFile:
            return "it is " + std::string(ReasonText(reason));
        case FileErrorReason::kTooLarge:
            return "it is too large for a plan";
        case FileErrorReason::kNoAccess:
            return "it cannot be read (" + SystemReason(EACCES) + ")";
        case FileErrorReason::kReadFailed:
            return "it cannot be read (" + SystemReason(EIO) + ")";
        default:
            return "it cannot be read (" + std::string(ReasonText(reason)) + ")";
    }
}

}  // namespace

std::string WritePlanJson(const Plan& plan, const std::string& planFolder) {
    ordered_json files = ordered_json::array();
    for (const PlanFile& f : plan.files) {
        files.push_back({{"path", RelativeIfBeneath(f.path, planFolder)},
                         {"size", f.sizeBytes},
                         {"modified_ns", f.modifiedNs},
                         {"sha256", f.sha256}});
    }
    ordered_json pools = ordered_json::array();
    for (const PlanPool& p : plan.pools) {
        pools.push_back({{"name", Latin1ToUtf8(p.name)}, {"cache_all", p.cacheAll}});
    }
    ordered_json objects = ordered_json::array();
    for (const PlanObject& o : plan.objects) {
        ordered_json object = {{"pool", Latin1ToUtf8(o.pool)},
                               {"name", Latin1ToUtf8(o.name)},
                               {"kind", Latin1ToUtf8(o.kind)}};
        if (!o.files.empty()) {
            ordered_json listed = ordered_json::array();
            for (const std::string& path : o.files) {
                listed.push_back(RelativeIfBeneath(path, planFolder));
            }
            object["files"] = std::move(listed);
        }
        objects.push_back(std::move(object));
    }
    ordered_json root = {
        {"format", std::string(kPlanFormat)}, {"version", kPlanVersion},
        {"files", std::move(files)},          {"pools", std::move(pools)},
        {"objects", std::move(objects)},      {"members", Latin1ToUtf8(plan.membersText)},
        {"ecsa", Latin1ToUtf8(plan.ecsaText)}};
    if (!plan.cfrm.empty()) {
        root["cfrm"] = plan.cfrm;
    }
    // A path that is not UTF-8 is written with replacement characters rather than not at all.
    return root.dump(1, '\t', false, ordered_json::error_handler_t::replace) + '\n';
}

PlanReadResult ReadPlanJson(std::string_view text, const std::string& planFolder) {
    PlanSax sax(planFolder);
    json::sax_parse(text.begin(), text.end(), &sax);
    return sax.Result();
}

PlanReadResult ReadPlanFile(const std::string& path) {
    // The system would read the name only up to the NUL: another file.
    if (path.find('\0') != std::string::npos) {
        return Status(StatusCode::kIoError, "its name holds a NUL byte", path);
    }
    // Opened without blocking and checked as the open file, so that a named pipe, a device or
    // a link to one is refused at once; read no further than its size at the open.
    PlanText text;
    std::optional<FileErrorReason> failure;
    try {
        failure = DiskFileSource().ReadPieces(path, text);
    } catch (const std::bad_alloc&) {
        failure = FileErrorReason::kTooLarge;
    }
    if (text.tooLarge()) {
        failure = FileErrorReason::kTooLarge;
    }
    if (failure && failure != FileErrorReason::kEmpty) {
        return Status(
            *failure == FileErrorReason::kNotFound ? StatusCode::kNotFound : StatusCode::kIoError,
            FileFailureText(*failure), path);
    }
    std::error_code ec;
    PlanReadResult read = ReadPlanJson(text.text(), fs::absolute(path, ec).parent_path().string());
    if (!read.ok()) {
        const Status& why = read.status();
        return Status(why.code(), why.message(), path);
    }
    return read;
}

Status WritePlanFile(const std::string& path, const Plan& plan) {
    std::error_code ec;
    const fs::path target = fs::absolute(path, ec);
    if (ec) {
        return Status(StatusCode::kIoError, "it cannot be written (" + ec.message() + ")", path, 0,
                      ec.value());
    }
    if (fs::is_directory(target, ec)) {
        return Status(StatusCode::kInvalidArgument, "it is a folder", path, 0, EISDIR);
    }
    const Status written =
        WriteWholeFile(target.string(), WritePlanJson(plan, target.parent_path().string()));
    if (!written.ok()) {
        return Status(written.code(), "it cannot be written (" + written.message() + ")", path, 0,
                      written.detail());
    }
    return Status();
}

}  // namespace core

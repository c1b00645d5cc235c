// The plan's JSON text and its file: reading with one-line reasons, and writing whole or not at
// all.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "plan.h"
#include "text.h"

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

// Reads one member after another, keeping the first fault as the reason.
class Reader {
public:
    const std::string& error() const { return m_error; }
    bool failed() const { return !m_error.empty(); }

    void Fail(const std::string& where, const char* what) {
        if (m_error.empty()) {
            m_error = "it is a damaged plan (" + where + " " + what + ")";
        }
    }

    // The member `key` of `object`; nullptr when it is absent.
    static const json* Member(const json& object, const char* key) {
        const auto it = object.find(key);
        return it == object.end() ? nullptr : &*it;
    }

    std::string Text(const json& value, const std::string& where, bool dataText) {
        if (!value.is_string()) {
            Fail(where, "must be text");
            return {};
        }
        if (!dataText) {
            return value.get_ref<const std::string&>();
        }
        std::optional<std::string> latin1 = Utf8ToLatin1(value.get_ref<const std::string&>());
        if (!latin1) {
            Fail(where, "holds a character the data files cannot hold");
            return {};
        }
        return std::move(*latin1);
    }

    std::string TextMember(const json& object, const char* key, const std::string& where,
                           bool dataText, bool required) {
        const json* value = Member(object, key);
        if (value == nullptr) {
            if (required) {
                Fail(where + ".\"" + key + "\"", "is missing");
            }
            return {};
        }
        return Text(*value, where + ".\"" + key + "\"", dataText);
    }

    const json* Array(const json& plan, const char* key) {
        const json* value = Member(plan, key);
        if (value != nullptr && !value->is_array()) {
            Fail(std::string("\"") + key + "\"", "must be a list");
            return nullptr;
        }
        return value;
    }

    bool Object(const json& value, const std::string& where) {
        if (!value.is_object()) {
            Fail(where, "must be an object");
            return false;
        }
        return true;
    }

private:
    std::string m_error;
};

std::string Where(const char* list, size_t i) {
    return std::string("\"") + list + "\"[" + std::to_string(i) + "]";
}

void ReadFiles(Reader& r, const json& root, const std::string& planFolder, Plan& plan) {
    const json* files = r.Array(root, "files");
    for (size_t i = 0; files != nullptr && i < files->size() && !r.failed(); ++i) {
        const json& f = (*files)[i];
        const std::string where = Where("files", i);
        if (!r.Object(f, where)) {
            return;
        }
        PlanFile file;
        file.path = r.TextMember(f, "path", where, false, true);
        if (!r.failed() && file.path.empty()) {
            r.Fail(where + ".\"path\"", "is empty");
        }
        const json* size = Reader::Member(f, "size");
        if (size != nullptr && !size->is_number_unsigned()) {
            r.Fail(where + ".\"size\"", "must be a whole number of bytes");
        } else if (size != nullptr) {
            file.sizeBytes = size->get<uint64_t>();
        }
        const json* modified = Reader::Member(f, "modified_ns");
        if (modified != nullptr && !modified->is_number_integer()) {
            r.Fail(where + ".\"modified_ns\"", "must be a whole number");
        } else if (modified != nullptr) {
            // A value past int64 is kept as the largest one: it only has to differ.
            file.modifiedNs = modified->is_number_unsigned()
                                  ? static_cast<int64_t>(std::min<uint64_t>(
                                        modified->get<uint64_t>(), uint64_t{INT64_MAX}))
                                  : modified->get<int64_t>();
        }
        file.sha256 = r.TextMember(f, "sha256", where, false, false);
        const fs::path path(file.path);
        if (path.is_relative() && !planFolder.empty()) {
            file.path = (fs::path(planFolder) / path).lexically_normal().string();
        }
        plan.files.push_back(std::move(file));
    }
}

void ReadPools(Reader& r, const json& root, Plan& plan) {
    const json* pools = r.Array(root, "pools");
    for (size_t i = 0; pools != nullptr && i < pools->size() && !r.failed(); ++i) {
        const json& p = (*pools)[i];
        const std::string where = Where("pools", i);
        if (!r.Object(p, where)) {
            return;
        }
        PlanPool pool;
        pool.name = std::string(Trim(r.TextMember(p, "name", where, true, true)));
        if (!r.failed() && pool.name.empty()) {
            r.Fail(where + ".\"name\"", "is empty");
        }
        const json* cacheAll = Reader::Member(p, "cache_all");
        if (cacheAll != nullptr && !cacheAll->is_boolean()) {
            r.Fail(where + ".\"cache_all\"", "must be true or false");
        } else if (cacheAll != nullptr) {
            pool.cacheAll = cacheAll->get<bool>();
        }
        plan.pools.push_back(std::move(pool));
    }
}

void ReadObjects(Reader& r, const json& root, Plan& plan) {
    const json* objects = r.Array(root, "objects");
    if (objects != nullptr) {
        plan.objects.reserve(objects->size());
    }
    for (size_t i = 0; objects != nullptr && i < objects->size() && !r.failed(); ++i) {
        const json& o = (*objects)[i];
        const std::string where = Where("objects", i);
        if (!r.Object(o, where)) {
            return;
        }
        PlanObject object;
        object.pool = std::string(Trim(r.TextMember(o, "pool", where, true, true)));
        object.name = std::string(Trim(r.TextMember(o, "name", where, true, true)));
        object.kind = std::string(Trim(r.TextMember(o, "kind", where, true, true)));
        plan.objects.push_back(std::move(object));
    }
}

void ReadTexts(Reader& r, const json& root, Plan& plan) {
    if (Reader::Member(root, "members") != nullptr) {
        plan.membersText = r.TextMember(root, "members", "plan", true, true);
    }
    if (Reader::Member(root, "ecsa") != nullptr) {
        plan.ecsaText = r.TextMember(root, "ecsa", "plan", true, true);
    }
    const json* cfrm = Reader::Member(root, "cfrm");
    if (cfrm == nullptr || !r.Object(*cfrm, "\"cfrm\"")) {
        return;
    }
    for (const auto& [key, value] : cfrm->items()) {
        plan.cfrm[key] = r.Text(value, "\"cfrm\".\"" + key + "\"", false);
    }
}

std::string SystemReason(int error) { return std::strerror(error); }

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
        objects.push_back({{"pool", Latin1ToUtf8(o.pool)},
                           {"name", Latin1ToUtf8(o.name)},
                           {"kind", Latin1ToUtf8(o.kind)}});
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
    PlanReadResult result;
    json root;
    try {
        root = json::parse(text.begin(), text.end());
    } catch (const json::parse_error& e) {
        result.error = "it is not JSON (syntax error at byte " + std::to_string(e.byte) + ")";
        return result;
    } catch (const json::exception&) {
        // The parser throws more than parse_error: 1e400 is an out_of_range.
        result.error = "it is a damaged plan (a number is too large)";
        return result;
    }
    const json* format = root.is_object() ? Reader::Member(root, "format") : nullptr;
    if (format == nullptr || !format->is_string() ||
        format->get_ref<const std::string&>() != kPlanFormat) {
        result.error =
            "it is not a plan (it has no \"format\": \"" + std::string(kPlanFormat) + "\")";
        return result;
    }
    const json* version = Reader::Member(root, "version");
    if (version == nullptr || !version->is_number_integer()) {
        result.error = "it is a damaged plan (\"version\" must be a whole number)";
        return result;
    }
    if (version->is_number_unsigned() && version->get<uint64_t>() > uint64_t{kPlanVersion}) {
        result.error = "it is a plan of a newer version (" + version->dump() +
                       ") than this program reads (" + std::to_string(kPlanVersion) + ")";
        return result;
    }
    if (version->get<int64_t>() < 1) {
        result.error = "it is a damaged plan (\"version\" must be 1 or more)";
        return result;
    }
    Plan plan;
    Reader r;
    ReadFiles(r, root, planFolder, plan);
    ReadPools(r, root, plan);
    ReadObjects(r, root, plan);
    ReadTexts(r, root, plan);
    if (r.failed()) {
        result.error = r.error();
        return result;
    }
    result.plan = std::move(plan);
    return result;
}

PlanReadResult ReadPlanFile(const std::string& path) {
    PlanReadResult result;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        result.error = "it does not exist";
        return result;
    }
    if (fs::is_directory(status)) {
        result.error = "it is a folder, not a plan file";
        return result;
    }
    const uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > kMaxPlanBytes) {
        result.error = "it is too large for a plan";
        return result;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in) {
        text << in.rdbuf();
    }
    if (!in || in.bad()) {
        result.error = "it cannot be read (" + SystemReason(errno != 0 ? errno : EIO) + ")";
        return result;
    }
    return ReadPlanJson(text.view(), fs::absolute(path, ec).parent_path().string());
}

std::optional<std::string> WritePlanFile(const std::string& path, const Plan& plan) {
    std::error_code ec;
    const fs::path target = fs::absolute(path, ec);
    if (ec) {
        return "it cannot be written (" + ec.message() + ")";
    }
    if (fs::is_directory(target, ec)) {
        return std::string("it is a folder");
    }
    const std::string folder = target.parent_path().string();
    const std::string text = WritePlanJson(plan, folder);

    std::string temp =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        return "it cannot be written (" + SystemReason(errno) + ")";
    }
    // A new plan gets the usual mode; one written over keeps its own.
    struct stat old {};
    fchmod(fd, ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    const auto fail = [&](int error) -> std::optional<std::string> {
        ::close(fd);
        ::unlink(temp.c_str());
        return "it cannot be written (" + SystemReason(error) + ")";
    };
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return fail(n < 0 ? errno : ENOSPC);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) {
        return fail(errno);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return "it cannot be written (" + SystemReason(error) + ")";
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return "it cannot be written (" + SystemReason(error) + ")";
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return std::nullopt;
}

}  // namespace core

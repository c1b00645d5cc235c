#include "core/group_buffer_pools.h"

#include <array>

#include "core/text.h"

namespace core {
namespace {

struct PageSizeFamily {
    std::string_view prefix;  // upper case, after "BP"
    int64_t pageSizeKb;
    int maxNumber;   // highest number after the prefix
    bool bareName;   // the prefix alone names a pool too ("BP32K")
};

// Longest prefix first, so that "32K" is tried before the plain numbers.
constexpr std::array<PageSizeFamily, 4> kFamilies = {{
    {"32K", 32, 9, true},
    {"16K", 16, 9, false},
    {"8K", 8, 9, false},
    {"", 4, 49, false},
}};

// The number written by `digits`: one or two decimal digits, no leading zero but "0" itself.
std::optional<int> SmallNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 2 || (digits.size() == 2 && digits[0] == '0')) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::optional<GroupBufferPool> GroupBufferPoolOf(std::string_view poolName) {
    std::string name = FoldedCase(Trim(poolName));
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (name.size() < 3 || name.compare(0, 2, "BP") != 0) {
        return std::nullopt;
    }
    const std::string_view rest = std::string_view(name).substr(2);
    for (const PageSizeFamily& family : kFamilies) {
        if (rest.substr(0, family.prefix.size()) != family.prefix) {
            continue;
        }
        const std::string_view digits = rest.substr(family.prefix.size());
        if (digits.empty() && family.bareName) {
            return GroupBufferPool{"GBP" + std::string(rest), family.pageSizeKb};
        }
        const std::optional<int> number = SmallNumber(digits);
        // "BP32K0" is not a Db2 name: the first 32 KB pool is BP32K.
        if (number && *number <= family.maxNumber && !(family.bareName && *number == 0)) {
            return GroupBufferPool{"GBP" + std::string(rest), family.pageSizeKb};
        }
        if (!family.prefix.empty()) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace core

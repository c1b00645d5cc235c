// A warning about input or results: the figures stand, but a reader should know this. The codes
// are stable, so that scripts can test for them.
#ifndef CORE_WARNINGS_H_
#define CORE_WARNINGS_H_

#include <string>

namespace core {

struct Warning {
    std::string code;     // e.g. "page_size_not_4k", "members_out_of_range"
    std::string message;  // one plain sentence with the figures, UTF-8
};

}  // namespace core

#endif  // CORE_WARNINGS_H_

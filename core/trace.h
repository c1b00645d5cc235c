// How a figure came about: its inputs and each step with the actual values, one step per string
// (UTF-8). Built by the code that computes the figure, in the same pass, so that it cannot drift
// from the figure.
#ifndef CORE_TRACE_H_
#define CORE_TRACE_H_

#include <string>
#include <vector>

namespace core {

using Trace = std::vector<std::string>;

// Appends `step` to *why unless why is null (a caller that wants no trace passes null).
inline void AddStep(Trace* why, std::string step) {
    if (why != nullptr) {
        why->push_back(std::move(step));
    }
}

}  // namespace core

#endif  // CORE_TRACE_H_

// The batch sizer's checks of the two typed numbers ("No Of Shared DB2", "ECSA Size for IRLM "):
// a warning for a text outside the rules of the number boxes, and a refusal where a number lies
// beyond the 64-bit range, or where a figure computed from it does (the sizing marks such a figure,
// SizingResult::heldAtLimit).
#ifndef CLI_RANGE_CHECKS_H_
#define CLI_RANGE_CHECKS_H_

#include <QString>
#include <optional>
#include <vector>

#include "core/sizing.h"
#include "core/warnings.h"

namespace cli {

// The texts as typed (see DecodeArgument).
struct TypedNumbers {
    QString members;
    QString ecsa;
};

// members_out_of_range, then ecsa_out_of_range, for each text the boxes would not accept. The
// message names the option, the text, the allowed values and the number the sizing reads; for
// members that are not whole, also the whole number the lock structure size uses. Messages are
// bytes, UTF-8 where the typed text is.
std::vector<core::Warning> TypedNumberWarnings(const TypedNumbers& typed);

// A one-line reason naming the option when a typed number lies beyond the 64-bit range
// (infinity included); nullopt when both fit.
std::optional<QString> TypedNumberOverflow(const TypedNumbers& typed);

// The refusal of a figure the sizing held at the 64-bit limit, naming the typed number behind it.
QString HeldFigureRefusal(const core::LimitMark& mark, const TypedNumbers& typed);

}  // namespace cli

#endif  // CLI_RANGE_CHECKS_H_

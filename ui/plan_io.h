// Plan files for the desktop program: read and checked, written whole, and files hashed
// with QCryptographicHash for the core's comparisons.
#ifndef UI_PLAN_IO_H_
#define UI_PLAN_IO_H_

#include <QString>
#include <atomic>
#include <memory>
#include <optional>

#include "core/plan.h"

namespace ui {

// SHA-256 of a file in lower-case hex; nullopt when it cannot be read, is not a regular file,
// or `*cancel` (when given) turns true while it is read. Never reads past the file's size at
// the open, so a named pipe, a device or a file under /proc cannot keep it going.
core::FileHasher Sha256Hasher(std::shared_ptr<const std::atomic<bool>> cancel = {});

// Reads the plan at `path`. On failure: nullopt and `*error` one sentence saying why ("The plan
// march.loomplan cannot be opened: it is not JSON (syntax error at byte 3)."). With `notAPlan`
// given, a file that is no plan at all sets it and is told as such ("report.json is not a
// Loomstead plan: it is not a plan (it has no ...).").
std::optional<core::Plan> ReadPlan(const QString& path, QString* error, bool* notAPlan = nullptr);

// Writes `plan` to `path` whole or not at all (core::WriteWholeFile). On failure: false, `*error`
// says why, and any plan already at `path` is left as it was.
bool WritePlan(const QString& path, const core::Plan& plan, QString* error);

// "The data file /x/y.sta of the plan is gone." for the first file of the plan that is not a
// readable file now; empty when every file is there. A plan whose files are to be loaded is
// refused with it before anything changes.
QString FirstGoneFile(const core::Plan& plan);

}  // namespace ui

#endif  // UI_PLAN_IO_H_

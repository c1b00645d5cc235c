// --plan and --save-plan of the batch sizer: the plan read before the load, applied after it
// (before the other options), its account for standard error and the JSON, and the plan of the
// run written at its end.
#ifndef CLI_PLAN_OPTIONS_H_
#define CLI_PLAN_OPTIONS_H_

#include <QString>
#include <QStringList>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/output_files.h"
#include "core/plan.h"

class QCommandLineParser;

#include "core/session.h"

namespace cli {

struct Options;

void AddPlanOptions(QCommandLineParser& parser);
// Fills the plan fields of `options` from a parser that has parsed the arguments.
void ReadPlanOptions(const QCommandLineParser& parser, Options& options);

class PlanStep {
public:
    explicit PlanStep(const Options& options) : m_options(options) {}

    // Reads --plan, if given. On failure the one-line reason; nothing else has happened then.
    [[nodiscard]] std::optional<QString> Read();
    // The files to load: those named on the command line, or else the plan's.
    QStringList Files() const;
    // Has the session adopt the loaded tables with the plan's choices, and gives the two texts
    // the plan's values, unless the command line set them.
    void Adopt(core::Session& session, core::Session::Read&& read, QString& members, QString& ecsa);
    // The --save-plan file, if asked, from the session as it now stands, for the run to write
    // at its end (a failure exits with kExitLoadFailed); its account joins this step's.
    [[nodiscard]] std::optional<PendingFile> Save(const core::Session& session);

    // One line per item of the account, for standard error.
    QString AccountText() const;
    // The "plan" section of the JSON; nullopt when neither option was given.
    std::optional<nlohmann::json> Json() const;

private:
    const Options& m_options;
    std::optional<core::Plan> m_plan;
    core::PlanAccount m_account;
};

}  // namespace cli

#endif  // CLI_PLAN_OPTIONS_H_

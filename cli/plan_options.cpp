#include "cli/plan_options.h"

#include <unistd.h>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCryptographicHash>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "cli/batch_sizer.h"
#include "cli/command_line.h"
#include "cli/encodings.h"
#include "cli/report.h"
#include "core/io/file_source.h"
#include "core/io/write_file.h"
#include "core/results_json.h"
#include "core/tables.h"

namespace cli {
namespace {

const QString kPlanOption = QStringLiteral("plan");
const QString kSavePlanOption = QStringLiteral("save-plan");

core::FileHasher Sha256Hasher() {
    // The path's own bytes, which need not be UTF-8; only a regular file, never past its size.
    return [](const std::string& path) -> std::optional<std::string> {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        const auto add = [&hash](std::string_view bytes) {
            hash.addData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
            return true;
        };
        if (core::ReadDiskFilePieces(path, add)) {
            return std::nullopt;
        }
        return hash.result().toHex().toStdString();
    };
}

void Append(core::PlanAccount& account, core::PlanAccount items) {
    account.insert(account.end(), std::make_move_iterator(items.begin()),
                   std::make_move_iterator(items.end()));
}

}  // namespace

void AddPlanOptions(QCommandLineParser& parser) {
    parser.addOption({kPlanOption,
                      "Apply the plan FILE after the load, before the other options. Without "
                      "data files named, the plan's files are loaded.",
                      "FILE"});
    parser.addOption({kSavePlanOption, "Write the plan of the run to FILE.", "FILE"});
}

void ReadPlanOptions(const QCommandLineParser& parser, Options& options) {
    options.plan = parser.value(kPlanOption);
    options.savePlan = parser.value(kSavePlanOption);
    options.membersGiven = parser.isSet(QStringLiteral("members"));
    options.ecsaGiven = parser.isSet(QStringLiteral("ecsa"));
}

std::optional<QString> PlanStep::Read() {
    if (m_options.plan.isEmpty()) {
        return std::nullopt;
    }
    core::PlanReadResult read = core::ReadPlanFile(EncodeArgument(m_options.plan));
    if (!read.ok()) {
        return QStringLiteral("cannot read the plan %1: %2")
            .arg(TerminalText(m_options.plan), TerminalBytes(read.status().message()));
    }
    m_plan = std::move(read).value();
    if (m_options.files.isEmpty()) {
        for (const core::PlanFile& file : m_plan->files) {
            std::error_code error;
            if (!std::filesystem::is_regular_file(file.path, error) ||
                ::access(file.path.c_str(), R_OK) != 0) {
                return QStringLiteral("the data file %1 of the plan %2 is gone")
                    .arg(TerminalBytes(file.path), TerminalText(m_options.plan));
            }
        }
    }
    return std::nullopt;
}

QStringList PlanStep::Files() const {
    if (!m_options.files.isEmpty() || !m_plan) {
        return m_options.files;
    }
    QStringList files;
    for (const core::PlanFile& file : m_plan->files) {
        files.append(DecodeArgument(file.path));
    }
    return files;
}

void PlanStep::Adopt(core::Session& session, core::Session::Read&& read, QString& members,
                     QString& ecsa) {
    if (!m_plan) {
        (void)session.Adopt(std::move(read));
        return;
    }
    Append(m_account,
           session.Adopt(std::move(read), &*m_plan, core::CheckPlanFiles(*m_plan, Sha256Hasher())));
    if (!m_options.membersGiven) {
        members = FromData(m_plan->membersText);
    }
    if (!m_options.ecsaGiven) {
        ecsa = FromData(m_plan->ecsaText);
    }
}

std::optional<PendingFile> PlanStep::Save(const core::Session& session) {
    if (m_options.savePlan.isEmpty()) {
        return std::nullopt;
    }
    core::PlanCapture capture = session.CapturePlan();
    capture.plan.files = core::DescribeFiles(session.tables().lstSelectedFiles, Sha256Hasher());
    if (m_plan) {
        capture.plan.cfrm = m_plan->cfrm;  // other programs' inputs travel on unchanged
    }
    // Relative paths in the plan are relative to the folder it is saved in.
    std::error_code ec;
    const std::filesystem::path target =
        std::filesystem::absolute(EncodeArgument(m_options.savePlan), ec);
    const QString path = m_options.savePlan;
    PendingFile file{path, core::WritePlanJson(capture.plan, target.parent_path().string()),
                     kExitLoadFailed, [path](const core::Status& written) {
                         return QStringLiteral("cannot save the plan %1: %2")
                             .arg(TerminalText(path),
                                  written.code() == core::StatusCode::kInvalidArgument
                                      ? QStringLiteral("it is a folder")
                                      : QStringLiteral("it cannot be written (%1)")
                                            .arg(TerminalBytes(written.message())));
                     }};
    Append(m_account, std::move(capture.account));
    return file;
}

QString PlanStep::AccountText() const {
    QString text;
    for (const core::PlanItem& item : m_account) {
        text += QStringLiteral("plan: %1\n").arg(TerminalBytes(item.message));
    }
    return text;
}

std::optional<nlohmann::json> PlanStep::Json() const {
    if (m_options.plan.isEmpty() && m_options.savePlan.isEmpty()) {
        return std::nullopt;
    }
    nlohmann::json items = nlohmann::json::array();
    for (const core::PlanItem& item : m_account) {
        nlohmann::json o = {{"kind", std::string(core::PlanItemKindName(item.kind))}};
        const auto add = [&o](const char* key, const std::string& text) {
            if (!text.empty()) {
                o[key] = core::JsonBytes(text);
            }
        };
        add("pool", item.pool);
        add("object", item.object);
        add("file", item.file);
        add("message", item.message);
        items.push_back(o);
    }
    const QString& file = m_options.plan.isEmpty() ? m_options.savePlan : m_options.plan;
    return nlohmann::json{{"file", core::JsonBytes(EncodeArgument(file))}, {"items", items}};
}

}  // namespace cli

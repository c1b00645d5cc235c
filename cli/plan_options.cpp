#include "plan_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include "command_line.h"
#include "report.h"
#include "tables.h"

namespace cli {
namespace {

const QString kPlanOption = QStringLiteral("plan");
const QString kSavePlanOption = QStringLiteral("save-plan");

core::FileHasher Sha256Hasher() {
    return [](const std::string& path) -> std::optional<std::string> {
        QFile file(FromPath(path));
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) {
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
    core::PlanReadResult read = core::ReadPlanFile(ToPath(m_options.plan));
    if (!read.ok()) {
        return QStringLiteral("cannot read the plan %1: %2")
            .arg(m_options.plan, QString::fromStdString(read.error));
    }
    m_plan = std::move(read.plan);
    if (m_options.files.isEmpty()) {
        for (const core::PlanFile& file : m_plan->files) {
            const QFileInfo info(FromPath(file.path));
            if (!info.isFile() || !info.isReadable()) {
                return QStringLiteral("the data file %1 of the plan %2 is gone")
                    .arg(info.filePath(), m_options.plan);
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
        files.append(FromPath(file.path));
    }
    return files;
}

void PlanStep::Apply(core::CoreTables& tables, QString& members, QString& ecsa) {
    if (!m_plan) {
        return;
    }
    Append(m_account, core::CheckPlanFiles(*m_plan, Sha256Hasher()));
    Append(m_account, core::ApplyPlan(tables, *m_plan));
    if (!m_options.membersGiven) {
        members = FromData(m_plan->membersText);
    }
    if (!m_options.ecsaGiven) {
        ecsa = FromData(m_plan->ecsaText);
    }
}

std::optional<QString> PlanStep::Save(const core::CoreTables& tables, const QString& members,
                                      const QString& ecsa) {
    if (m_options.savePlan.isEmpty()) {
        return std::nullopt;
    }
    core::PlanCapture capture = core::CapturePlan(tables, ToData(members), ToData(ecsa));
    capture.plan.files = core::DescribeFiles(tables.lstSelectedFiles, Sha256Hasher());
    if (m_plan) {
        capture.plan.cfrm = m_plan->cfrm;  // other programs' inputs travel on unchanged
    }
    if (const std::optional<std::string> error =
            core::WritePlanFile(ToPath(m_options.savePlan), capture.plan)) {
        return QStringLiteral("cannot save the plan %1: %2")
            .arg(m_options.savePlan, QString::fromStdString(*error));
    }
    Append(m_account, std::move(capture.account));
    return std::nullopt;
}

QString PlanStep::AccountText() const {
    QString text;
    for (const core::PlanItem& item : m_account) {
        text += QStringLiteral("plan: %1\n").arg(QString::fromStdString(item.message));
    }
    return text;
}

std::optional<QJsonObject> PlanStep::Json() const {
    if (m_options.plan.isEmpty() && m_options.savePlan.isEmpty()) {
        return std::nullopt;
    }
    QJsonArray items;
    for (const core::PlanItem& item : m_account) {
        QJsonObject o{{"kind", QString::fromUtf8(core::PlanItemKindName(item.kind))}};
        const auto add = [&o](const char* key, const std::string& text, bool path) {
            if (!text.empty()) {
                o[key] = path ? FromPath(text) : QString::fromStdString(text);
            }
        };
        add("pool", item.pool, false);
        add("object", item.object, false);
        add("file", item.file, true);
        add("message", item.message, false);
        items.append(o);
    }
    return QJsonObject{{"file", m_options.plan.isEmpty() ? m_options.savePlan : m_options.plan},
                       {"items", items}};
}

}  // namespace cli

#include "ui/plan_io.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include "core/io/file_source.h"
#include "core/io/write_file.h"

namespace ui {
namespace {

std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FromPath(const std::string& path) { return QFile::decodeName(path.c_str()); }

}  // namespace

core::FileHasher Sha256Hasher(std::shared_ptr<const std::atomic<bool>> cancel) {
    return [cancel](const std::string& path) -> std::optional<std::string> {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        const auto add = [&hash, &cancel](std::string_view bytes) {
            hash.addData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
            return !cancel || !*cancel;
        };
        if (core::ReadDiskFilePieces(path, add)) {
            return std::nullopt;
        }
        return hash.result().toHex().toStdString();
    };
}

std::optional<core::Plan> ReadPlan(const QString& path, QString* error, bool* notAPlan) {
    core::PlanReadResult read = core::ReadPlanFile(ToPath(path));
    if (!read.ok()) {
        const bool isNoPlan = read.status().code() == core::StatusCode::kInvalidArgument;
        const bool toldAsNoPlan = notAPlan != nullptr && isNoPlan;
        if (notAPlan != nullptr) {
            *notAPlan = isNoPlan;
        }
        if (error != nullptr) {
            *error = (toldAsNoPlan ? QStringLiteral("%1 is not a Loomstead plan: %2.")
                                   : QStringLiteral("The plan %1 cannot be opened: %2."))
                         .arg(QFileInfo(path).fileName(),
                              QString::fromStdString(read.status().message()));
        }
        return std::nullopt;
    }
    return std::move(read).value();
}

bool WritePlan(const QString& path, const core::Plan& plan, QString* error) {
    const std::string text = core::WritePlanJson(plan, ToPath(QFileInfo(path).absolutePath()));
    const core::Status written = core::WriteWholeFile(ToPath(path), text);
    if (!written.ok()) {
        if (error != nullptr) {
            *error =
                QStringLiteral("The plan %1 cannot be saved: %2.")
                    .arg(QFileInfo(path).fileName(), QString::fromStdString(written.message()));
        }
        return false;
    }
    return true;
}

QString FirstGoneFile(const core::Plan& plan) {
    for (const core::PlanFile& file : plan.files) {
        const QFileInfo info(FromPath(file.path));
        if (!info.isFile() || !info.isReadable()) {
            return QStringLiteral("The data file %1 of the plan is gone.").arg(info.filePath());
        }
    }
    return {};
}

}  // namespace ui

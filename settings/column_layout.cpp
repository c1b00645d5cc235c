#include "settings/column_layout.h"

#include <QDebug>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <atomic>

#include "core/numbers.h"

namespace settings {
namespace {

const QString kOrganization = QStringLiteral("Loomkeep");
const QString kApplication = QStringLiteral("Loomkeep");
const QString kGroup = QStringLiteral("Layout");
const QString kWindowGroup = QStringLiteral("Window");

QString KeyPath(const QString& key) { return kGroup + QLatin1Char('/') + key; }

// False, after one warning per run, when the store exists but is not a regular file. Asked
// before QSettings opens the file, because its open of a named pipe waits for a writer forever.
bool IsUsableStore(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isFile()) {
        return true;
    }
    static std::atomic<bool> warned = false;
    if (!warned.exchange(true)) {
        qWarning().noquote() << QStringLiteral(
                                    "Loomstead: the settings file %1 is not a regular file; "
                                    "column widths are neither read from it nor stored in it")
                                    .arg(path);
    }
    return false;
}

// The value under `keyPath`; a null QVariant when there is none or the store cannot be read.
QVariant StoredValue(const QString& keyPath) {
    const QString path = ColumnLayoutStore::filePath();
    if (!IsUsableStore(path)) {
        return {};
    }
    // The file alone, without the organization-wide and system fallbacks QSettings would also
    // open (each of which could be a pipe too).
    const QSettings store(path, QSettings::IniFormat);
    if (store.status() != QSettings::NoError) {
        return {};
    }
    return store.value(keyPath);
}

bool StoreValue(const QString& keyPath, const QVariant& value) {
    const QString path = ColumnLayoutStore::filePath();
    if (!IsUsableStore(path)) {
        return false;
    }
    QSettings store(path, QSettings::IniFormat);
    store.setValue(keyPath, value);
    store.sync();
    return store.status() == QSettings::NoError;
}

}  // namespace

QString FormatLayoutValue(const QList<int>& widths) {
    QStringList pieces;
    pieces.reserve(widths.size());
    for (int width : widths) {
        pieces.append(QString::number(width));
    }
    return pieces.join(QLatin1Char(','));
}

QList<std::optional<int>> ParseLayoutValue(const QString& value) {
    QList<std::optional<int>> widths;
    if (value.isEmpty()) {
        return widths;
    }
    const QStringList pieces = value.split(QLatin1Char(','));
    widths.reserve(pieces.size());
    for (const QString& piece : pieces) {
        const std::optional<int32_t> width =
            core::RoundToInt32(core::LenientNumber(piece.toStdString()));
        if (width && *width > 0 && *width <= kMaxColumnWidth) {
            widths.append(*width);
        } else {
            widths.append(std::nullopt);
        }
    }
    return widths;
}

QString ColumnLayoutStore::filePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + kOrganization + QLatin1Char('/') + kApplication +
           QStringLiteral(".conf");
}

QString ColumnLayoutStore::layoutValue(const QString& key) const {
    const QVariant value = StoredValue(KeyPath(key));
    // An entry typed by hand without quotes, such as 80,,70, comes back as a list of its pieces.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

bool ColumnLayoutStore::setLayoutValue(const QString& key, const QString& value) {
    return StoreValue(KeyPath(key), value);
}

QByteArray WindowLayoutStore::value(const QString& key) const {
    const QVariant value = StoredValue(kWindowGroup + QLatin1Char('/') + key);
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

bool WindowLayoutStore::setValue(const QString& key, const QByteArray& value) {
    return StoreValue(kWindowGroup + QLatin1Char('/') + key, value);
}

}  // namespace settings

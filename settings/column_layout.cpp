#include "column_layout.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

#include "numbers.h"

namespace settings {
namespace {

const QString kOrganization = QStringLiteral("Loomkeep");
const QString kApplication = QStringLiteral("Loomkeep");
const QString kGroup = QStringLiteral("Layout");

QString KeyPath(const QString& key) { return kGroup + QLatin1Char('/') + key; }

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

QString ColumnLayoutStore::layoutValue(const QString& key) const {
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganization,
                          kApplication);
    if (store.status() != QSettings::NoError) {
        return {};
    }
    const QVariant value = store.value(KeyPath(key));
    // An entry typed by hand without quotes, such as 80,,70, comes back as a list of its pieces.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

bool ColumnLayoutStore::setLayoutValue(const QString& key, const QString& value) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kApplication);
    store.setValue(KeyPath(key), value);
    store.sync();
    return store.status() == QSettings::NoError;
}

}  // namespace settings

#include "settings/cfrm_inputs.h"

#include <QSettings>

namespace settings {
QVariantMap LoadCfrmInputs() {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Loomkeep"),
                    QStringLiteral("Loomkeep"));
    QVariantMap inputs;
    if (store.status() != QSettings::NoError) {
        return inputs;
    }
    store.beginGroup(QStringLiteral("Cfrm"));
    for (const QString& key : store.childKeys()) {
        inputs.insert(key, store.value(key));
    }
    return inputs;
}

bool SaveCfrmInputs(const QVariantMap& inputs) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Loomkeep"),
                    QStringLiteral("Loomkeep"));
    store.beginGroup(QStringLiteral("Cfrm"));
    store.remove(QString());
    for (auto it = inputs.begin(); it != inputs.end(); ++it) {
        store.setValue(it.key(), it.value());
    }
    store.endGroup();
    store.sync();
    return store.status() == QSettings::NoError;
}

}  // namespace settings

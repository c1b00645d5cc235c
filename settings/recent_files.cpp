#include "settings/recent_files.h"

#include <QSettings>
#include <QVariant>

namespace settings {
namespace {

const QString kOrganization = QStringLiteral("Loomkeep");
const QString kApplication = QStringLiteral("Loomkeep");
const QString kKey = QStringLiteral("Recent/Files");

}  // namespace

QStringList WithRecentFile(QStringList list, const QString& path) {
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > kMaxRecentFiles) {
        list.removeLast();
    }
    return list;
}

QStringList RecentFilesStore::files() const {
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganization,
                          kApplication);
    if (store.status() != QSettings::NoError) {
        return {};
    }
    QStringList list = store.value(kKey).toStringList();
    list.removeAll(QString());
    // A list lengthened by hand in the file shows no more than the menu has room for.
    return list.mid(0, kMaxRecentFiles);
}

bool RecentFilesStore::add(const QString& path) { return store(WithRecentFile(files(), path)); }

bool RecentFilesStore::remove(const QString& path) {
    QStringList list = files();
    list.removeAll(path);
    return store(list);
}

bool RecentFilesStore::store(const QStringList& list) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kApplication);
    store.setValue(kKey, list);
    store.sync();
    return store.status() == QSettings::NoError;
}

}  // namespace settings

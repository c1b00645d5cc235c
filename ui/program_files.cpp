#include "ui/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ui {

QString FindProgramFile(const QString& name) {
    const QDir programDir(QCoreApplication::applicationDirPath());
    // LOOMSTEAD_DATA_FROM_BIN is the data folder relative to the installed executable's folder,
    // so that a package installed under any prefix still finds its files.
    for (const QString& candidate :
         {programDir.filePath(name),
          programDir.filePath(QStringLiteral(LOOMSTEAD_DATA_FROM_BIN "/") + name)}) {
        if (QFileInfo(candidate).isFile()) {
            return QDir::cleanPath(candidate);
        }
    }
    return {};
}

QString ManualMarkdown() {
    for (const QString& path :
         {FindProgramFile(QStringLiteral("manual.md")), QStringLiteral(":/loomstead/manual.md")}) {
        QFile file(path);
        if (!path.isEmpty() && file.open(QIODevice::ReadOnly)) {
            return QString::fromUtf8(file.readAll());
        }
    }
    return {};
}

}  // namespace ui

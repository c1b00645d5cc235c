#include "ui/path_kinds.h"

#include <QFileInfo>

namespace ui {

bool IsPlanPath(const QString& path) {
    return path.endsWith(QLatin1String(".loomplan"), Qt::CaseInsensitive);
}

PathKind KindOfPath(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return PathKind::kMissing;
    }
    if (info.isDir()) {
        return PathKind::kFolder;
    }
    // A device or a pipe would block the reader or never end; only regular files are read.
    if (!info.isFile() || !info.isReadable()) {
        return PathKind::kUnreadable;
    }
    return IsPlanPath(path) ? PathKind::kPlan : PathKind::kDataFile;
}

}  // namespace ui

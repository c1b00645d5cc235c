#include "column_widths.h"

#include <QHeaderView>
#include <QTreeView>

#include "column_layout.h"

namespace ui {

void SaveColumnLayout(const QTreeView& view, const QString& key) {
    const QHeaderView& header = *view.header();
    QList<int> widths;
    for (int i = 0; i < header.count(); ++i) {
        widths.append(header.sectionSize(i));
    }
    settings::ColumnLayoutStore().setLayoutValue(key, settings::FormatLayoutValue(widths));
}

void LoadColumnLayout(QTreeView& view, const QString& key) {
    const QList<std::optional<int>> widths =
        settings::ParseLayoutValue(settings::ColumnLayoutStore().layoutValue(key));
    QHeaderView& header = *view.header();
    for (int i = 0; i < widths.size() && i < header.count(); ++i) {
        if (widths[i]) {
            header.resizeSection(i, *widths[i]);
        }
    }
}

}  // namespace ui

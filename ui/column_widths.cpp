#include "column_widths.h"

#include <QHeaderView>
#include <QTreeView>
#include <algorithm>

#include "column_layout.h"

namespace ui {

int CaptionWidth(const QTreeView& view, int column, const QString& suffix) {
    const QHeaderView& header = *view.header();
    return header.sectionSizeHint(column) + header.fontMetrics().horizontalAdvance(suffix);
}

void FitColumnsToCaptions(QTreeView& view, const QString& suffix) {
    QHeaderView& header = *view.header();
    for (int i = 0; i < header.count(); ++i) {
        header.resizeSection(i, std::max(header.sectionSize(i), CaptionWidth(view, i, suffix)));
    }
}

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
            header.resizeSection(
                i, *widths[i] < kMinUsableColumnWidth ? CaptionWidth(view, i) : *widths[i]);
        }
    }
}

}  // namespace ui

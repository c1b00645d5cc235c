#include "ui/column_widths.h"

#include <QEvent>
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>
#include <numeric>
#include <vector>

#include "settings/column_layout.h"

namespace ui {
namespace {

// Fits the view's restored widths into it on every show and change of width, and goes away once
// the user takes a column border: from then on the widths are the user's.
class ColumnFitter : public QObject {
public:
    static constexpr char kName[] = "columnFitter";

    explicit ColumnFitter(QTreeView& view) : QObject(&view), m_view(view) {
        setObjectName(QLatin1String(kName));
        view.installEventFilter(this);
        view.viewport()->installEventFilter(this);
        view.header()->viewport()->installEventFilter(this);
        fit();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress && watched == m_view.header()->viewport()) {
            deleteLater();
        } else if (event->type() == QEvent::Show || event->type() == QEvent::Resize) {
            fit();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void fit() {
        if (m_view.isVisible()) {
            FitColumnsToView(m_view);
        }
    }

    QTreeView& m_view;
};

}  // namespace

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

void FitColumnsToView(QTreeView& view) {
    QHeaderView& header = *view.header();
    const int count = header.count();
    const int available = view.viewport()->width();
    std::vector<int> widths(static_cast<size_t>(count));
    std::vector<int> floors(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        widths[i] = header.isSectionHidden(i) ? 0 : header.sectionSize(i);
        floors[i] = std::min(widths[i], std::max(kMinUsableColumnWidth, CaptionWidth(view, i)));
    }
    const int total = std::accumulate(widths.begin(), widths.end(), 0);
    if (count == 0 || available <= 0 || total <= available) {
        return;
    }
    int floorTotal = std::accumulate(floors.begin(), floors.end(), 0);
    if (floorTotal > available) {
        // Even the captions do not fit: every column gets its share of the width.
        for (int i = 0; i < count; ++i) {
            floors[i] = std::min(
                floors[i], std::max(kMinUsableColumnWidth, floors[i] * available / floorTotal));
        }
        floorTotal = std::accumulate(floors.begin(), floors.end(), 0);
    }
    // What each column has beyond its floor shrinks by the same fraction, rounded down.
    const int spare = std::max(0, available - floorTotal);
    const int beyond = total - floorTotal;
    for (int i = 0; i < count; ++i) {
        if (widths[i] > 0) {
            const auto extra = static_cast<int>(static_cast<int64_t>(widths[i] - floors[i]) *
                                                spare / std::max(1, beyond));
            header.resizeSection(i, floors[i] + extra);
        }
    }
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
    if (!widths.isEmpty() &&
        !view.findChild<QObject*>(QLatin1String(ColumnFitter::kName), Qt::FindDirectChildrenOnly)) {
        new ColumnFitter(view);
    }
}

}  // namespace ui

// The "View Results" page: system information, the five recommendations and the results list
// "lvResults", which sorts on a click on a column title.
#ifndef UI_RESULTS_PAGE_H_
#define UI_RESULTS_PAGE_H_

#include <QWidget>
#include <array>

class QLabel;
class QSortFilterProxyModel;
class QTreeView;

namespace core {
struct SizingResult;
}

namespace ui {

class ResultsModel;

class ResultsPage : public QWidget {
    Q_OBJECT

public:
    explicit ResultsPage(QWidget* parent = nullptr);
    ~ResultsPage() override;

    // Empties lvResults; the value labels keep their texts until the next showResult().
    void clearResults();

    // Writes the nine value labels and fills lvResults; a sort chosen earlier stays in force.
    void showResult(const core::SizingResult& result);

    QTreeView* resultsView() const;  // lvResults, whose column widths are kept

signals:
    // "CFRM Policy…" was clicked.
    void cfrmPolicyRequested();

private:
    ResultsModel* m_model;
    QSortFilterProxyModel* m_sortModel;
    QTreeView* m_resultsView;
    std::array<QLabel*, 4> m_info{};
    std::array<QLabel*, 5> m_recommendation{};
};

}  // namespace ui

#endif  // UI_RESULTS_PAGE_H_

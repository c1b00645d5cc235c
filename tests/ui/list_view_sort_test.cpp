// Sorting the results list by clicks on its column titles.
#include "list_view_sort.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include "results_page.h"
#include "sizing.h"

class ListViewSortTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clicksOnOneTitleAlternateTheOrder();
    void clickOnAnotherTitleMovesTheMarker();
    void numbersSortAsText();
    void sortStaysInForceWhenRowsAreRefilled();
    void letterCaseDoesNotSplitPoolNames();
    void entriesCannotBeEdited();

private:
    void clickTitle(int column);
    QStringList titles() const;
    QStringList column(int column) const;

    std::unique_ptr<ui::ResultsPage> m_page;
    QTreeView* m_view = nullptr;
};

namespace {

core::SizingResult Rows(std::initializer_list<core::PoolResult> pools) {
    core::SizingResult result;
    result.pools = pools;
    return result;
}

// Pool, Shared, Cache All, VP Size, HP Size, GBP Size.
const core::SizingResult kThreePools =
    Rows({{"BP1", 120, 0, 9, 0, 2000}, {"BP2", 40, 40, 100, 0, 1000}, {"BP3", 7, 1, 20, 5, 3000}});

}  // namespace

void ListViewSortTest::init() {
    m_page = std::make_unique<ui::ResultsPage>();
    m_page->resize(700, 500);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    m_view = m_page->findChild<QTreeView*>(QStringLiteral("lvResults"));
    QVERIFY(m_view);
    m_page->showResult(kThreePools);
}

void ListViewSortTest::cleanup() { m_page.reset(); }

void ListViewSortTest::clickTitle(int column) {
    QHeaderView* header = m_view->header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QStringList ListViewSortTest::titles() const {
    QStringList texts;
    for (int i = 0; i < m_view->model()->columnCount(); ++i) {
        texts.append(m_view->model()->headerData(i, Qt::Horizontal).toString());
    }
    return texts;
}

QStringList ListViewSortTest::column(int column) const {
    QStringList texts;
    for (int row = 0; row < m_view->model()->rowCount(); ++row) {
        texts.append(m_view->model()->index(row, column).data().toString());
    }
    return texts;
}

void ListViewSortTest::clicksOnOneTitleAlternateTheOrder() {
    QCOMPARE(titles(),
             QStringList({"Pool", "Shared", "Cache All", "VP Size", "HP Size", "GBP Size"}));
    clickTitle(5);
    QCOMPARE(titles(),
             QStringList({"Pool", "Shared", "Cache All", "VP Size", "HP Size", "GBP Size (A)"}));
    QCOMPARE(column(0), QStringList({"BP2", "BP1", "BP3"}));
    clickTitle(5);
    QCOMPARE(titles().last(), "GBP Size (D)");
    QCOMPARE(column(0), QStringList({"BP3", "BP1", "BP2"}));
    clickTitle(5);
    QCOMPARE(titles().last(), "GBP Size (A)");
    QCOMPARE(column(0), QStringList({"BP2", "BP1", "BP3"}));
}

void ListViewSortTest::clickOnAnotherTitleMovesTheMarker() {
    clickTitle(3);
    clickTitle(3);
    QCOMPARE(titles()[3], "VP Size (D)");
    clickTitle(0);
    QCOMPARE(titles(),
             QStringList({"Pool (A)", "Shared", "Cache All", "VP Size", "HP Size", "GBP Size"}));
    QCOMPARE(column(0), QStringList({"BP1", "BP2", "BP3"}));
    clickTitle(1);
    QCOMPARE(titles(),
             QStringList({"Pool", "Shared (A)", "Cache All", "VP Size", "HP Size", "GBP Size"}));
}

void ListViewSortTest::numbersSortAsText() {
    clickTitle(3);
    QCOMPARE(column(3), QStringList({"100", "20", "9"}));
    clickTitle(3);
    QCOMPARE(column(3), QStringList({"9", "20", "100"}));
}

void ListViewSortTest::sortStaysInForceWhenRowsAreRefilled() {
    clickTitle(3);
    clickTitle(3);
    m_page->clearResults();
    QCOMPARE(m_view->model()->rowCount(), 0);
    m_page->showResult(
        Rows({{"BP8", 1, 0, 31, 0, 0}, {"BP9", 1, 0, 4, 0, 0}, {"BP10", 1, 0, 300, 0, 0}}));
    QCOMPARE(titles()[3], "VP Size (D)");
    QCOMPARE(column(0), QStringList({"BP9", "BP8", "BP10"}));
}

void ListViewSortTest::letterCaseDoesNotSplitPoolNames() {
    m_page->showResult(
        Rows({{"bp2", 1, 0, 0, 0, 0}, {"BP1", 1, 0, 0, 0, 0}, {"Bp10", 1, 0, 0, 0, 0}}));
    clickTitle(0);
    QCOMPARE(column(0), QStringList({"BP1", "Bp10", "bp2"}));
}

void ListViewSortTest::entriesCannotBeEdited() {
    const QModelIndex cell = m_view->model()->index(0, 3);
    QVERIFY(!(m_view->model()->flags(cell) & Qt::ItemIsEditable));
    QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, m_view->visualRect(cell).center());
    m_view->setCurrentIndex(cell);
    QTest::keyClick(m_view, Qt::Key_F2);
    QVERIFY(m_view->viewport()->findChildren<QLineEdit*>().isEmpty());
    QCOMPARE(cell.data().toString(), "9");
}

QTEST_MAIN(ListViewSortTest)
#include "list_view_sort_test.moc"

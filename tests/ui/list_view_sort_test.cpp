// Sorting the results list by clicks on its column titles.
#include "list_view_sort.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "results_page.h"
#include "scripted_seams.h"
#include "sizing.h"
#include "tables.h"
#include "test_tables.h"

class ListViewSortTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clicksAlternateTheOrderAndMoveTheMarker();
    void refilledRowsKeepTheSortAndIgnoreLetterCase();

private:
    void clickTitle(int column);
    QStringList titles() const;
    QStringList column(int column) const { return ui::Texts(m_view->model(), column); }

    core::CoreTables m_tables;
    ui::RecordingMessageSink m_messages;
    std::unique_ptr<ui::ResultsPage> m_page;
    QTreeView* m_view = nullptr;
};

namespace {

core::SizingResult Rows(std::initializer_list<core::PoolResult> pools) {
    core::SizingResult result;
    result.pools = pools;
    return result;
}

// Pool, Shared, Cache All, VP Size, HP Size, GBP Size, GBP pages of every row, trace.
const core::SizingResult kThreePools = Rows({{"BP1", 120, 0, 9, 0, 2000, 2000, {}},
                                             {"BP2", 40, 40, 100, 0, 1000, 1000, {}},
                                             {"BP3", 7, 1, 20, 5, 3000, 3000, {}}});

}  // namespace

void ListViewSortTest::init() {
    m_page = std::make_unique<ui::ResultsPage>(m_tables, m_messages);
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

void ListViewSortTest::clicksAlternateTheOrderAndMoveTheMarker() {
    QCOMPARE(titles(),
             QStringList({"Pool", "Shared", "Cache All", "VP Size", "HP Size", "GBP Size"}));
    QSignalSpy titlesChanged(m_view->model(), &QAbstractItemModel::headerDataChanged);
    clickTitle(3);
    QVERIFY(titlesChanged.count() > 0);  // so that the header shows them
    QCOMPARE(titles(),
             QStringList({"Pool", "Shared", "Cache All", "VP Size (A)", "HP Size", "GBP Size"}));
    QCOMPARE(column(3), QStringList({"9", "20", "100"}));  // numbers by value
    clickTitle(3);
    QCOMPARE(titles()[3], "VP Size (D)");
    QCOMPARE(column(3), QStringList({"100", "20", "9"}));

    clickTitle(0);
    QCOMPARE(titles(),
             QStringList({"Pool (A)", "Shared", "Cache All", "VP Size", "HP Size", "GBP Size"}));
    QCOMPARE(column(0), QStringList({"BP1", "BP2", "BP3"}));

    // From the keyboard: Ctrl and the column's number.
    m_page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
    m_view->setFocus();
    QTest::keyClick(m_view, Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(titles(),
             QStringList({"Pool", "Shared (A)", "Cache All", "VP Size", "HP Size", "GBP Size"}));
    QCOMPARE(column(1), QStringList({"7", "40", "120"}));
    QTest::keyClick(m_view, Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(column(1), QStringList({"120", "40", "7"}));
}

void ListViewSortTest::refilledRowsKeepTheSortAndIgnoreLetterCase() {
    clickTitle(0);
    clickTitle(0);
    m_page->clearResults();
    QCOMPARE(m_view->model()->rowCount(), 0);
    m_page->showResult(Rows({{"bp1", 1, 0, 0, 0, 0, 0, {}},
                             {"BP2", 1, 0, 0, 0, 0, 0, {}},
                             {"Bp10", 1, 0, 0, 0, 0, 0, {}}}));
    QCOMPARE(titles()[0], "Pool (D)");
    QCOMPARE(column(0), QStringList({"BP2", "Bp10", "bp1"}));
}

QTEST_MAIN(ListViewSortTest)
#include "list_view_sort_test.moc"

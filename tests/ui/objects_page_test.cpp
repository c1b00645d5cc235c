// The shared-objects page driven through its widgets: choosing a pool by mouse and keyboard,
// check marks by mouse and Space, the "Cache All Objects" box through its three states, and the
// flags all of it leaves in the tables.
#include "objects_page.h"

#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeView>
#include <optional>
#include <string>

#include "tables.h"
#include "test_tables.h"

namespace ui {
namespace {

// An object line whose object-name field (columns 30 to 56) holds `name`.
std::string ObjectLine(const std::string& name) { return std::string(29, ' ') + name; }

// BP1 in three files: three objects in the first (the second one cached), none in the second,
// two in the third. BP2 has two objects of its own.
void FillTables(core::CoreTables& tables) {
    tables.AppendLine(ObjectLine("DBA.TS0"));
    tables.AppendLine(ObjectLine("DBA.TS1"), -1);
    tables.AppendLine(ObjectLine("DBA.TS2"));
    tables.AppendLine(ObjectLine("DBB.TS3"));
    tables.AppendLine(ObjectLine("DBB.TS4"));
    tables.AppendLine(ObjectLine("DBC.TS5"));
    tables.AppendLine(ObjectLine("DBC.TS6"));
    tables.lvControl = {
        Row(0, "BP1", 0, 2),
        Row(0, "BP2", 3, 4),
        Row(1, "bp1"),
        Row(2, "BP1", 5, 6),
    };
    tables.lvSharedPools = {{"BP2", 2}, {"BP1", 5}};
    core::RebuildSharedPoolList(tables);
}

}  // namespace

class ObjectsPageTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void choosingAPoolListsTheObjectsOfAllItsFiles();
    void checkMarksFollowTheUserAndSetTheFlags();
    void cacheAllBoxGoesThroughItsStatesOnlyByTheUser();
    void clearObjectsForgetsThePool();

private:
    QListView* pools() const { return m_page->findChild<QListView*>("lstSharedPools"); }
    QTreeView* objects() const { return m_page->sharedObjectsView(); }
    QCheckBox* box() const { return m_page->findChild<QCheckBox*>("chkCacheAllObjects"); }
    QString label(const char* name) const { return m_page->findChild<QLabel*>(name)->text(); }
    bool countsVisible() const;
    void choosePool(int row);
    void clickCheckMark(int row);
    QStringList objectNames() const;
    QList<int> checkedRows() const;
    QString cacheAllFlags() const;  // "Cache All" of every pool row, in row order
    QList<int> itemData() const;

    core::CoreTables m_tables;
    ObjectsPage* m_page = nullptr;
};

void ObjectsPageTest::init() {
    m_tables = core::CoreTables();
    FillTables(m_tables);
    m_page = new ObjectsPage(m_tables);
    m_page->reloadPoolList();
    m_page->resize(600, 400);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page));
}

void ObjectsPageTest::cleanup() {
    delete m_page;
    m_page = nullptr;
}

bool ObjectsPageTest::countsVisible() const {
    bool all = true;
    bool any = false;
    for (const char* name : {"lbl7", "lbl8", "lblTPObjects", "lblTPSObjects"}) {
        const bool visible = m_page->findChild<QLabel*>(name)->isVisible();
        all = all && visible;
        any = any || visible;
    }
    Q_ASSERT(all == any);
    return all;
}

void ObjectsPageTest::choosePool(int row) {
    const QRect rect = pools()->visualRect(pools()->model()->index(row, 0));
    QVERIFY(rect.isValid());
    QTest::mouseClick(pools()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

void ObjectsPageTest::clickCheckMark(int row) {
    const QModelIndex index = objects()->model()->index(row, 0);
    QStyleOptionViewItem option;
    option.initFrom(objects());
    option.rect = objects()->visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect check = objects()->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator,
                                                           &option, objects());
    QVERIFY(check.isValid());
    QTest::mouseClick(objects()->viewport(), Qt::LeftButton, Qt::NoModifier, check.center());
}

QStringList ObjectsPageTest::objectNames() const {
    QStringList names;
    for (int row = 0; row < objects()->model()->rowCount(); ++row) {
        names << objects()->model()->index(row, 0).data().toString();
    }
    return names;
}

QList<int> ObjectsPageTest::checkedRows() const {
    QList<int> rows;
    for (int row = 0; row < objects()->model()->rowCount(); ++row) {
        if (objects()->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked) {
            rows << row;
        }
    }
    return rows;
}

QString ObjectsPageTest::cacheAllFlags() const {
    QString flags;
    for (const core::PoolRow& row : m_tables.lvControl) {
        flags += row.CacheAll ? 'T' : 'F';
    }
    return flags;
}

QList<int> ObjectsPageTest::itemData() const {
    QList<int> values;
    for (const core::DataLine& line : m_tables.lstData) {
        values << line.ItemData;
    }
    return values;
}

void ObjectsPageTest::choosingAPoolListsTheObjectsOfAllItsFiles() {
    QVERIFY(!countsVisible());
    QCOMPARE(objects()->model()->headerData(0, Qt::Horizontal).toString(), "Oject Name");
    QSignalSpy boxClicked(box(), &QCheckBox::clicked);
    choosePool(0);  // BP1
    QCOMPARE(objectNames(), QStringList({"DBA.TS0", "DBA.TS1", "DBA.TS2", "DBC.TS5", "DBC.TS6"}));
    QCOMPARE(objects()->model()->index(3, 0).data(Qt::UserRole).toString(), QStringLiteral("O5"));
    QCOMPARE(checkedRows(), QList<int>({1}));
    QVERIFY(countsVisible());
    QCOMPARE(label("lblTPObjects"), QStringLiteral("5"));
    QCOMPARE(label("lblTPSObjects"), QStringLiteral("1"));
    QCOMPARE(box()->checkState(), Qt::PartiallyChecked);

    // By keyboard: BP2, none cached.
    pools()->setFocus();
    QTest::keyClick(pools(), Qt::Key_Down);
    QCOMPARE(objectNames(), QStringList({"DBB.TS3", "DBB.TS4"}));
    QCOMPARE(label("lblTPObjects"), QStringLiteral("2"));
    QCOMPARE(label("lblTPSObjects"), QStringLiteral("0"));
    QCOMPARE(box()->checkState(), Qt::Unchecked);

    // The program's settings of the box ran nothing.
    QCOMPARE(boxClicked.count(), 0);
    QCOMPARE(itemData(), QList<int>({0, -1, 0, 0, 0, 0, 0}));
    QCOMPARE(cacheAllFlags(), QStringLiteral("FFFF"));
}

void ObjectsPageTest::checkMarksFollowTheUserAndSetTheFlags() {
    QSignalSpy resultsEnabled(m_page, &ObjectsPage::resultsPageEnabled);
    choosePool(0);
    QCOMPARE(resultsEnabled.count(), 0);

    // Unchecking the only cached object: nothing cached, box unchecked, "F" on BP1's rows.
    clickCheckMark(1);
    QCOMPARE(itemData(), QList<int>({0, 0, 0, 0, 0, 0, 0}));
    QCOMPARE(label("lblTPSObjects"), QStringLiteral("0"));
    QCOMPARE(box()->checkState(), Qt::Unchecked);
    QCOMPARE(cacheAllFlags(), QStringLiteral("FFFF"));
    QCOMPARE(resultsEnabled.count(), 1);

    // Space on the current object checks it; the box turns mixed.
    objects()->setFocus();
    objects()->setCurrentIndex(objects()->model()->index(3, 0));
    QTest::keyClick(objects(), Qt::Key_Space);
    QCOMPARE(itemData(), QList<int>({0, 0, 0, 0, 0, -1, 0}));
    QCOMPARE(label("lblTPSObjects"), QStringLiteral("1"));
    QCOMPARE(box()->checkState(), Qt::PartiallyChecked);
    QCOMPARE(resultsEnabled.count(), 2);

    // Checking the rest: all cached, box checked, "T" on all three BP1 rows, BP2's row untouched.
    for (const int row : {0, 1, 2, 4}) {
        clickCheckMark(row);
    }
    QCOMPARE(checkedRows(), QList<int>({0, 1, 2, 3, 4}));
    QCOMPARE(itemData(), QList<int>({-1, -1, -1, 0, 0, -1, -1}));
    QCOMPARE(label("lblTPObjects"), QStringLiteral("5"));
    QCOMPARE(label("lblTPSObjects"), QStringLiteral("5"));
    QCOMPARE(box()->checkState(), Qt::Checked);
    QCOMPARE(cacheAllFlags(), QStringLiteral("TFTT"));
    QCOMPARE(resultsEnabled.count(), 6);

    // The choices stay with the lines: BP1 chosen again shows them.
    choosePool(1);
    choosePool(0);
    QCOMPARE(checkedRows(), QList<int>({0, 1, 2, 3, 4}));
    QCOMPARE(box()->checkState(), Qt::Checked);
}

void ObjectsPageTest::cacheAllBoxGoesThroughItsStatesOnlyByTheUser() {
    QSignalSpy resultsEnabled(m_page, &ObjectsPage::resultsPageEnabled);
    choosePool(0);
    QCOMPARE(box()->checkState(), Qt::PartiallyChecked);

    struct Step {
        const char* action;
        Qt::CheckState box;
        QList<int> itemData;
        const char* cached;
        const char* flags;
    };
    const QList<int> allCached{-1, -1, -1, 0, 0, -1, -1};
    const QList<int> noneCached{0, 0, 0, 0, 0, 0, 0};
    const Step steps[] = {
        {"left click", Qt::Checked, allCached, "5", "TFTT"},  // mixed -> checked
        {"left click", Qt::Unchecked, noneCached, "0", "FFFF"},
        {"right click", Qt::Unchecked, noneCached, "0", "FFFF"},
        {"left click", Qt::Checked, allCached, "5", "TFTT"},
        {"space", Qt::Unchecked, noneCached, "0", "FFFF"},
        {"space", Qt::Checked, allCached, "5", "TFTT"},
    };
    for (const Step& step : steps) {
        const QByteArray action(step.action);
        if (action == "space") {
            box()->setFocus();
            QTest::keyClick(box(), Qt::Key_Space);
        } else {
            // On the box itself: the widget reaches past its caption.
            QTest::mouseClick(box(), action == "left click" ? Qt::LeftButton : Qt::RightButton,
                              Qt::NoModifier, QPoint(5, box()->height() / 2));
        }
        QCOMPARE(box()->checkState(), step.box);
        QCOMPARE(itemData(), step.itemData);
        QCOMPARE(checkedRows().size(), QByteArray(step.cached).toInt());
        QCOMPARE(label("lblTPSObjects"), QString::fromLatin1(step.cached));
        QCOMPARE(cacheAllFlags(), QString::fromLatin1(step.flags));
    }
    QCOMPARE(label("lblTPObjects"), QStringLiteral("5"));
    QCOMPARE(resultsEnabled.count(), 0);  // the box leaves "View Results" as it is
}

void ObjectsPageTest::clearObjectsForgetsThePool() {
    choosePool(0);
    m_page->clearObjects();
    QCOMPARE(objects()->model()->rowCount(), 0);
    QVERIFY(!countsVisible());
    QVERIFY(pools()->selectionModel()->selectedRows().isEmpty());
    QCOMPARE(box()->checkState(), Qt::PartiallyChecked);  // kept until the next pool

    // With no pool chosen the box changes no object and no row.
    QTest::mouseClick(box(), Qt::LeftButton, Qt::NoModifier, QPoint(5, box()->height() / 2));
    QCOMPARE(itemData(), QList<int>({0, -1, 0, 0, 0, 0, 0}));
    QCOMPARE(cacheAllFlags(), QStringLiteral("FFFF"));

    // A new list of shared pools comes with nothing chosen.
    m_tables.lvSharedPools.push_back({"BP0", 0});
    core::RebuildSharedPoolList(m_tables);
    choosePool(1);
    m_page->reloadPoolList();
    QCOMPARE(pools()->model()->rowCount(), 3);
    QCOMPARE(pools()->model()->index(0, 0).data().toString(), QStringLiteral("BP0"));
    QVERIFY(pools()->selectionModel()->selectedRows().isEmpty());
    QCOMPARE(objects()->model()->rowCount(), 0);
}

}  // namespace ui

QTEST_MAIN(ui::ObjectsPageTest)
#include "objects_page_test.moc"

// The shared-objects page driven through its widgets: choosing a pool by mouse and keyboard,
// check marks by mouse and Space, the "Cache All Objects" box through its three states, and the
// flags all of it leaves in the tables; and the model of the objects list.
#include "ui/objects_page.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeView>

#include "ui/shared_objects_model.h"
#include "core/tables.h"
#include "tests/ui/test_tables.h"

namespace ui {

class ObjectsPageTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void choosingAPoolListsTheObjectsOfAllItsFiles();  // each row with its file and line
    void checkMarksFollowTheUserAndSetTheFlags();
    void cacheAllBoxGoesThroughItsStatesOnlyByTheUser();
    void clearObjectsForgetsThePool();
    void filterHidesRowsAndNothingElse();
    void modelShowsNamesAndTakesTheUsersCheckMarks();

private:
    QListView* pools() const { return m_page->findChild<QListView*>("lstSharedPools"); }
    QTreeView* objects() const { return m_page->sharedObjectsView(); }
    QCheckBox* box() const { return m_page->findChild<QCheckBox*>("chkCacheAllObjects"); }
    void choosePool(int row) { ClickRow(pools(), row); }
    void clickCheckMark(int row);
    // On the box itself: the widget reaches past its caption.
    void clickBox(Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(box(), button, Qt::NoModifier, QPoint(5, box()->height() / 2));
    }
    QString counts() const;
    QStringList shownObjects() const;
    QString flags() const;
    // counts(), the box (on, off or mixed) and flags(), between bars.
    QString state() const;

    core::CoreTables m_tables;
    ObjectsPage* m_page = nullptr;
};

void ObjectsPageTest::init() {
    // BP1 in three files: three objects in the first (the second one cached), none in the
    // second, two in the third. BP2 has two objects of its own, both cached by the file while
    // its row's "Cache All" is off, so the box the program checks for it must change nothing.
    m_tables = core::CoreTables();
    const std::string cached = "DBA.TS1 DBB.TS3 DBB.TS4";
    for (const char* name :
         {"DBA.TS0", "DBA.TS1", "DBA.TS2", "DBB.TS3", "DBB.TS4", "DBC.TS5", "DBC.TS6"}) {
        m_tables.AppendLine(std::string(29, ' ') + name,
                            cached.find(name) != std::string::npos ? -1 : 0);
    }
    m_tables.lvControl = {Row(0, "BP1", 0, 2), Row(0, "BP2", 3, 4), Row(1, "bp1"),
                          Row(2, "BP1", 5, 6)};
    m_tables.lvSharedPools = {{"BP2", 2}, {"BP1", 5}};
    m_tables.lstSelectedFiles = {"/d/first.sta", "/d/empty.sta", "/e/third.sta"};
    m_tables.fileFirstLine = {0, 5, 5};
    core::RebuildSharedPoolList(m_tables);
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

void ObjectsPageTest::clickCheckMark(int row) {
    QStyleOptionViewItem option;
    option.initFrom(objects());
    option.rect = objects()->visualRect(objects()->model()->index(row, 0));
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect check = objects()->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator,
                                                           &option, objects());
    QVERIFY(check.isValid());
    QTest::mouseClick(objects()->viewport(), Qt::LeftButton, Qt::NoModifier, check.center());
}

// "Total Pool Objects" and "Total Shared Objects", or "hidden" while they and their captions
// are: the four show and hide together.
QString ObjectsPageTest::counts() const {
    int visible = 0;
    for (const char* name : {"lbl7", "lbl8", "lblTPObjects", "lblTPSObjects"}) {
        visible += m_page->findChild<QLabel*>(name)->isVisible() ? 1 : 0;
    }
    if (visible != 4) {
        return visible == 0 ? "hidden" : "partly shown";
    }
    // What a screen reader says must be what is shown.
    QStringList shown;
    for (const char* name : {"lblTPObjects", "lblTPSObjects"}) {
        const QLabel* count = m_page->findChild<QLabel*>(name);
        const QString spoken = QAccessible::queryAccessibleInterface(const_cast<QLabel*>(count))
                                   ->text(QAccessible::Name);
        shown << (spoken == count->text() ? spoken : "unreadable");
    }
    return shown.join(' ');
}

// The listed objects, a checked one followed by " *".
QStringList ObjectsPageTest::shownObjects() const {
    QStringList shown;
    for (int row = 0; row < objects()->model()->rowCount(); ++row) {
        const QModelIndex index = objects()->model()->index(row, 0);
        const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        shown << index.data().toString() + (checked ? " *" : "");
    }
    return shown;
}

// Each line's cached flag (x for -1, . for 0), then each pool row's "Cache All" (T or F).
QString ObjectsPageTest::flags() const {
    QString flags;
    for (const core::DataLine& line : m_tables.lstData) {
        flags += line.ItemData == -1 ? 'x' : line.ItemData == 0 ? '.' : '?';
    }
    flags += ' ';
    for (const core::PoolRow& row : m_tables.lvControl) {
        flags += row.CacheAll ? 'T' : 'F';
    }
    return flags;
}

QString ObjectsPageTest::state() const {
    const char* boxes[] = {"off", "mixed", "on"};
    return counts() + " | " + boxes[box()->checkState()] + " | " + flags();
}

void ObjectsPageTest::choosingAPoolListsTheObjectsOfAllItsFiles() {
    QCOMPARE(counts(), "hidden");
    choosePool(0);  // BP1
    QCOMPARE(shownObjects(),
             QStringList({"DBA.TS0", "DBA.TS1 *", "DBA.TS2", "DBC.TS5", "DBC.TS6"}));
    QCOMPARE(state(), "5 1 | mixed | .x.xx.. FFFF");
    QStringList tips;
    for (const int row : {0, 2, 3, 4}) {  // lines 0, 2, 5 and 6
        tips << objects()->model()->index(row, 0).data(Qt::ToolTipRole).toString();
    }
    QCOMPARE(tips, QStringList({"/d/first.sta, line 2", "/d/first.sta, line 4",
                                "/e/third.sta, line 2", "/e/third.sta, line 3"}));

    pools()->setFocus();
    QTest::keyClick(pools(), Qt::Key_Down);  // BP2
    QCOMPARE(shownObjects(), QStringList({"DBB.TS3 *", "DBB.TS4 *"}));
    // The program's settings of the box changed no object and no row.
    QCOMPARE(state(), "2 2 | on | .x.xx.. FFFF");
}

void ObjectsPageTest::checkMarksFollowTheUserAndSetTheFlags() {
    QSignalSpy resultsEnabled(m_page, &ObjectsPage::resultsPageEnabled);
    choosePool(0);
    QCOMPARE(resultsEnabled.count(), 0);

    clickCheckMark(1);  // the only cached object
    QCOMPARE(state(), "5 0 | off | ...xx.. FFFF");
    QCOMPARE(resultsEnabled.count(), 1);

    objects()->setFocus();
    objects()->setCurrentIndex(objects()->model()->index(3, 0));
    QTest::keyClick(objects(), Qt::Key_Space);
    QCOMPARE(state(), "5 1 | mixed | ...xxx. FFFF");
    QCOMPARE(resultsEnabled.count(), 2);

    // All cached: the box checked, "T" on all three BP1 rows, BP2's row untouched.
    for (const int row : {0, 1, 2, 4}) {
        clickCheckMark(row);
    }
    QCOMPARE(state(), "5 5 | on | xxxxxxx TFTT");
    QCOMPARE(resultsEnabled.count(), 6);
}

void ObjectsPageTest::cacheAllBoxGoesThroughItsStatesOnlyByTheUser() {
    QSignalSpy resultsEnabled(m_page, &ObjectsPage::resultsPageEnabled);
    choosePool(0);
    QCOMPARE(box()->checkState(), Qt::PartiallyChecked);

    const struct {
        const char* action;
        const char* state;
    } steps[] = {
        {"left click", "5 5 | on | xxxxxxx TFTT"},  // mixed -> checked
        {"left click", "5 0 | off | ...xx.. FFFF"}, {"right click", "5 0 | off | ...xx.. FFFF"},
        {"space", "5 5 | on | xxxxxxx TFTT"},       {"space", "5 0 | off | ...xx.. FFFF"},
    };
    for (const auto& step : steps) {
        const QByteArray action(step.action);
        if (action == "space") {
            box()->setFocus();
            QTest::keyClick(box(), Qt::Key_Space);
        } else {
            clickBox(action == "left click" ? Qt::LeftButton : Qt::RightButton);
        }
        const QString row = QStringLiteral("step %1, %2: ").arg(&step - steps + 1).arg(step.action);
        QCOMPARE(row + state(), row + step.state);
        QCOMPARE(shownObjects().filter(" *").size(), box()->checkState() == Qt::Checked ? 5 : 0);
    }
    QCOMPARE(resultsEnabled.count(), 0);  // the box leaves "View Results" as it is
}

void ObjectsPageTest::clearObjectsForgetsThePool() {
    choosePool(0);
    auto* filter = m_page->findChild<QLineEdit*>("txtObjectFilter");
    filter->setText("TS4");
    m_page->clearObjects();
    QCOMPARE(filter->text(), QString());
    QCOMPARE(objects()->model()->rowCount(), 0);
    QCOMPARE(counts(), "hidden");
    QVERIFY(pools()->selectionModel()->selectedRows().isEmpty());
    QCOMPARE(box()->checkState(), Qt::PartiallyChecked);  // kept until the next pool
    clickBox();  // with no pool chosen it changes no object and no row
    QCOMPARE(flags(), ".x.xx.. FFFF");
    choosePool(0);
    QCOMPARE(shownObjects().size(), 5);  // unfiltered

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

void ObjectsPageTest::filterHidesRowsAndNothingElse() {
    auto* filter = m_page->findChild<QLineEdit*>("txtObjectFilter");
    QCOMPARE(QAccessible::queryAccessibleInterface(filter)->text(QAccessible::Name), "Filter:");
    choosePool(0);  // BP1
    objects()->setFocus();
    QTest::keySequence(objects(), QKeySequence::Find);
    QVERIFY(filter->hasFocus());

    QTest::keyClicks(filter, "ts");
    QCOMPARE(shownObjects().size(), 5);
    QTest::keyClicks(filter, "5");
    QCOMPARE(shownObjects(), QStringList({"DBC.TS5"}));
    filter->setText("dBa.Ts");
    QCOMPARE(shownObjects(), QStringList({"DBA.TS0", "DBA.TS1 *", "DBA.TS2"}));
    QCOMPARE(counts(), "5 1");  // "Total Pool Objects" counts the pool, not the rows shown

    clickCheckMark(2);  // DBA.TS2, line 2
    QCOMPARE(state(), "5 2 | mixed | .xxxx.. FFFF");
    clickBox();  // mixed -> checked: every object of the pool, shown or not
    QCOMPARE(state(), "5 5 | on | xxxxxxx TFTT");
    filter->setText(QStringLiteral("\u20ACTS"));  // no name can hold it
    QCOMPARE(shownObjects(), QStringList());

    // Another pool empties it.
    filter->setText("TS4");
    choosePool(1);
    QCOMPARE(filter->text(), QString());
    QCOMPARE(shownObjects(), QStringList({"DBB.TS3 *", "DBB.TS4 *"}));
}

void ObjectsPageTest::modelShowsNamesAndTakesTheUsersCheckMarks() {
    // BP1 in two files: lines 0-1 and 2-3; line 2 is cached, line 3 ends before the name field.
    core::CoreTables tables;
    const std::string blanks(29, ' ');
    tables.AppendLine(blanks + "DBA.TSA");
    tables.AppendLine(blanks + "DBA.TSB  ");
    tables.AppendLine(blanks + "DBC.AVERYLONGTABLESPACENAME01XYZ", -1);
    tables.AppendLine(blanks);
    tables.lvControl = {Row(0, "BP1", 0, 1), Row(1, "BP1", 2, 3)};
    SharedObjectsModel model(tables);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy changed(&model, &SharedObjectsModel::objectCachedChanged);

    model.showPool(" bp1 ");
    QCOMPARE(model.rowCount(), 4);
    // Blanks kept, cut at 27 characters, empty when the line ends before the field.
    QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("DBA.TSB  "));
    QCOMPARE(model.index(2, 0).data().toString(), QStringLiteral("DBC.AVERYLONGTABLESPACENAME"));
    QCOMPARE(model.index(3, 0).data().toString(), QString());
    QCOMPARE(model.index(2, 0).data(SharedObjectsModel::kObjectKeyRole).toString(), "O2");
    QCOMPARE(model.index(2, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));

    QVERIFY(model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));  // no change
    QCOMPARE(tables.lstData[0].ItemData, -1);
    QCOMPARE(model.objects().cached, 2);
    QCOMPARE(changed.count(), 1);

    // Filtered, a row is still its own object: its name, its key and its check mark.
    model.setFilter(QStringLiteral("dbc"));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 0).data(SharedObjectsModel::kObjectKeyRole).toString(), "O2");
    QVERIFY(model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(tables.lstData[2].ItemData, 0);
    QCOMPARE(tables.lstData[0].ItemData, -1);
    model.showPool("BP1");
    QCOMPARE(model.rowCount(), 4);
}

}  // namespace ui

QTEST_MAIN(ui::ObjectsPageTest)
#include "objects_page_test.moc"

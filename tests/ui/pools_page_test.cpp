// The shared-pools page driven through its widgets: Add, Remove, Share All with its animation,
// the keyboard, and dragging pools between the lists with real drag and drop events; and the
// item models of its two lists.
#include "ui/pools_page.h"

#include <QAbstractItemModelTester>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "ui/animation_player.h"
#include "ui/pool_lists.h"
#include "tests/ui/scripted_seams.h"
#include "core/tables.h"
#include "tests/ui/test_tables.h"
#include "ui/typed_number_box.h"

namespace ui {
namespace {

// The arguments of every sharedPagesEnabled signal, in order.
QList<bool> Flags(const QSignalSpy& spy) {
    QList<bool> flags;
    for (const QList<QVariant>& arguments : spy) {
        flags << arguments.at(0).toBool();
    }
    return flags;
}

QString Refusal(const char* pool, const char* file) {
    return QStringLiteral(
               "Pool %1 will not be shared because it has only DSNDB07 Objects in the "
               "File: %2")
        .arg(pool, file);
}

}  // namespace

class PoolsPageTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void numberBoxesKeepWhatIsTyped_data();
    void numberBoxesKeepWhatIsTyped();
    void addSharesTheSelectedPoolOrShowsItsRefusal();
    void keyboardAndDoubleClickMovePoolsBothWays();
    void shareAllSharesInListOrderAndReportsEachRefusal();  // with the animation
    void dropMovesPoolsOnlyFromTheOtherList_data();
    void dropMovesPoolsOnlyFromTheOtherList();
    void dragStartsOnlyFromAPressOnAnEntry_data();
    void dragStartsOnlyFromAPressOnAnEntry();
    void listModelsShowNamesAsTheyAreAndCountsWhole();

private:
    QListView* pools() const { return m_page->findChild<QListView*>("lstPools"); }
    QTreeView* shared() const { return m_page->sharedPoolsView(); }
    // The available pools, then the shared ones: "BP0 BP1 | BP2".
    QString lists() const {
        return Texts(pools()->model()).join(' ') + " | " + Texts(shared()->model()).join(' ');
    }
    void click(const char* buttonName) { ClickButton(m_page, buttonName); }

    core::CoreTables m_tables;
    RecordingMessageSink m_messages;
    PoolsPage* m_page = nullptr;
    int m_dragsStarted = 0;  // by the drag runner, which records instead of running them
    QString m_dragSource;
};

void PoolsPageTest::init() {
    // Three pools in two files: BP0 with 2 objects; BP1 whose objects in the first file are all
    // DSNDB07 work files; BP2 with 3 objects in the first file and 2 in the second. Line 10 is
    // left for a pool a test adds.
    m_tables = core::CoreTables();
    m_tables.lstSelectedFiles = {"/data/day1.sta", "/data/day2.sta"};
    for (int i = 0; i < 11; ++i) {
        m_tables.AppendLine("object line");
    }
    m_tables.lvControl = {Row(0, "BP0", 0, 1), Row(0, "BP1", 2, 3, 2), Row(0, "BP2", 4, 6),
                          Row(1, "BP1", 7, 7), Row(1, "BP2", 8, 9)};
    m_tables.lstPools = {"BP0", "BP1", "BP2"};
    m_messages.messages.clear();
    m_dragsStarted = 0;
    m_dragSource.clear();
    m_page = new PoolsPage(m_tables, m_messages, QStringLiteral(LOOMSTEAD_CLIP_PATH));
    m_page->setDragRunner([this](QDrag& drag) {
        ++m_dragsStarted;
        m_dragSource = QString::fromUtf8(drag.mimeData()->data(PoolsPage::kPoolDragMimeType));
        drag.deleteLater();
    });
    m_page->reloadFromTables();
    // Every change of the lists reaches their views as Qt's checks of a model expect.
    for (QAbstractItemModel* model : {pools()->model(), shared()->model()}) {
        new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     model);
    }
    m_page->resize(640, 400);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page));
}

void PoolsPageTest::cleanup() {
    delete m_page;
    m_page = nullptr;
}

void PoolsPageTest::numberBoxesKeepWhatIsTyped_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");  // pressed after typing; 0 for none
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("line");  // beside the box; empty while the text is valid

    const QString members = "Enter a whole number from 1 to 32";
    const QString ecsa = "Enter a number from 0 to 9999, with at most two decimals";
    // clang-format off
    QTest::newRow("ECSA with a decimal") << "txtECSASize" << "4.5" << 0 << "4.5" << "";
    QTest::newRow("ECSA past 9999") << "txtECSASize" << "10000" << 0 << "10000" << ecsa;
    QTest::newRow("members negative") << "txtSharedDB2" << "-3" << 0 << "-3" << members;
    QTest::newRow("members with blanks") << "txtSharedDB2" << " 7 " << 0 << " 7 " << "";
    QTest::newRow("Up keeps the decimals") << "txtECSASize" << "4.5" << int(Qt::Key_Up) << "5.5" << "";
    QTest::newRow("Down stops at 1") << "txtSharedDB2" << "1" << int(Qt::Key_Down) << "1" << "";
    QTest::newRow("refused text does not step")
        << "txtSharedDB2" << "2x" << int(Qt::Key_Up) << "2x" << members;
    // clang-format on
}

void PoolsPageTest::numberBoxesKeepWhatIsTyped() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(QString, shown);
    QFETCH(QString, line);

    QCOMPARE(m_page->membersText() + ' ' + m_page->ecsaText(), "1 4");  // the defaults
    auto* field = m_page->findChild<QAbstractSpinBox*>(box);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, typed);
    if (key != 0) {
        QTest::keyClick(field, static_cast<Qt::Key>(key));
    }
    QTest::keyClick(field, Qt::Key_Tab);  // leaving the box changes nothing either
    QCOMPARE(box == "txtECSASize" ? m_page->ecsaText() : m_page->membersText(), shown);
    const auto* range =
        m_page->findChild<QLabel*>(box == "txtECSASize" ? "lblECSASizeRange" : "lblSharedDB2Range");
    QCOMPARE(range->text(), line);
    QCOMPARE(m_page->firstInvalidNumber() == field, !line.isEmpty());
}

void PoolsPageTest::addSharesTheSelectedPoolOrShowsItsRefusal() {
    QSignalSpy enabled(m_page, &PoolsPage::sharedPagesEnabled);
    ClickRow(pools(), 2);
    click("cmdAddPool");
    QCOMPARE(lists(), "BP0 BP1 | BP2");
    QCOMPARE(Texts(shared()->model(), 1), QStringList({"5"}));

    // The pool now in that place is selected, so Add goes on with the next one: BP1, refused.
    click("cmdAddPool");
    QCOMPARE(m_messages.messages.size(), 1);
    const RecordedMessage& message = m_messages.messages.first();
    QCOMPARE(message.icon, MessageIcon::kInformation);
    QCOMPARE(message.title, QStringLiteral("Warning - Select Shared Pools"));
    QCOMPARE(message.text, Refusal("BP1", "/data/day1.sta"));
    QCOMPARE(lists(), "BP0 BP1 | BP2");

    // With nothing selected nothing moves, and the pages are enabled all the same.
    pools()->selectionModel()->clearSelection();
    click("cmdAddPool");
    QCOMPARE(lists(), "BP0 BP1 | BP2");
    QCOMPARE(m_messages.messages.size(), 1);
    QCOMPARE(Flags(enabled), QList<bool>({true, true, true}));
}

void PoolsPageTest::keyboardAndDoubleClickMovePoolsBothWays() {
    m_page->activateWindow();  // shortcuts act in the active window only
    QVERIFY(QTest::qWaitForWindowActive(m_page));
    QSignalSpy enabled(m_page, &PoolsPage::sharedPagesEnabled);
    pools()->setFocus();
    QTest::keyClick(pools(), Qt::Key_Space);  // selects the entry with the focus, BP0
    QTest::keyClick(pools(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(lists(), "BP1 BP2 | BP0");

    // A double click reaches a widget as a click followed by a double-click event.
    ClickRow(pools(), 1);
    QTest::mouseDClick(pools()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       pools()->visualRect(pools()->model()->index(1, 0)).center());
    QCOMPARE(lists(), "BP1 | BP0 BP2");

    shared()->setFocus();  // on BP2, the pool shared last
    QTest::keyClick(shared(), Qt::Key_Up);
    QTest::keyClick(shared(), Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(lists(), "BP0 BP1 | BP2");

    // Only the removal of the last shared pool disables the pages; Remove on the empty list
    // repeats the check.
    ClickRow(shared(), 0);
    click("cmdRemovePool");
    QCOMPARE(lists(), "BP0 BP1 BP2 | ");
    click("cmdRemovePool");
    QCOMPARE(Flags(enabled), QList<bool>({true, true, false, false}));
}

// Watches the animation control paint while Share All runs.
class PaintWatcher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* player = static_cast<AnimationPlayer*>(watched);
            paintedWhilePlaying = paintedWhilePlaying || player->isPlaying();
            framesWhilePainting = player->frameCount();
        }
        return false;
    }
    bool paintedWhilePlaying = false;
    int framesWhilePainting = 0;
};

void PoolsPageTest::shareAllSharesInListOrderAndReportsEachRefusal() {
    m_tables.lstPools.push_back("BP3");  // no pool row at all: nothing moves, no message
    m_tables.lvControl.push_back(Row(1, "BP4", 10, 10, 1));
    m_tables.lstPools.push_back("BP4");
    m_page->reloadFromTables();
    QSignalSpy enabled(m_page, &PoolsPage::sharedPagesEnabled);
    // The animation plays while Share All works, and only then.
    auto* animation = m_page->findChild<AnimationPlayer*>("anbDelay");
    QVERIFY(!animation->isVisible());
    PaintWatcher watcher;
    animation->installEventFilter(&watcher);

    click("cmdShareAllPools");
    QVERIFY(watcher.paintedWhilePlaying);
    QCOMPARE(watcher.framesWhilePainting, 20);
    QVERIFY(!animation->isVisible() && !animation->isPlaying());
    QCOMPARE(lists(), "BP1 BP3 BP4 | BP0 BP2");
    QCOMPARE(Texts(shared()->model(), 1), QStringList({"2", "5"}));
    QCOMPARE(m_messages.messages.size(), 2);
    QCOMPARE(m_messages.messages.at(0).text, Refusal("BP1", "/data/day1.sta"));
    QCOMPARE(m_messages.messages.at(1).text, Refusal("BP4", "/data/day2.sta"));

    // Nothing left to share: no message, the pages are enabled all the same.
    m_tables.lstPools.clear();
    m_page->reloadFromTables();
    click("cmdShareAllPools");
    QCOMPARE(m_messages.messages.size(), 2);
    QCOMPARE(Flags(enabled), QList<bool>({true, true}));
}

void PoolsPageTest::dropMovesPoolsOnlyFromTheOtherList_data() {
    QTest::addColumn<QString>("pressedList");
    QTest::addColumn<QString>("droppedOn");
    QTest::addColumn<QString>("carried");  // the list name the drag carries
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("after");  // see lists()

    // Before each row BP2 is shared and BP0 (row 0 of both lists) is pressed on.
    const QString unchanged = "BP0 BP1 | BP2";
    // clang-format off
    QTest::newRow("available pool dropped on the shared pools is shared")
        << "lstPools" << "lvSharedPools" << "lstPools" << true << "BP1 | BP2 BP0";
    QTest::newRow("shared pool dropped on all pools is returned")
        << "lvSharedPools" << "lstPools" << "lvSharedPools" << true << "BP0 BP1 BP2 | ";
    QTest::newRow("dropped back on the list it came from")
        << "lstPools" << "lstPools" << "lstPools" << false << unchanged;
    QTest::newRow("from a list of another name")
        << "lstPools" << "lvSharedPools" << "lstFiles" << false << unchanged;
    QTest::newRow("not armed: the last press was a right-button press")
        << "" << "lvSharedPools" << "lstPools" << false << unchanged;
    // clang-format on
}

void PoolsPageTest::dropMovesPoolsOnlyFromTheOtherList() {
    QFETCH(QString, pressedList);
    QFETCH(QString, droppedOn);
    QFETCH(QString, carried);
    QFETCH(bool, accepted);
    QFETCH(QString, after);

    ClickRow(pools(), 2);
    click("cmdAddPool");
    QCOMPARE(lists(), "BP0 BP1 | BP2");
    if (pressedList.isEmpty()) {
        // A left press off the entries disarms; a right press on one does not arm.
        QTest::mouseClick(pools()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, pools()->viewport()->height() - 5));
        ClickRow(pools(), 0, Qt::RightButton);
        QVERIFY(!m_page->poolDragArmed());
    } else {
        ClickRow(m_page->findChild<QAbstractItemView*>(pressedList), 0);
        QVERIFY(m_page->poolDragArmed());
    }

    auto* target = m_page->findChild<QAbstractItemView*>(droppedOn);
    QMimeData data;
    data.setData(PoolsPage::kPoolDragMimeType, carried.toUtf8());
    const QPoint at = target->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target->viewport(), &enter);
    QCOMPARE(enter.isAccepted(), accepted);
    QDropEvent drop(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target->viewport(), &drop);
    QCOMPARE(drop.isAccepted(), accepted);
    QCoreApplication::processEvents();  // the move runs once the drop is over

    QCOMPARE(lists(), after);
    QVERIFY(m_messages.messages.isEmpty());
}

void PoolsPageTest::dragStartsOnlyFromAPressOnAnEntry_data() {
    QTest::addColumn<bool>("onEntry");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("distance");
    QTest::addColumn<bool>("doubleClick");  // the press is the second of a double click
    QTest::addColumn<int>("dragsStarted");

    const int far = QApplication::startDragDistance() * 3;
    const int left = Qt::LeftButton;
    QTest::newRow("left press on an entry, moved away") << true << left << far << false << 1;
    QTest::newRow("left press on an entry, barely moved") << true << left << 1 << false << 0;
    QTest::newRow("left press off the entries") << false << left << far << false << 0;
    QTest::newRow("right press on an entry") << true << int(Qt::RightButton) << far << false << 0;
    QTest::newRow("double click, then moved away") << true << left << far << true << 0;
}

void PoolsPageTest::dragStartsOnlyFromAPressOnAnEntry() {
    QFETCH(bool, onEntry);
    QFETCH(int, button);
    QFETCH(int, distance);
    QFETCH(bool, doubleClick);
    QFETCH(int, dragsStarted);

    QWidget* viewport = pools()->viewport();
    const QPoint start = onEntry ? pools()->visualRect(pools()->model()->index(0, 0)).center()
                                 : QPoint(10, viewport->height() - 10);
    const auto mouseButton = static_cast<Qt::MouseButton>(button);
    QTest::mousePress(viewport, mouseButton, Qt::NoModifier, start);
    if (doubleClick) {
        QTest::mouseRelease(viewport, mouseButton, Qt::NoModifier, start);
        QTest::mouseDClick(viewport, mouseButton, Qt::NoModifier, start);
    }
    const QPoint end = start + QPoint(distance, 0);
    QMouseEvent move(QEvent::MouseMove, end, viewport->mapToGlobal(end), Qt::NoButton, mouseButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, mouseButton, Qt::NoModifier, end);
    QCOMPARE(m_dragsStarted, dragsStarted);
    QCOMPARE(Texts(shared()->model()).size(), doubleClick ? 1 : 0);  // BP0, double-clicked
    QCOMPARE(m_dragSource, dragsStarted > 0 ? "lstPools" : "");
}

void PoolsPageTest::listModelsShowNamesAsTheyAreAndCountsWhole() {
    const std::vector<std::string> names = {"BP0", "bp1"};
    const std::vector<core::SharedPoolEntry> shared = {{"BP16K1", 40000}};
    PoolNamesModel namesModel(names);
    SharedPoolsModel sharedModel(shared);
    QCOMPARE(Texts(&namesModel), QStringList({"BP0", "bp1"}));
    QCOMPARE(Texts(&sharedModel, 1), QStringList({"40000"}));
    QVERIFY(sharedModel.index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
}

}  // namespace ui

QTEST_MAIN(ui::PoolsPageTest)
#include "pools_page_test.moc"

// The main window's layout on a 1600x1000 screen (offscreen, configured in CMakeLists.txt): where
// it first opens, what it keeps from one run to the next, no widget drawn over another at 800x600,
// 1280x900 and maximized, and room to read the What If charts and the Why panel.
#include <QChart>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <functional>

#include "tests/ui/scripted_seams.h"
#include "tests/ui/test_tables.h"
#include "ui/cfrm_dialog.h"
#include "ui/main_window.h"
#include "ui/what_if_page.h"
#include "ui/window_layout.h"

using ui::MainWindow;

namespace {

// Pairs of visible siblings whose rectangles overlap, under `parent`, as "a / b" by object name
// or class. The pages of a stacked widget take turns in one place, and the Share All
// animation plays over the lists on purpose.
QStringList Overlaps(const QWidget& parent) {
    QStringList overlaps;
    QList<const QWidget*> shown;
    for (const QObject* object : parent.children()) {
        const auto* child = qobject_cast<const QWidget*>(object);
        if (child && !child->isWindow() && child->isVisible()) {
            shown.append(child);
        }
    }
    const auto name = [](const QWidget* w) {
        return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                         : w->objectName();
    };
    const bool takesTurns = qobject_cast<const QStackedWidget*>(&parent) != nullptr;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        for (qsizetype j = i + 1; j < shown.size() && !takesTurns; ++j) {
            const bool animation =
                shown[i]->objectName() == "anbDelay" || shown[j]->objectName() == "anbDelay";
            if (!animation && shown[i]->geometry().intersects(shown[j]->geometry())) {
                overlaps << name(&parent) + ": " + name(shown[i]) + " / " + name(shown[j]);
            }
        }
        overlaps += Overlaps(*shown[i]);
    }
    return overlaps;
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_window.reset(); }
    void firstGeometryIsMostOfTheScreenWithinBounds();
    void windowOpensCentredAndKeepsItsLayoutBetweenRuns();
    void noWidgetOverlapsASiblingAtAnySize_data();
    // At the working size, 1280x900, the What If charts and the Why panel also get room; at
    // every size, results columns stored wider keep every column in view.
    void noWidgetOverlapsASiblingAtAnySize();

private:
    void start();
    // Loads both samples, shares every pool and shows the What If page's sweep.
    void reachWhatIf();
    // Closes the window, runs `whileClosed`, and starts the program again.
    void restart(const std::function<void()>& whileClosed = [] {});
    QTabWidget* pages() const { return m_window->findChild<QTabWidget*>("tbsMain"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ui::RecordingMessageSink> m_messages;
    std::unique_ptr<ui::ScriptedFileChooser> m_chooser;
    std::unique_ptr<MainWindow> m_window;
};

void LayoutTest::init() {
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1600, 1000));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
    m_messages = std::make_unique<ui::RecordingMessageSink>();
    m_chooser = std::make_unique<ui::ScriptedFileChooser>();
}

void LayoutTest::start() {
    const int asked = m_chooser->requests + 1;  // the first showing asks for a file
    m_window = std::make_unique<MainWindow>(*m_messages, *m_chooser, QString());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTRY_COMPARE(m_chooser->requests, asked);
}

void LayoutTest::reachWhatIf() {
    m_chooser->willChoose(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    m_chooser->willChoose(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1b.sim"));
    ui::ClickButton(m_window.get(), QStringLiteral("cmdAdd"));
    ui::ClickButton(m_window.get(), QStringLiteral("cmdAdd"));
    pages()->setCurrentIndex(MainWindow::kPoolsPage);
    ui::ClickButton(m_window.get(), QStringLiteral("cmdShareAllPools"));
    QTRY_VERIFY(pages()->isTabEnabled(MainWindow::kWhatIfPage));
    QSignalSpy shown(m_window->findChild<ui::WhatIfPage*>(), &ui::WhatIfPage::sweepShown);
    pages()->setCurrentIndex(MainWindow::kWhatIfPage);
    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, 20000);
}

void LayoutTest::restart(const std::function<void()>& whileClosed) {
    m_window->close();
    QVERIFY(!m_window->isVisible());
    m_window.reset();
    whileClosed();
    start();
}

void LayoutTest::firstGeometryIsMostOfTheScreenWithinBounds() {
    const std::tuple<const char*, QRect, QRect> cases[] = {
        {"1920x1200: at most 1280x900", {0, 0, 1920, 1200}, {320, 150, 1280, 900}},
        {"1024x768: at least 820x620", {0, 0, 1024, 768}, {102, 74, 820, 620}},
        {"800x600: never past the screen", {0, 0, 800, 600}, {0, 0, 800, 600}},
        {"second screen, panel on top", {1600, 30, 1600, 970}, {1760, 127, 1280, 776}},
    };
    for (const auto& [name, available, expected] : cases) {
        QVERIFY2(ui::FirstRunGeometry(available) == expected, name);
    }
}

void LayoutTest::windowOpensCentredAndKeepsItsLayoutBetweenRuns() {
    start();
    QCOMPARE(m_window->geometry(), QRect(160, 100, 1280, 800));

    // A place on a second screen that is gone now opens on the screen.
    m_window->setGeometry(2400, 1300, 900, 700);
    restart();
    QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(
        m_window->frameGeometry().center()));
    m_window->setGeometry(200, 150, 1000, 700);
    auto* splitter = m_window->findChild<QSplitter*>("splResults");
    QVERIFY(splitter);
    pages()->setTabEnabled(MainWindow::kResultsPage, true);
    pages()->setCurrentIndex(MainWindow::kResultsPage);
    splitter->setSizes({150, 350});
    const QList<int> sizes = splitter->sizes();
    restart();
    QCOMPARE(m_window->geometry(), QRect(200, 150, 1000, 700));
    pages()->setTabEnabled(MainWindow::kResultsPage, true);
    pages()->setCurrentIndex(MainWindow::kResultsPage);
    QCOMPARE(m_window->findChild<QSplitter*>("splResults")->sizes(), sizes);
    QSettings store(m_dir->filePath("Loomkeep/Loomkeep.conf"), QSettings::IniFormat);
    QVERIFY(store.contains("Window/splitter-splWhatIf"));

    // A damaged store: the first-run geometry.
    restart([&] {
        store.setValue("Window/geometry", QByteArray("not a geometry"));
        store.sync();
    });
    QCOMPARE(m_window->geometry(), QRect(160, 100, 1280, 800));
    m_window->showMaximized();
    QTRY_VERIFY(m_window->isMaximized());
    restart();
    QTRY_VERIFY(m_window->isMaximized());
}

void LayoutTest::noWidgetOverlapsASiblingAtAnySize_data() {
    QTest::addColumn<QSize>("size");  // empty: maximized
    QTest::newRow("800x600") << QSize(800, 600);
    QTest::newRow("1280x900") << QSize(1280, 900);
    QTest::newRow("maximized at 1600x1000") << QSize();
}

void LayoutTest::noWidgetOverlapsASiblingAtAnySize() {
    QFETCH(QSize, size);
    // Widths saved in a maximized window.
    QSettings store(m_dir->filePath("Loomkeep/Loomkeep.conf"), QSettings::IniFormat);
    store.setValue("Layout/lvResults", "400,250,250,250,250,250");
    store.sync();
    start();
    if (size.isEmpty()) {
        m_window->showMaximized();
        QTRY_VERIFY(m_window->isMaximized() && m_window->width() > 1500);
    } else {
        m_window->resize(size);
    }
    reachWhatIf();
    const QSize shown = m_window->size();
    QVERIFY(size.isEmpty() || shown == size);
    if (size == QSize(1280, 900)) {
        auto* whatIf = m_window->findChild<ui::WhatIfPage*>();
        QTest::qWait(50);
        for (QChart* chart : {whatIf->chart(), whatIf->ratioChart()}) {
            QVERIFY2(chart->plotArea().height() >= 300,
                     qPrintable(QString::number(chart->plotArea().height())));
        }
    }
    for (int page = 0; page < pages()->count(); ++page) {
        pages()->setCurrentIndex(page);
        QTest::qWait(50);
        QCOMPARE(m_window->size(), shown);
        QCOMPARE(Overlaps(*m_window).join("; "), QString());
    }
    pages()->setCurrentIndex(MainWindow::kResultsPage);
    QTest::qWait(50);
    auto* view = m_window->findChild<QTreeView*>("lvResults");
    const QHeaderView* header = view->header();
    for (int column = 0; column < header->count(); ++column) {
        QVERIFY2(header->sectionViewportPosition(column) + header->sectionSize(column) <=
                         view->viewport()->width() &&
                     header->sectionSize(column) >= header->sectionSizeHint(column) / 2,
                 qPrintable(QString::number(column)));
    }
    if (size == QSize(1280, 900)) {
        auto* why = m_window->findChild<QAbstractScrollArea*>("txtWhy");
        const int lines = why->viewport()->height() / why->fontMetrics().lineSpacing();
        QVERIFY2(lines >= 15, qPrintable(QString::number(lines)));
    }
    ui::ClickButton(m_window.get(), QStringLiteral("cmdCfrmPolicy"));
    auto* policy = m_window->findChild<ui::CfrmDialog*>();
    QTRY_VERIFY(policy && policy->isVisible());
    // Facilities make the fit check speak, several lines of it.
    QTest::keyClicks(policy->findChild<QLineEdit*>("txtGroup"), "DSNDB0G");
    QTest::keyClicks(policy->findChild<QLineEdit*>("txtFacilities"), "CF01, CF02");
    QTest::qWait(50);
    QVERIFY(!policy->findChild<QLabel*>("lblPolicyStatus")->text().isEmpty());
    QCOMPARE(Overlaps(*policy).join("; "), QString());
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"

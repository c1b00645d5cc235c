// Start-up: the title window hands over to the main window, which asks for a file at once.
#include "title_window.h"

#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "main_window.h"
#include "scripted_seams.h"

class TitleWindowTest : public QObject {
    Q_OBJECT

private slots:
    void handsOverToTheMainWindowOnce();
};

void TitleWindowTest::handsOverToTheMainWindowOnce() {
    QTemporaryDir settingsDir;
    QVERIFY(settingsDir.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settingsDir.path()));
    ui::RecordingMessageSink messages;
    ui::ScriptedFileChooser chooser;
    chooser.willCancel();
    std::unique_ptr<ui::MainWindow> mainWindow;
    int created = 0;
    ui::TitleWindow title([&]() -> QWidget* {
        ++created;
        mainWindow = std::make_unique<ui::MainWindow>(messages, chooser, QString());
        return mainWindow.get();
    });
    QCOMPARE(title.windowTitle(), "Loomstead ");
    QVERIFY(!title.accessibleName().isEmpty());
    title.show();
    QCOMPARE(created, 0);

    QTRY_VERIFY(mainWindow && mainWindow->isVisible());
    QTRY_VERIFY(!title.isVisible());
    QTRY_COMPARE(chooser.requests, 1);
    QTest::qWait(60);
    QCOMPARE(created, 1);
    QCOMPARE(chooser.requests, 1);
    QCOMPARE(mainWindow->windowTitle(), "Loomstead");
    const auto* pages = mainWindow->findChild<QTabWidget*>(QStringLiteral("tbsMain"));
    QVERIFY(pages);
    QCOMPARE(pages->currentIndex(), 0);
    QVERIFY(!pages->isTabEnabled(1));  // the dialog at start-up was cancelled
    QVERIFY(messages.messages.isEmpty());
}

QTEST_MAIN(TitleWindowTest)
#include "title_window_test.moc"

// Start-up: the title window hands over to the main window, which asks for a file at once.
#include "title_window.h"

#include <QLabel>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "main_window.h"
#include "scripted_seams.h"

class TitleWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void showsTheProductCaptions();
    void handsOverToTheMainWindowOnce();

private:
    QTemporaryDir m_settingsDir;
};

void TitleWindowTest::initTestCase() {
    QVERIFY(m_settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
}

void TitleWindowTest::showsTheProductCaptions() {
    ui::TitleWindow title([] { return nullptr; });
    QCOMPARE(title.objectName(), "frmTitle");
    QCOMPARE(title.windowTitle(), "Loomstead ");
    QStringList captions;
    for (const QLabel* label : title.findChildren<QLabel*>()) {
        captions.append(label->text());
    }
    for (const char* caption : {"Loomstead Sizing", "TM", "for", "D B 2", "Version 2.0"}) {
        QVERIFY2(captions.contains(QString::fromLatin1(caption)), caption);
    }
    const auto* timer = title.findChild<QTimer*>(QStringLiteral("tmrTimer"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 20);
    QVERIFY(timer->isSingleShot());
    QVERIFY(!timer->isActive());  // runs from the moment the window opens
}

void TitleWindowTest::handsOverToTheMainWindowOnce() {
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
    title.show();
    QVERIFY(title.isVisible());

    QTRY_VERIFY(mainWindow && mainWindow->isVisible());
    QTRY_VERIFY(!title.isVisible());
    QTRY_COMPARE(chooser.requests, 1);
    QTest::qWait(60);
    QCOMPARE(created, 1);
    QCOMPARE(chooser.requests, 1);

    QCOMPARE(mainWindow->objectName(), "frmSelectFiles");
    QCOMPARE(mainWindow->windowTitle(), "Loomstead");
    const auto* pages = mainWindow->findChild<QTabWidget*>(QStringLiteral("tbsMain"));
    QVERIFY(pages);
    QCOMPARE(pages->currentIndex(), 0);
    QVERIFY(!pages->isTabEnabled(1));  // the dialog at start-up was cancelled
    QVERIFY(messages.messages.isEmpty());
}

QTEST_MAIN(TitleWindowTest)
#include "title_window_test.moc"

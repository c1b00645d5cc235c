// The main window's frame around the pages, driven by keys, menus and drops: the File and Help
// menus, plans and files from the command line and from a drop, Open Recent, and the question
// before unsaved choices are lost.
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

#include "main_window.h"
#include "plan.h"
#include "plan_account_dialog.h"
#include "recent_files.h"
#include "scripted_seams.h"
#include "tables.h"
#include "test_tables.h"

using ui::MainWindow;

struct UnreadAccounts : ui::PlanAccountSink {
    void showAccount(const QString&, const core::PlanAccount&) override {}
};

class MainWindowMenuTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addFilesAndHelpRunFromTheKeyboard();
    void pathsOpenByKind_data();
    void pathsOpenByKind();
    void recentEntryOfAGoneFileIsTakenOff();
    void planIsSavedMarkedAskedForAndOpenedFromTheCommandLine();

private:
    void start(const QStringList& startPaths = {});
    QString writeFile(const QString& name);
    QStringList listedFiles() const;
    QMenu* openMenu(Qt::Key mnemonic);
    QAbstractSpinBox* bumpMembers();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ui::RecordingMessageSink> m_messages;
    std::unique_ptr<ui::ScriptedFileChooser> m_chooser;
    std::unique_ptr<MainWindow> m_window;
    UnreadAccounts m_accounts;
};

void MainWindowMenuTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       m_dir->filePath(QStringLiteral("settings")));
    m_messages = std::make_unique<ui::RecordingMessageSink>();
    m_chooser = std::make_unique<ui::ScriptedFileChooser>();
}

void MainWindowMenuTest::cleanup() { m_window.reset(); }

// Without start paths the opening dialog comes and the user cancels it.
void MainWindowMenuTest::start(const QStringList& startPaths) {
    m_window = std::make_unique<MainWindow>(*m_messages, *m_chooser, QString());
    m_window->setPlanAccountSink(m_accounts);
    m_window->openAtStart(startPaths);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::qWait(20);  // the first showing's queued work
}

QString MainWindowMenuTest::writeFile(const QString& name) {
    QFile file(m_dir->filePath(name));
    if (file.open(QIODevice::WriteOnly)) {
        file.write("LOOMSTEAD STATISTICS ENV=TEST\r\n");
    }
    return file.fileName();
}

QStringList MainWindowMenuTest::listedFiles() const {
    QStringList paths;
    const auto* list = m_window->findChild<QListWidget*>(QStringLiteral("lstSelectedFiles"));
    for (int i = 0; i < list->count(); ++i) {
        paths.append(QFileInfo(list->item(i)->text()).fileName());
    }
    return paths;
}

// Alt plus the menu's underlined letter, as the user opens it.
QMenu* MainWindowMenuTest::openMenu(Qt::Key mnemonic) {
    QTest::keyClick(m_window.get(), mnemonic, Qt::AltModifier);
    if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; })) {
        return nullptr;
    }
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// One more member, typed as the user would: the choices now differ from the plan's.
QAbstractSpinBox* MainWindowMenuTest::bumpMembers() {
    auto* members = m_window->findChild<QAbstractSpinBox*>(QStringLiteral("txtSharedDB2"));
    members->setFocus();
    QTest::keyClick(members, Qt::Key_Up);
    return members;
}

void MainWindowMenuTest::addFilesAndHelpRunFromTheKeyboard() {
    start();
    const QString a = writeFile("a.sta");
    const QString b = writeFile("b.sim");
    m_chooser->manyAnswers.enqueue({a, b});
    QMenu* file = openMenu(Qt::Key_F);
    QVERIFY(file);
    QTest::keyClick(file, Qt::Key_D);  // A&dd Files...
    QTRY_COMPARE(listedFiles(), QStringList({"a.sta", "b.sim"}));
    QCOMPARE(settings::RecentFilesStore().files(), QStringList({b, a}));
    m_messages->saveAnswer = ui::SaveAnswer::kCancel;
    QVERIFY(!m_window->close());
    QCOMPARE(m_messages->questions.constLast().text,
             "Your choices have not been saved as a plan. Save them?");

    QTest::keyClick(m_window.get(), Qt::Key_F1);
    auto* manual = m_window->findChild<QTextBrowser*>(QStringLiteral("txtManual"));
    QVERIFY(manual && manual->isVisible());
    QVERIFY(manual->toPlainText().startsWith(QStringLiteral("Using Loomstead")));
}

void MainWindowMenuTest::pathsOpenByKind_data() {
    QTest::addColumn<bool>("dropped");  // else named on the command line
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("detail");
    const QString folder =
        QStringLiteral("%1folder: is a folder; add the statistics files inside it instead");
    // Relative names on the command line are read from the folder the program started in.
    QTest::newRow("command line") << false << QStringList{"b.sim", "folder", "a.sta", "gone.sta"}
                                  << QStringList{"b.sim", "a.sta"}
                                  << folder + "\n%1gone.sta: does not exist";
    QTest::newRow("drop: any regular file is data, a folder is not")
        << true << QStringList{"folder", "a.sta", "notes.txt"} << QStringList{"a.sta", "notes.txt"}
        << folder;
    // Each plan names plan.sta; a file beside it is added to the plan's.
    QTest::newRow("drop: a plan and a file") << true << QStringList{"b.loomplan", "a.sta"}
                                             << QStringList{"plan.sta", "a.sta"} << QString();
    QTest::newRow("command line: two plans")
        << false << QStringList{"b.loomplan", "c.loomplan"} << QStringList{"plan.sta"}
        << QStringLiteral("%1c.loomplan: is a second plan; one plan is opened at a time");
}

void MainWindowMenuTest::pathsOpenByKind() {
    QFETCH(bool, dropped);
    QFETCH(QStringList, names);
    QFETCH(QStringList, listed);
    QFETCH(QString, detail);
    QDir(m_dir->path()).mkdir(QStringLiteral("folder"));
    QList<QUrl> urls;
    for (const QString& name : names) {
        if (name.endsWith(QLatin1String(".loomplan"))) {
            core::Plan plan;
            plan.files.push_back({writeFile("plan.sta").toStdString(), 0, 0, {}});
            QVERIFY(!core::WritePlanFile(m_dir->filePath(name).toStdString(), plan));
        } else if (name != QLatin1String("folder") && name != QLatin1String("gone.sta")) {
            writeFile(name);
        }
        urls.append(QUrl::fromLocalFile(m_dir->filePath(name)));
    }
    const QString startFolder = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    start(dropped ? QStringList{} : names);
    QDir::setCurrent(startFolder);
    QCOMPARE(m_chooser->requests, dropped ? 1 : 0);

    if (dropped) {  // on the file list, which takes no drops itself: the window does
        QMimeData data;
        data.setUrls(urls);
        QWidget* target =
            m_window->findChild<QListWidget*>(QStringLiteral("lstSelectedFiles"))->viewport();
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        for (QDropEvent* event :
             {static_cast<QDropEvent*>(&enter), static_cast<QDropEvent*>(&move), &drop}) {
            QApplication::sendEvent(target, event);
            QVERIFY(event->isAccepted());
        }
    }
    QTRY_COMPARE(listedFiles(), listed);
    QCOMPARE(m_messages->messages.size(), detail.isEmpty() ? 0 : 1);
    if (!detail.isEmpty()) {
        QCOMPARE(m_messages->messages[0].text, "Some files could not be opened.");
        QCOMPARE(m_messages->messages[0].detail,
                 detail.arg(QDir::toNativeSeparators(m_dir->path() + u'/')));
    }
}

void MainWindowMenuTest::recentEntryOfAGoneFileIsTakenOff() {
    const QString kept = writeFile("kept.sta");
    const QString gone = m_dir->filePath(QStringLiteral("gone.sta"));
    settings::RecentFilesStore recent;
    for (int i = 0; i < 12; ++i) {  // the menu keeps ten
        recent.add(QString::number(i));
    }
    recent.add(kept);
    recent.add(gone);
    QCOMPARE(recent.files().size(), 10);
    start();
    for (int i = 0; i < 2; ++i) {  // the newest entry: gone.sta, then kept.sta
        QMenu* file = openMenu(Qt::Key_F);
        QTest::keyClick(file, Qt::Key_R);  // Open &Recent
        QTRY_VERIFY(QApplication::activePopupWidget() != file);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_1);
    }
    QTRY_COMPARE(listedFiles(), QStringList({"kept.sta"}));
    QCOMPARE(recent.files().mid(0, 2), QStringList({kept, "11"}));
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages[0].title, "Open Recent");
    QCOMPARE(m_messages->messages[0].text,
             QDir::toNativeSeparators(gone) +
                 " no longer exists. It has been taken off the recent files.");
}

void MainWindowMenuTest::planIsSavedMarkedAskedForAndOpenedFromTheCommandLine() {
    const QString data = m_dir->filePath(QStringLiteral("db1a.sta"));
    QVERIFY(QFile::copy(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"), data));
    start({data});
    auto* pages = m_window->findChild<QTabWidget*>(QStringLiteral("tbsMain"));
    pages->setCurrentIndex(1);  // reads the file
    auto* pools = m_window->findChild<QAbstractItemView*>(QStringLiteral("lstPools"));
    ui::ClickRow(pools, 0);  // a double click is a click, then the double-click event
    QTest::mouseDClick(pools->viewport(), Qt::LeftButton, Qt::NoModifier,
                       pools->visualRect(pools->model()->index(0, 0)).center());
    QCOMPARE(m_window->tables().lvSharedPools.size(), size_t{1});
    QVERIFY(m_window->hasUnsavedChanges());

    // Save asks where the first time; the name gets the plan's ending.
    m_chooser->planAnswers.enqueue(m_dir->filePath(QStringLiteral("march")));
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    const QString plan = m_dir->filePath(QStringLiteral("march.loomplan"));
    QVERIFY(QFileInfo::exists(plan));
    QCOMPARE(m_window->windowTitle(), "march.loomplan - Loomstead");
    QCOMPARE(settings::RecentFilesStore().files().first(), plan);

    bumpMembers();
    QCOMPARE(m_window->windowTitle(), "march.loomplan* - Loomstead");

    // Quitting asks; Cancel keeps the window, Save writes to the plan open without asking where.
    for (ui::SaveAnswer answer : {ui::SaveAnswer::kCancel, ui::SaveAnswer::kSave}) {
        m_messages->saveAnswer = answer;
        QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(m_window->isVisible(), answer == ui::SaveAnswer::kCancel);
    }
    QCOMPARE(m_messages->questions.size(), 2);
    QCOMPARE(m_messages->questions[0].text,
             "The plan march.loomplan has unsaved changes. Save them?");
    QCOMPARE(m_chooser->planRequests, 1);

    m_window.reset();
    start({plan});
    QCOMPARE(m_chooser->requests, 0);
    QCOMPARE(m_window->findChild<QAbstractSpinBox*>(QStringLiteral("txtSharedDB2"))->text(), "2");
    QCOMPARE(m_window->windowTitle(), "march.loomplan - Loomstead");
    QVERIFY(m_messages->messages.isEmpty());

    // Open Plan over a change asks once, and the plan's own number comes back.
    QAbstractSpinBox* members = bumpMembers();
    m_messages->saveAnswer = ui::SaveAnswer::kDiscard;
    m_chooser->planAnswers.enqueue(plan);
    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_messages->questions.size(), 3);
    QCOMPARE(members->text(), "2");
    QVERIFY(!m_window->hasUnsavedChanges());
}

QTEST_MAIN(MainWindowMenuTest)
#include "main_window_menu_test.moc"

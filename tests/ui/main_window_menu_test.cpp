// The main window's frame around the pages, driven by keys, menus and drops: the File and Help
// menus, plans and files from the command line and from a drop, Open Recent, and the question
// before unsaved choices are lost.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
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

using ui::MainWindow;

namespace {

class RecordingAccountSink : public ui::PlanAccountSink {
public:
    void showAccount(const QString& title, const core::PlanAccount&) override {
        titles.append(title);
    }
    QStringList titles;
};

}  // namespace

class MainWindowMenuTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addFilesAndHelpRunFromTheKeyboard();
    void commandLinePathsReplaceTheOpeningDialog();
    void dropsAreOpenedByKind_data();
    void dropsAreOpenedByKind();
    void recentEntryOfAGoneFileIsTakenOff();
    void quittingWithUnsavedChoicesAsksFirst_data();
    void quittingWithUnsavedChoicesAsksFirst();
    void planIsSavedMarkedAndOpenedFromTheCommandLine();

private:
    void start(const QStringList& startPaths = {});
    QString writeFile(const QString& name);
    QStringList listedFiles() const;
    QMenu* openMenu(Qt::Key mnemonic);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ui::RecordingMessageSink> m_messages;
    std::unique_ptr<ui::ScriptedFileChooser> m_chooser;
    std::unique_ptr<MainWindow> m_window;
    RecordingAccountSink m_accounts;
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

void MainWindowMenuTest::addFilesAndHelpRunFromTheKeyboard() {
    start();
    QCOMPARE(m_chooser->requests, 1);
    const QString a = writeFile("a.sta");
    const QString b = writeFile("b.sim");
    m_chooser->willChooseMany({a, b});
    QMenu* file = openMenu(Qt::Key_F);
    QVERIFY(file);
    QTest::keyClick(file, Qt::Key_D);  // A&dd Files...
    QTRY_COMPARE(listedFiles(), QStringList({"a.sta", "b.sim"}));
    QVERIFY(m_window->findChild<QTabWidget*>(QStringLiteral("tbsMain"))->isTabEnabled(1));
    QCOMPARE(settings::RecentFilesStore().files(), QStringList({b, a}));

    QTest::keyClick(m_window.get(), Qt::Key_F1);
    auto* manual = m_window->findChild<QTextBrowser*>(QStringLiteral("txtManual"));
    QVERIFY(manual && manual->isVisible());
    QVERIFY(manual->toPlainText().startsWith(QStringLiteral("Using Loomstead")));

    // Every item tells in the status bar what it does.
    for (QAction* action : m_window->findChildren<QAction*>()) {
        if (!action->isSeparator() && action->menu() == nullptr &&
            action->parent() == m_window.get()) {
            QVERIFY2(!action->statusTip().isEmpty(), qPrintable(action->text()));
        }
    }
}

void MainWindowMenuTest::commandLinePathsReplaceTheOpeningDialog() {
    const QString a = writeFile("a.sta");
    QDir(m_dir->path()).mkdir(QStringLiteral("folder"));
    writeFile("b.sim");
    const QString missing = m_dir->filePath(QStringLiteral("missing.sta"));
    // A relative path is read from the folder the program started in.
    const QString startFolder = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    start({QStringLiteral("b.sim"), a, m_dir->filePath(QStringLiteral("folder")), missing});
    QDir::setCurrent(startFolder);

    QCOMPARE(m_chooser->requests, 0);
    QCOMPARE(listedFiles(), QStringList({"b.sim", "a.sta"}));
    QCOMPARE(m_window->tables().lstSelectedFiles.front(),
             QDir(m_dir->path()).filePath(QStringLiteral("b.sim")).toStdString());
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages[0].text, "Some files could not be opened.");
    QCOMPARE(m_messages->messages[0].detail,
             QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("folder"))) +
                 ": is a folder; add the statistics files inside it instead\n" +
                 QDir::toNativeSeparators(missing) + ": does not exist");
}

void MainWindowMenuTest::dropsAreOpenedByKind_data() {
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("reasons");
    QTest::newRow("data files") << QStringList{"a.sta", "notes.txt"}
                                << QStringList{"a.sta", "notes.txt"} << QString();
    QTest::newRow("a folder beside a file")
        << QStringList{"folder", "a.sta"} << QStringList{"a.sta"}
        << QStringLiteral("is a folder; add the statistics files inside it instead");
    // The plan names plan.sta; the file beside it is added to the plan's.
    QTest::newRow("a plan and a file")
        << QStringList{"b.loomplan", "a.sta"} << QStringList{"plan.sta", "a.sta"} << QString();
    QTest::newRow("two plans") << QStringList{"b.loomplan", "c.loomplan"} << QStringList{"plan.sta"}
                               << QStringLiteral("is a second plan; one plan is opened at a time");
}

void MainWindowMenuTest::dropsAreOpenedByKind() {
    QFETCH(QStringList, dropped);
    QFETCH(QStringList, listed);
    QFETCH(QString, reasons);
    start();
    QDir(m_dir->path()).mkdir(QStringLiteral("folder"));
    QList<QUrl> urls;
    for (const QString& name : dropped) {
        if (name.endsWith(QLatin1String(".loomplan"))) {
            core::Plan plan;
            plan.files.push_back({writeFile("plan.sta").toStdString(), 0, 0, {}});
            QVERIFY(!core::WritePlanFile(m_dir->filePath(name).toStdString(), plan));
        } else if (name != QLatin1String("folder")) {
            writeFile(name);
        }
        urls.append(QUrl::fromLocalFile(m_dir->filePath(name)));
    }
    QMimeData data;
    data.setUrls(urls);

    // Dropped on the file list, which takes no drops itself: the window does.
    QWidget* target =
        m_window->findChild<QListWidget*>(QStringLiteral("lstSelectedFiles"))->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QVERIFY(move.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QVERIFY(drop.isAccepted());

    QTRY_COMPARE(listedFiles(), listed);
    if (reasons.isEmpty()) {
        QVERIFY(m_messages->messages.isEmpty());
    } else {
        QCOMPARE(m_messages->messages.size(), 1);
        QVERIFY2(m_messages->messages[0].detail.endsWith(reasons),
                 qPrintable(m_messages->messages[0].detail));
    }
}

void MainWindowMenuTest::recentEntryOfAGoneFileIsTakenOff() {
    const QString kept = writeFile("kept.sta");
    const QString gone = m_dir->filePath(QStringLiteral("gone.sta"));
    settings::RecentFilesStore recent;
    recent.add(kept);
    recent.add(gone);
    start();

    QMenu* file = openMenu(Qt::Key_F);
    QTest::keyClick(file, Qt::Key_R);  // Open &Recent
    QTRY_VERIFY(QApplication::activePopupWidget() != file);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_1);  // the newest: gone.sta
    QTRY_COMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages[0].title, "Open Recent");
    QCOMPARE(m_messages->messages[0].text,
             QDir::toNativeSeparators(gone) +
                 " no longer exists. It has been taken off the recent files.");
    QCOMPARE(recent.files(), QStringList({kept}));
    QVERIFY(listedFiles().isEmpty());

    file = openMenu(Qt::Key_F);
    QTest::keyClick(file, Qt::Key_R);
    QTRY_VERIFY(QApplication::activePopupWidget() != file);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_1);  // now kept.sta
    QTRY_COMPARE(listedFiles(), QStringList({"kept.sta"}));
    QCOMPARE(m_messages->messages.size(), 1);
}

void MainWindowMenuTest::quittingWithUnsavedChoicesAsksFirst_data() {
    QTest::addColumn<bool>("addFile");
    QTest::addColumn<ui::SaveAnswer>("answer");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("closed");
    QTest::newRow("no choice made: no question") << false << ui::SaveAnswer::kCancel << 0 << true;
    QTest::newRow("discard") << true << ui::SaveAnswer::kDiscard << 1 << true;
    QTest::newRow("cancel keeps the window") << true << ui::SaveAnswer::kCancel << 1 << false;
}

void MainWindowMenuTest::quittingWithUnsavedChoicesAsksFirst() {
    QFETCH(bool, addFile);
    QFETCH(ui::SaveAnswer, answer);
    QFETCH(int, questions);
    QFETCH(bool, closed);
    start();
    m_messages->saveAnswer = answer;
    if (addFile) {
        m_chooser->willChoose(writeFile("a.sta"));
        QTest::mouseClick(m_window->findChild<QPushButton*>(QStringLiteral("cmdAdd")),
                          Qt::LeftButton);
    }
    QCOMPARE(m_window->hasUnsavedChanges(), addFile);
    QCOMPARE(m_window->windowTitle(), "Loomstead");  // no plan open: the name alone

    QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(m_messages->questions.size(), questions);
    if (questions > 0) {
        QCOMPARE(m_messages->questions[0].text,
                 "Your choices have not been saved as a plan. Save them?");
    }
    QCOMPARE(!m_window->isVisible(), closed);
}

void MainWindowMenuTest::planIsSavedMarkedAndOpenedFromTheCommandLine() {
    const QString data = m_dir->filePath(QStringLiteral("db1a.sta"));
    QVERIFY(QFile::copy(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"), data));
    start({data});
    auto* pages = m_window->findChild<QTabWidget*>(QStringLiteral("tbsMain"));
    pages->setCurrentIndex(1);  // reads the file
    auto* pools = m_window->findChild<QAbstractItemView*>(QStringLiteral("lstPools"));
    QVERIFY(QTest::qWaitForWindowExposed(pools));
    // A double click reaches a widget as a click followed by a double-click event.
    const QPoint first = pools->visualRect(pools->model()->index(0, 0)).center();
    QTest::mouseClick(pools->viewport(), Qt::LeftButton, Qt::NoModifier, first);
    QTest::mouseDClick(pools->viewport(), Qt::LeftButton, Qt::NoModifier, first);
    QCOMPARE(m_window->tables().lvSharedPools.size(), size_t{1});
    QVERIFY(m_window->hasUnsavedChanges());

    // Save asks where the first time; the name gets the plan's ending.
    m_chooser->willSavePlanAs(m_dir->filePath(QStringLiteral("march")));
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    const QString plan = m_dir->filePath(QStringLiteral("march.loomplan"));
    QVERIFY(QFileInfo::exists(plan));
    QCOMPARE(m_window->windowTitle(), "march.loomplan - Loomstead");
    QCOMPARE(settings::RecentFilesStore().files().first(), plan);

    auto* members = m_window->findChild<QSpinBox*>(QStringLiteral("txtSharedDB2"));
    members->setFocus();
    QTest::keyClick(members, Qt::Key_Up);
    QCOMPARE(m_window->windowTitle(), "march.loomplan* - Loomstead");

    // Saving before quitting writes to the plan open, without asking where.
    m_messages->saveAnswer = ui::SaveAnswer::kSave;
    QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_messages->questions.size(), 1);
    QCOMPARE(m_messages->questions[0].text,
             "The plan march.loomplan has unsaved changes. Save them?");
    QCOMPARE(m_chooser->planRequests, 1);

    m_window.reset();
    start({plan});
    QCOMPARE(m_chooser->requests, 0);
    QCOMPARE(listedFiles(), QStringList({"db1a.sta"}));
    QCOMPARE(m_window->tables().lvSharedPools.size(), size_t{1});
    QCOMPARE(m_window->findChild<QSpinBox*>(QStringLiteral("txtSharedDB2"))->value(), 2);
    QCOMPARE(m_window->windowTitle(), "march.loomplan - Loomstead");
    QVERIFY(!m_window->hasUnsavedChanges());
    QVERIFY(m_messages->messages.isEmpty());
}

QTEST_MAIN(MainWindowMenuTest)
#include "main_window_menu_test.moc"

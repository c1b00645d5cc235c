// The running group dialog opened from the results page of the sample group: pasted and opened
// displays and policy job, the verdicts in words, the new policy that reads back, and Save.
#include "ui/running_group_dialog.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "ui/cfrm_dialog.h"
#include "ui/main_window.h"
#include "core/policy_source.h"
#include "tests/ui/scripted_seams.h"
#include "tests/ui/test_tables.h"

namespace {

// GBP3 as member DB1A shows it behind an SDSF prefix: cross-invalidations due to directory
// reclaims, no failed writes.
const char* const kGbp3Display =
    "N 4020000 SYSA 26340 10:15:22.13 STC01234 00000090  -DB1A DIS GBPOOL(*) GDETAIL(*)\n"
    "N 4020000 SYSA 26340 10:15:22.13 STC01234 00000090  DSNB750I -DB1A DISPLAY FOR GROUP "
    "BUFFER POOL GBP3 FOLLOWS\n"
    "DSNB755I -DB1A DB2 GROUP BUFFER POOL STATUS\n"
    "             CONNECTED                                 = YES\n"
    "             CURRENT DIRECTORY TO DATA RATIO           = 5\n"
    "             PENDING DIRECTORY TO DATA RATIO           = 5\n"
    "DSNB757I -DB1A MVS CFRM POLICY STATUS FOR DSNDB0G_GBP3   = NORMAL\n"
    "             MAX SIZE INDICATED IN POLICY              = 8192 KB\n"
    "             DUPLEX INDICATOR IN POLICY                = DISABLED\n"
    "             ALLOCATED                                 = YES\n"
    "DSNB758I -DB1A   ALLOCATED SIZE                        = 4096 KB\n"
    "             CFNAME                                    = CF01\n"
    "DSNB759I -DB1A   NUMBER OF DIRECTORY ENTRIES           = 3000\n"
    "             NUMBER OF DATA PAGES                      = 600\n"
    "DSNB783I -DB1A CUMULATIVE GROUP DETAIL STATISTICS SINCE 10:42:07 DEC 06, 2026\n"
    "DSNB786I -DB1A   WRITES\n"
    "               CHANGED PAGES                           = 4410\n"
    "               FAILED DUE TO LACK OF STORAGE           = 0\n"
    "DSNB787I -DB1A   RECLAIMS\n"
    "               FOR DIRECTORY ENTRIES                   = 1200\n"
    "               FOR DATA ENTRIES                        = 90\n"
    "               CASTOUTS                                = 2000\n"
    "DSNB788I -DB1A   CROSS INVALIDATIONS\n"
    "               DUE TO DIRECTORY RECLAIMS               = 25\n"
    "               DUE TO WRITES                           = 40\n"
    "DSNB790I -DB1A DISPLAY FOR GROUP BUFFER POOL GBP3 IS COMPLETE\n";

const char* const kPolicyJob =
    "//DEFPOL   JOB (ACCT),'CFRM POLICY',CLASS=A\n"
    "//STEP1    EXEC PGM=IXCMIAPU\n"
    "//SYSIN    DD   *\n"
    "  DATA TYPE(CFRM) REPORT(YES)\n"
    "  DEFINE POLICY NAME(POLDAY) REPLACE(YES)\n"
    "    CF NAME(CF01) TYPE(003931) MFG(IBM) PLANT(02)\n"
    "    STRUCTURE NAME(DSNDB0G_GBP3) INITSIZE(4M) SIZE(8M)\n"
    "              PREFLIST(CF01)\n"
    "    STRUCTURE NAME(PAYROLL_LIST) INITSIZE(16M) PREFLIST(CF01)\n"
    "/*\n";

void Paste(QPlainTextEdit* edit, const QString& text) {
    QApplication::clipboard()->setText(text);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

// The main window may take the activation back after the dialog opened.
bool ActiveWindow(QWidget* dialog) {
    dialog->activateWindow();
    return QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; });
}

}  // namespace

class RunningGroupDialogTest : public QObject {
    Q_OBJECT

private slots:
    // Opens the dialog from the results page of db1a.sta and db1b.sim, every pool shared, with
    // the policy dialog's group DSNDB0G on CF01.
    void initTestCase();
    void init() { QVERIFY(ActiveWindow(m_dialog)); }
    void pastedTextsGiveVerdictsAndANewPolicyThatReadsBack();
    void openedFilesAreReadAsTheyAreOrRefusedWithAMessage();
    void everyControlHasAnAccessibleName();

private:
    QTemporaryDir m_dir;
    ui::RecordingMessageSink m_messages;
    ui::ScriptedFileChooser m_chooser;
    ui::ScriptedPolicyChooser m_saver;
    std::unique_ptr<ui::MainWindow> m_window;
    ui::RunningGroupDialog* m_dialog = nullptr;
};

void RunningGroupDialogTest::initTestCase() {
    QVERIFY(m_dir.isValid());  // never the user's own store
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath("settings"));
    m_chooser.willChoose(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1a.sta"));
    m_window = std::make_unique<ui::MainWindow>(m_messages, m_chooser, QString());
    m_window->openAtStart({});
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTRY_COMPARE(m_chooser.requests, 1);
    m_chooser.willChoose(QStringLiteral(LOOMSTEAD_SAMPLES_DIR "/db1b.sim"));
    ui::ClickButton(m_window.get(), QStringLiteral("cmdAdd"));
    auto* pages = m_window->findChild<QTabWidget*>(QStringLiteral("tbsMain"));
    pages->setCurrentIndex(1);
    ui::ClickButton(m_window.get(), QStringLiteral("cmdShareAllPools"));
    pages->setCurrentIndex(2);
    pages->setCurrentIndex(3);
    QCOMPARE(pages->currentIndex(), 3);
    m_window->findChild<QAction*>(QStringLiteral("actCfrmPolicy"))->trigger();
    auto* cfrm = m_window->findChild<ui::CfrmDialog*>();
    cfrm->setInputs({{"group", "DSNDB0G"}, {"facilities", "CF01"}});
    cfrm->reject();
    ui::ClickButton(m_window.get(), QStringLiteral("cmdRunningGroup"));
    m_dialog = m_window->findChild<ui::RunningGroupDialog*>();
    QVERIFY(m_dialog != nullptr);
    m_dialog->setSaveChooser(m_saver);
}

void RunningGroupDialogTest::pastedTextsGiveVerdictsAndANewPolicyThatReadsBack() {
    auto* table = m_dialog->findChild<QTableWidget*>(QStringLiteral("tblRunningGroup"));
    auto* status = m_dialog->findChild<QLabel*>(QStringLiteral("lblRunningStatus"));
    auto* save = m_dialog->findChild<QPushButton*>(QStringLiteral("cmdSaveNewPolicy"));
    QCOMPARE(table->rowCount(), 0);
    QVERIFY(!save->isEnabled());

    // A text with nothing recognised says what was looked for.
    auto* xcf = m_dialog->findChild<QPlainTextEdit*>(QStringLiteral("txtXcfDisplay"));
    Paste(xcf, QStringLiteral("IEF403I DEFPOL - STARTED\n"));
    QVERIFY2(status->text().startsWith("Error in Structures' display: ") &&
                 status->text().contains("IXC360I"),
             qPrintable(status->text()));
    xcf->clear();

    Paste(m_dialog->findChild<QPlainTextEdit*>(QStringLiteral("txtGbpDisplay")), kGbp3Display);
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, 0)->text(), "GBP3");
    QCOMPARE(table->item(0, 2)->text(),
             "too_few_directory_entries: cross-invalidations due to directory reclaims");
    QVERIFY(!table->item(0, 2)->icon().isNull());
    QVERIFY(table->item(0, 3)->text().startsWith(
        "allocated 4096 KB, 3000 directory entries, 600 data pages / INITSIZE "));
    // Why says how the verdict came about.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(0, 0)).center());
    const QString why = m_dialog->findChild<QPlainTextEdit*>("txtRunningWhy")->toPlainText();
    QVERIFY2(why.startsWith("allocated 4096 KB") &&
                 why.contains("too_few_directory_entries: 25 cross-invalidations"),
             qPrintable(why));

    Paste(m_dialog->findChild<QPlainTextEdit*>(QStringLiteral("txtCurrentPolicy")), kPolicyJob);
    QCOMPARE(status->text(), "Give the new policy a name.");
    QVERIFY(m_dialog->newPolicyText().isEmpty());
    QVERIFY(ActiveWindow(m_dialog));
    QTest::keyClick(m_dialog, Qt::Key_N, Qt::AltModifier);
    QTest::keyClicks(QApplication::focusWidget(), "polnew");
    const QString policy = m_dialog->newPolicyText();
    QVERIFY2(policy.contains("DEFINE POLICY NAME(POLNEW) REPLACE(NO)"),
             qPrintable(policy + status->text()));
    QVERIFY(policy.contains("STRUCTURE NAME(PAYROLL_LIST) INITSIZE(16M) PREFLIST(CF01)\n"));
    const core::PolicySourceResult back = core::ReadPolicySource(policy.toStdString());
    QVERIFY2(back.ok(), back.status().message().c_str());
    QCOMPARE(back->policyName, "POLNEW");
    const QString steps = m_dialog->stepsText();
    QVERIFY2(steps.contains("SETXCF START,POLICY,TYPE=CFRM,POLNAME=POLNEW") &&
                 steps.contains("SETXCF START,POLICY,TYPE=CFRM,POLNAME=POLDAY"),
             qPrintable(steps));
    // The structures follow the GBP: GBP3 and the other group's list.
    QVERIFY(table->rowCount() >= 3);

    // Save writes the text whole; a folder that is gone says why and writes nothing.
    QVERIFY(save->isEnabled());
    m_saver.path = m_dir.filePath("polnew.jcl");
    QTest::mouseClick(save, Qt::LeftButton);
    QFile saved(*m_saver.path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(saved.readAll()), policy);
    m_saver.path = m_dir.filePath("gone/polnew.jcl");
    m_messages.messages.clear();
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(m_messages.messages.size(), 1);
    QCOMPARE(m_messages.messages[0].text, "The text could not be saved.");
    QVERIFY(!QFile::exists(*m_saver.path));
}

void RunningGroupDialogTest::openedFilesAreReadAsTheyAreOrRefusedWithAMessage() {
    // A job with sequence numbers in columns 73 to 80 and a byte that is no UTF-8: the readers
    // see the file's bytes, not what the box shows.
    std::string job = "  DATA TYPE(CFRM)\n  DEFINE POLICY NAME(POLDAY)\n";
    job += "    CF NAME(CF01)" + std::string(71 - 17, ' ') + " 00000300\n";
    job += "    /* caf\xe9 */\n";
    QFile file(m_dir.filePath("policy.jcl"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(job.data(), static_cast<qint64>(job.size()));
    file.close();
    m_messages.messages.clear();
    m_chooser.willChoose(file.fileName());
    QTest::keyClick(m_dialog, Qt::Key_J, Qt::AltModifier);
    ui::ClickButton(m_dialog, QStringLiteral("cmdOpenCurrentPolicy"));
    QVERIFY(m_messages.messages.isEmpty());
    QCOMPARE(m_dialog->inputText(ui::RunningGroupDialog::kCurrentPolicy), job);

    // A saved plan names the file, and a dialog given the plan's keys reads it again.
    const QString plan = m_dir.filePath(QStringLiteral("with-running.loomplan"));
    m_chooser.planAnswers.enqueue(plan);
    m_window->findChild<QAction*>(QStringLiteral("actSavePlanAs"))->trigger();
    QFile saved(plan);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QJsonObject cfrm = QJsonDocument::fromJson(saved.readAll())["cfrm"].toObject();
    QCOMPARE(cfrm["runningPolicyJob"].toString(), file.fileName());
    QVERIFY(!cfrm.contains("runningGbpDisplay"));
    ui::RunningGroupDialog reopened(m_messages, m_chooser, m_saver);
    reopened.openGivenFiles({{"runningPolicyJob", file.fileName().toStdString()}});
    QCOMPARE(reopened.inputText(ui::RunningGroupDialog::kCurrentPolicy), job);

    // Not there, a folder, nothing recognised: one message each, the text left as it was.
    const QString refusals[] = {m_dir.filePath("none.txt"), m_dir.path(), file.fileName()};
    const std::string before = m_dialog->inputText(ui::RunningGroupDialog::kGbpDisplay);
    for (const QString& path : refusals) {
        m_messages.messages.clear();
        m_chooser.willChoose(path);
        QTest::keyClick(m_dialog, Qt::Key_G, Qt::AltModifier);
        ui::ClickButton(m_dialog, QStringLiteral("cmdOpenGbpDisplay"));
        QCOMPARE(m_messages.messages.size(), 1);
        QCOMPARE(m_messages.messages[0].text, "The text could not be read.");
        QVERIFY(m_messages.messages[0].detail.startsWith(path));
        QCOMPARE(m_dialog->inputText(ui::RunningGroupDialog::kGbpDisplay), before);
    }
    QVERIFY(m_messages.messages[0].detail.contains("DSNB750I"));
}

void RunningGroupDialogTest::everyControlHasAnAccessibleName() {
    // Results > Running Group... brings back the same dialog with what was pasted.
    m_dialog->reject();
    auto* action = m_window->findChild<QAction*>(QStringLiteral("actRunningGroup"));
    QVERIFY(action->isEnabled());
    action->trigger();
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(m_window->findChildren<ui::RunningGroupDialog*>().size(), 1);
    QVERIFY(!m_dialog->newPolicyText().isEmpty());
    for (QWidget* control : m_dialog->findChildren<QWidget*>()) {
        if (control->focusPolicy() != Qt::NoFocus && qobject_cast<QLabel*>(control) == nullptr) {
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(spoken != nullptr && !spoken->text(QAccessible::Name).isEmpty(),
                     qPrintable(control->objectName() + " " + control->metaObject()->className()));
        }
    }
}

QTEST_MAIN(RunningGroupDialogTest)
#include "running_group_dialog_test.moc"

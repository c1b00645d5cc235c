// The policy dialog driven from the keyboard: the preview follows the inputs, a broken rule
// empties it, Save As writes the text whole or not at all, and the inputs come back in the next
// dialog.
#include "ui/cfrm_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "tests/core/file_size_limit.h"
#include "core/cfrm_policy.h"
#include "tests/ui/scripted_seams.h"
#include "core/sizing.h"

namespace {

// One member, SCA 8 Mb; BP1 of 4000 VP pages with factor 1/2, and BPX, which is no Db2 name.
core::SizingResult Sizing() {
    core::SizingResult s;
    s.scaSizeMb = 8;
    s.membersRead = 1;
    s.pools = {{"BP1", 0, 0, 0, 0, 2000, {}, {}}, {"BPX", 0, 0, 0, 0, 10, {}, {}}};
    s.poolBases = {{"BP1", true, 1, 4000, 0, core::GbpFactor{1, 2, false}, false},
                   {"BPX", true, 1, 10, 0, core::GbpFactor{1, 1, false}, false}};
    return s;
}

}  // namespace

class CfrmDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());  // never the user's own store
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }
    void init() {
        m_dialog = std::make_unique<ui::CfrmDialog>(m_messages, m_chooser);
        m_dialog->setSizing(Sizing(), {});
    }
    void keyboardInputsDrivePreviewSaveAndSettings();
    void ruleInputsReachThePolicyAndComeBack();

private:
    QTemporaryDir m_dir;
    ui::RecordingMessageSink m_messages;
    ui::ScriptedPolicyChooser m_chooser;
    std::unique_ptr<ui::CfrmDialog> m_dialog;
};

void CfrmDialogTest::keyboardInputsDrivePreviewSaveAndSettings() {
    ui::CfrmDialog& dialog = *m_dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* status = dialog.findChild<QLabel*>("lblPolicyStatus");
    auto* save = dialog.findChild<QPushButton*>("cmdSaveAs");
    QCOMPARE(status->text(), "Give a group name.");
    QVERIFY(!save->isEnabled() && dialog.policyText().isEmpty());

    QTest::keyClicks(QApplication::focusWidget(), "dsn_db0g!");  // the validator drops _ and !
    QTest::keyClick(&dialog, Qt::Key_F, Qt::AltModifier);
    QTest::keyClicks(QApplication::focusWidget(), "cf01, cf02");
    QTest::keyClick(&dialog, Qt::Key_S, Qt::AltModifier);
    QTest::keyClicks(QApplication::focusWidget(), "cf01=40");
    QTest::keyClick(&dialog, Qt::Key_A, Qt::AltModifier);  // automatic alter off
    QTRY_VERIFY(!dialog.findChild<QCheckBox*>("chkAutoAlt")->isChecked());
    QVERIFY(save->isEnabled());
    const QString preview = dialog.findChild<QPlainTextEdit*>("txtPreview")->toPlainText();
    // D 2000, RATIO 10: 8000 + 1.1 x 10 x 2000 x 0.4 = 16800 KB -> 17 MB, SIZE 25.5 -> 26.
    QVERIFY(
        preview.contains("  STRUCTURE NAME(DSNDB0G_GBP1)\n            SIZE(26624)\n"
                         "            INITSIZE(17408)\n            PREFLIST(CF01,CF02)\n"
                         "            DUPLEX(ENABLED)\n"));
    QVERIFY(preview.contains("To put the policy into force:"));
    // The totals' wording is the policy's own tests' business; the page shows it whole.
    QVERIFY(
        status->text().startsWith("Pool BPX is not a Db2 buffer pool name.\nGBP0 is not "
                                  "sized from statistics"));
    QVERIFY(status->text().contains("\nCF01: 40 MB free, falls "));

    m_chooser.path = m_dir.filePath("no-such-dir/p.txt");
    QTest::keyClick(&dialog, Qt::Key_V, Qt::AltModifier);
    QTRY_COMPARE(m_messages.messages.size(), 1);
    QCOMPARE(m_chooser.suggestedName, "dsndb0g-cfrm.txt");
    m_chooser.path = m_dir.filePath("p.txt");
    QTest::keyClick(&dialog, Qt::Key_V, Qt::AltModifier);
    QTRY_VERIFY(QFile::exists(*m_chooser.path));
    QFile file(*m_chooser.path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), preview);
    file.close();
    // Saved again on a full disk: a message, and the file saved before stays whole.
    {
        const core::testing::FileSizeLimit fullDisk(64);
        QTest::keyClick(&dialog, Qt::Key_V, Qt::AltModifier);  // clicks after a moment
        QTRY_COMPARE(m_messages.messages.size(), 2);
    }
    QCOMPARE(m_messages.messages[1].detail, *m_chooser.path + "\nFile too large");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), preview);

    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    ui::CfrmDialog next(m_messages, m_chooser);
    const QVariantMap inputs = next.inputs();
    QCOMPARE(inputs.value("group").toString(), "dsndb0g");
    QCOMPARE(inputs.value("facilities").toString(), "cf01, cf02");
    QCOMPARE(inputs.value("autoalt").toBool(), false);
    QCOMPARE(inputs.value("freeSpace").toString(), "cf01=40");
}

void CfrmDialogTest::ruleInputsReachThePolicyAndComeBack() {
    ui::CfrmDialog& dialog = *m_dialog;
    // As a plan stores them: texts.
    dialog.setInputs(ui::PolicyInputs({{"group", "DSNDB0G"},
                                       {"facilities", "CF01 CF02 CF03"},
                                       {"duplex", "all"},
                                       {"autoalt", "true"},
                                       {"minRatio", "3"},
                                       {"directoryEntryKb", "0.2"},
                                       {"sharingDegree", "0.5"},
                                       {"unmeasuredGbpMb", "8"},
                                       {"lockMb", "256"},
                                       {"minSizePercent", "80"},
                                       {"lockDuplex", "asynconly"},
                                       {"spreadPreflist", "true"},
                                       {"dumpSpaceMb", "5"},
                                       {"explainSizes", "true"},
                                       {"commandPrefix", "-DB1G"}}));
    const QString text = dialog.policyText();
    // D 2000, Dir 2000 + 2000, RATIO 3: 8000 + 1.1 x 3 x 2000 x 0.2 = 9320 KB -> 10 MB, MINSIZE 8.
    QVERIFY2(text.contains("  STRUCTURE NAME(DSNDB0G_GBP1)\n            SIZE(15360)\n"
                           "            INITSIZE(10240)\n            MINSIZE(8192)\n"
                           "            ALLOWAUTOALT(YES)\n            PREFLIST(CF01,CF02,CF03)\n"),
             qPrintable(text));
    QVERIFY(
        text.contains("  STRUCTURE NAME(DSNDB0G_LOCK1)\n            SIZE(524288)\n"
                      "            INITSIZE(262144)\n            PREFLIST(CF01,CF02,CF03)\n"
                      "            DUPLEX(ENABLED,ASYNCONLY)\n"));
    QVERIFY(text.contains("PREFLIST(CF02,CF03,CF01)"));  // GBP0, the second GBP
    QVERIFY(text.contains("-DB1G ALTER GROUPBUFFERPOOL(GBP1) RATIO(3)"));
    QVERIFY(text.contains("RATIO needed = 4000 / 2000"));
    QVERIFY(text.contains("Dump space per facility: 5 MB"));
    const QVariantMap inputs = dialog.inputs();
    QCOMPARE(inputs.value("lockMb").toInt(), 256);
    QCOMPARE(inputs.value("minSizePercent").toInt(), 80);
    QCOMPARE(inputs.value("lockDuplex").toString(), "asynconly");
    QCOMPARE(inputs.value("sharingDegree").toDouble(), 0.5);
    // The lock duplexing mode waits while not every structure is duplexed.
    dialog.setInputs({{"duplex", "gbp"}, {"minSizePercent", "0"}, {"lockMb", "0"}});
    QVERIFY(!dialog.findChild<QComboBox*>("cboLockDuplex")->isEnabled());
    QVERIFY(!dialog.policyText().contains("MINSIZE("));
    QVERIFY(dialog.policyText().contains("INITSIZE(65536)"));  // LOCK1 from the formula
    dialog.setInputs({{"commandPrefix", QString::fromUtf8("\xC2\xA2"
                                                          "DB2")}});  // Db2's cent sign
    QCOMPARE(dialog.inputs().value("commandPrefix").toString(), QString::fromUtf8("\xC2\xA2"
                                                                                  "DB2"));
}

QTEST_MAIN(CfrmDialogTest)
#include "cfrm_dialog_test.moc"

// The policy dialog driven from the keyboard: the preview follows the inputs, a broken rule
// empties it, Save As writes the text whole or not at all, and the inputs come back in the next
// dialog.
#include "cfrm_dialog.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "../core/file_size_limit.h"
#include "cfrm_policy.h"
#include "scripted_seams.h"
#include "sizing.h"

namespace {

class ScriptedPolicyChooser : public ui::PolicyFileChooser {
public:
    std::optional<QString> choosePolicyFile(QWidget*, const QString& suggested) override {
        return suggestedName = suggested, path;
    }
    std::optional<QString> path;
    QString suggestedName;
};

// Lock 16 Mb, SCA 8 Mb, ratio 5; BP1 of 4000 pages and BPX, which is no Db2 name.
core::SizingResult Sizing() {
    core::SizingResult s;
    s.lockStructureSizeMb = 16;
    s.scaSizeMb = 8;
    s.directoryDataRatio = 5;
    s.pools = {{"BP1", 0, 0, 0, 0, 4000, {}}, {"BPX", 0, 0, 0, 0, 10, {}}};
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
    void keyboardInputsDrivePreviewSaveAndSettings();

private:
    QTemporaryDir m_dir;
};

void CfrmDialogTest::keyboardInputsDrivePreviewSaveAndSettings() {
    ui::RecordingMessageSink messages;
    ScriptedPolicyChooser chooser;
    ui::CfrmDialog dialog(messages, chooser);
    dialog.setSizing(Sizing(), {});
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
    QVERIFY(
        preview.contains("  STRUCTURE NAME(DSNDB0G_GBP1)\n            SIZE(30720)\n"
                         "            INITSIZE(20480)\n            PREFLIST(CF01,CF02)\n"
                         "            DUPLEX(ENABLED)\n"));
    // The totals' wording is the policy's own tests' business; the page shows it whole.
    QVERIFY(status->text().startsWith("Pool BPX is not a Db2 buffer pool name.\nTotal INITSIZE"));
    QVERIFY(status->text().endsWith("\nCF01: 40 MB free, falls 26 MB short."));

    chooser.path = m_dir.filePath("no-such-dir/p.txt");
    QTest::keyClick(&dialog, Qt::Key_V, Qt::AltModifier);
    QTRY_COMPARE(messages.messages.size(), 1);
    QCOMPARE(chooser.suggestedName, "dsndb0g-cfrm.txt");
    chooser.path = m_dir.filePath("p.txt");
    QTest::keyClick(&dialog, Qt::Key_V, Qt::AltModifier);
    QTRY_VERIFY(QFile::exists(*chooser.path));
    QFile file(*chooser.path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), preview);
    file.close();
    // Saved again on a full disk: a message, and the file saved before stays whole.
    {
        const core::testing::FileSizeLimit fullDisk(64);
        QTest::keyClick(&dialog, Qt::Key_V, Qt::AltModifier);  // clicks after a moment
        QTRY_COMPARE(messages.messages.size(), 2);
    }
    QCOMPARE(messages.messages[1].detail, *chooser.path + "\nFile too large");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), preview);

    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    ui::CfrmDialog next(messages, chooser);
    const QVariantMap inputs = next.inputs();
    QCOMPARE(inputs.value("group").toString(), "dsndb0g");
    QCOMPARE(inputs.value("facilities").toString(), "cf01, cf02");
    QCOMPARE(inputs.value("autoalt").toBool(), false);
    QCOMPARE(inputs.value("freeSpace").toString(), "cf01=40");
}

QTEST_MAIN(CfrmDialogTest)
#include "cfrm_dialog_test.moc"

// The dialogs as they come up: the file dialogs' titles, modes and the filters they offer
// first, and the buttons of the question before changes are lost.
#include "ui/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void dataFileDialogsOfferTheirFilters_data();
    void dataFileDialogsOfferTheirFilters();
    void saveQuestionButtonsHaveAltKeys();
};

void DialogsTest::dataFileDialogsOfferTheirFilters_data() {
    QTest::addColumn<ui::DataFileDialog>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QFileDialog::FileMode>("mode");
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("Add File") << ui::DataFileDialog::kOneFile << "Add Data File"
                              << QFileDialog::ExistingFile
                              << QStringList{"All Files (*.*)", "STA Files (*.sta)",
                                             "SIM Files (*.sim)"}
                              << "STA Files (*.sta)";
    QTest::newRow("Add Files...") << ui::DataFileDialog::kSeveralFiles << "Add Data Files"
                                  << QFileDialog::ExistingFiles
                                  << QStringList{"Statistics files (*.sta *.sim)",
                                                 "All Files (*.*)", "STA Files (*.sta)",
                                                 "SIM Files (*.sim)"}
                                  << "Statistics files (*.sta *.sim)";
}

void DialogsTest::dataFileDialogsOfferTheirFilters() {
    QFETCH(ui::DataFileDialog, kind);
    QFETCH(QString, title);
    QFETCH(QFileDialog::FileMode, mode);
    QFETCH(QStringList, filters);
    QFETCH(QString, chosen);
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    ui::SetUpDataFileDialog(dialog, kind);
    QCOMPARE(dialog.windowTitle(), title);
    QCOMPARE(dialog.fileMode(), mode);
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog.nameFilters(), filters);
    QCOMPARE(dialog.selectedNameFilter(), chosen);
}

void DialogsTest::saveQuestionButtonsHaveAltKeys() {
    const std::unique_ptr<QMessageBox> box =
        ui::NewSaveChangesBox(QStringLiteral("Loomstead"), QStringLiteral("Save them?"), nullptr);
    QCOMPARE(box->text(), "Save them?");
    QCOMPARE(box->button(QMessageBox::Save)->text(), "&Save");
    QCOMPARE(box->button(QMessageBox::Discard)->text(), "&Discard");
    QCOMPARE(box->button(QMessageBox::Cancel)->text(), "&Cancel");
    QCOMPARE(box->defaultButton(), box->button(QMessageBox::Save));
    QCOMPARE(box->buttons().size(), 3);
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"

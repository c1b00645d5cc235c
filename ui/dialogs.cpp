#include "ui/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

namespace ui {

void BoxMessageSink::showMessage(MessageIcon icon, const QString& title, const QString& text,
                                 const QString& detail) {
    QMessageBox box(
        icon == MessageIcon::kCritical ? QMessageBox::Critical : QMessageBox::Information, title,
        text, QMessageBox::Ok, m_parent);
    if (!detail.isEmpty()) {
        box.setInformativeText(detail);
    }
    // A message can come up while work shows the hourglass; the box itself takes a normal pointer.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    QApplication::restoreOverrideCursor();
}

void SetUpDataFileDialog(QFileDialog& dialog, DataFileDialog kind) {
    const QString allFiles = QStringLiteral("All Files (*.*)");
    const QString staFiles = QStringLiteral("STA Files (*.sta)");
    const QString simFiles = QStringLiteral("SIM Files (*.sim)");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, true);
    if (kind == DataFileDialog::kOneFile) {
        dialog.setWindowTitle(QStringLiteral("Add Data File"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters({allFiles, staFiles, simFiles});
        dialog.selectNameFilter(staFiles);
    } else {
        // Files of both kinds are picked together, so the filter that shows both comes first.
        const QString statistics = QStringLiteral("Statistics files (*.sta *.sim)");
        dialog.setWindowTitle(QStringLiteral("Add Data Files"));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setNameFilters({statistics, allFiles, staFiles, simFiles});
        dialog.selectNameFilter(statistics);
    }
}

namespace {

QStringList RunDataFileDialog(QWidget* parent, DataFileDialog kind, QString& lastFolder) {
    QFileDialog dialog(parent, {}, lastFolder);
    SetUpDataFileDialog(dialog, kind);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QStringList paths = dialog.selectedFiles();
    lastFolder = QFileInfo(paths.constFirst()).absolutePath();
    return paths;
}

const QString kPlanFilter = QStringLiteral("Loomstead Plans (*.loomplan)");

}  // namespace

std::unique_ptr<QMessageBox> NewSaveChangesBox(const QString& title, const QString& text,
                                               QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(
        QMessageBox::Warning, title, text,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box->setDefaultButton(QMessageBox::Save);
    // The platform's texts have no Alt keys on some desktops, and "Discard" reads differently
    // on each.
    box->button(QMessageBox::Save)->setText(QStringLiteral("&Save"));
    box->button(QMessageBox::Discard)->setText(QStringLiteral("&Discard"));
    box->button(QMessageBox::Cancel)->setText(QStringLiteral("&Cancel"));
    return box;
}

SaveAnswer BoxMessageSink::askToSaveChanges(const QString& title, const QString& text) {
    const std::unique_ptr<QMessageBox> box = NewSaveChangesBox(title, text, m_parent);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box->exec();
    QApplication::restoreOverrideCursor();
    switch (answer) {
        case QMessageBox::Save:
            return SaveAnswer::kSave;
        case QMessageBox::Discard:
            return SaveAnswer::kDiscard;
        default:
            return SaveAnswer::kCancel;
    }
}

std::optional<QString> DialogFileChooser::chooseDataFile(QWidget* parent) {
    const QStringList paths = RunDataFileDialog(parent, DataFileDialog::kOneFile, m_lastFolder);
    if (paths.isEmpty()) {
        return std::nullopt;
    }
    return paths.constFirst();
}

QStringList DialogFileChooser::chooseDataFiles(QWidget* parent) {
    return RunDataFileDialog(parent, DataFileDialog::kSeveralFiles, m_lastFolder);
}

std::optional<QString> DialogFileChooser::chooseTextFile(QWidget* parent, const QString& title) {
    // Captures are saved under any name, often without an extension.
    QFileDialog dialog(parent, title, m_lastFolder,
                       QStringLiteral("All Files (*);;Text Files (*.txt *.log *.jcl)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString path = dialog.selectedFiles().constFirst();
    m_lastFolder = QFileInfo(path).absolutePath();
    return path;
}

std::optional<QString> DialogFileChooser::choosePlanToOpen(QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Open Plan"), m_lastPlanFolder, kPlanFilter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString path = dialog.selectedFiles().constFirst();
    m_lastPlanFolder = QFileInfo(path).absolutePath();
    return path;
}

std::optional<QString> DialogFileChooser::choosePlanToSave(QWidget* parent,
                                                           const QString& suggestedPath) {
    QFileDialog dialog(parent, QStringLiteral("Save Plan"),
                       suggestedPath.isEmpty() ? m_lastPlanFolder : suggestedPath, kPlanFilter);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // Only a file ending in .loomplan is taken for a plan when it is opened again.
    dialog.setDefaultSuffix(QStringLiteral("loomplan"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString path = dialog.selectedFiles().constFirst();
    m_lastPlanFolder = QFileInfo(path).absolutePath();
    return path;
}

}  // namespace ui

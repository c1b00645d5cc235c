#include "dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

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

std::optional<QString> DialogFileChooser::chooseDataFile(QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Add Data File"), m_lastFolder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QStringLiteral("All Files (*.*)"), QStringLiteral("STA Files (*.sta)"),
                           QStringLiteral("SIM Files (*.sim)")});
    dialog.selectNameFilter(QStringLiteral("STA Files (*.sta)"));
    dialog.setOption(QFileDialog::ReadOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString path = dialog.selectedFiles().constFirst();
    m_lastFolder = QFileInfo(path).absolutePath();
    return path;
}

}  // namespace ui

#include "report_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace ui {

std::optional<QString> SystemReportDialogs::chooseExportPath(QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Export Results"), m_lastFolder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = {QStringLiteral("PDF report (*.pdf)"),
                                 QStringLiteral("CSV table (*.csv)"),
                                 QStringLiteral("JSON document (*.json)")};
    const QStringList suffixes = {QStringLiteral("pdf"), QStringLiteral("csv"),
                                  QStringLiteral("json")};
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(suffixes.front());
    // A name typed without an extension takes the one of the chosen file type.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        const auto i = filters.indexOf(filter);
        if (i >= 0) {
            dialog.setDefaultSuffix(suffixes[i]);
        }
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString path = dialog.selectedFiles().constFirst();
    m_lastFolder = QFileInfo(path).absolutePath();
    return path;
}

bool SystemReportDialogs::setUpPrinter(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print Results"));
    return dialog.exec() == QDialog::Accepted;
}

void SystemReportDialogs::showPrintPreview(QPrinter& printer,
                                           const std::function<void(QPrinter&)>& paint,
                                           QWidget* parent) {
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print Preview"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* shown) { paint(*shown); });
    dialog.exec();
}

}  // namespace ui

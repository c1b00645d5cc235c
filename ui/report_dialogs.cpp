#include "ui/report_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "ui/results_export.h"

namespace ui {

namespace {

// A save dialog offering `filters`, whose i-th file type adds suffixes[i] to a name typed
// without an extension. Opens in `*folder` and keeps there the folder of the file chosen.
std::optional<QString> ChooseSavePath(QWidget* parent, const QString& title,
                                      const QStringList& filters, const QStringList& suffixes,
                                      QString* folder) {
    QFileDialog dialog(parent, title, *folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(suffixes.front());
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
    *folder = QFileInfo(path).absolutePath();
    return path;
}

}  // namespace

std::optional<QString> SystemReportDialogs::chooseExportPath(QWidget* parent) {
    return ChooseSavePath(
        parent, QString::fromLatin1(kExportTitle),
        {QStringLiteral("PDF report (*.pdf)"), QStringLiteral("CSV table (*.csv)"),
         QStringLiteral("JSON document (*.json)")},
        {QStringLiteral("pdf"), QStringLiteral("csv"), QStringLiteral("json")}, &m_lastFolder);
}

std::optional<QString> SystemReportDialogs::chooseWhatIfExportPath(QWidget* parent) {
    return ChooseSavePath(
        parent, QString::fromLatin1(kWhatIfExportTitle),
        {QStringLiteral("CSV table (*.csv)"), QStringLiteral("PNG charts (*.png)")},
        {QStringLiteral("csv"), QStringLiteral("png")}, &m_lastFolder);
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

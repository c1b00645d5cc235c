// The seams through which the results page asks where to export and how to print, so that
// tests answer them without a modal window.
#ifndef UI_REPORT_DIALOGS_H_
#define UI_REPORT_DIALOGS_H_

#include <QString>
#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace ui {

class ReportDialogs {
public:
    virtual ~ReportDialogs() = default;
    // The file to export to; its extension (.csv, .json or .pdf) chooses the form. nullopt
    // when the user cancels.
    virtual std::optional<QString> chooseExportPath(QWidget* parent) = 0;
    // The file to export the What If page to: .png for the charts, else the table as CSV.
    // nullopt when the user cancels; by default the user does.
    virtual std::optional<QString> chooseWhatIfExportPath(QWidget* parent) {
        (void)parent;
        return std::nullopt;
    }
    // Lets the user pick and set up a printer; false when the user cancels.
    virtual bool setUpPrinter(QPrinter& printer, QWidget* parent) = 0;
    // Shows the pages `paint` draws on `printer` until the user closes the preview, from which
    // the user may print them.
    virtual void showPrintPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                                  QWidget* parent) = 0;
};

// The real ones: QFileDialog and QPrintDialog. The export dialog opens in the folder used last.
class SystemReportDialogs : public ReportDialogs {
public:
    std::optional<QString> chooseExportPath(QWidget* parent) override;
    std::optional<QString> chooseWhatIfExportPath(QWidget* parent) override;
    bool setUpPrinter(QPrinter& printer, QWidget* parent) override;
    void showPrintPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                          QWidget* parent) override;

private:
    QString m_lastFolder;
};

}  // namespace ui

#endif  // UI_REPORT_DIALOGS_H_

// Test doubles of the dialog seams: a file chooser that answers from a prepared list and a
// message sink that records what the user would have read and answers questions as told.
#ifndef TESTS_UI_SCRIPTED_SEAMS_H_
#define TESTS_UI_SCRIPTED_SEAMS_H_

#include <QList>
#include <QMarginsF>
#include <QPrinter>
#include <QQueue>
#include <QString>
#include <functional>
#include <optional>

#include "ui/cfrm_dialog.h"
#include "ui/dialogs.h"
#include "ui/report_dialogs.h"

namespace ui {

// Answers each request with the next prepared path; with none left, the user cancels.
class ScriptedFileChooser : public FileChooser {
public:
    void willChoose(const QString& path) { m_answers.enqueue(path); }
    void willCancel() { m_answers.enqueue(std::nullopt); }

    std::optional<QString> chooseDataFile(QWidget*) override {
        ++requests;
        if (whileAsked) {
            whileAsked();
        }
        return m_answers.isEmpty() ? std::nullopt : m_answers.dequeue();
    }
    // Add Files..., Open Plan... and Save Plan As...: the next prepared answer, or a cancel.
    QStringList chooseDataFiles(QWidget*) override {
        ++requests;
        return manyAnswers.isEmpty() ? QStringList{} : manyAnswers.dequeue();
    }
    std::optional<QString> choosePlanToOpen(QWidget* parent) override {
        return choosePlanToSave(parent, {});
    }
    std::optional<QString> choosePlanToSave(QWidget*, const QString&) override {
        ++planRequests;
        return planAnswers.isEmpty() ? std::nullopt : std::optional(planAnswers.dequeue());
    }

    // Runs while the user would see the dialog of chooseDataFile.
    std::function<void()> whileAsked;
    QQueue<QStringList> manyAnswers;
    QQueue<QString> planAnswers;
    int planRequests = 0;
    int requests = 0;

private:
    QQueue<std::optional<QString>> m_answers;
};

struct RecordedMessage {
    MessageIcon icon;
    QString title;
    QString text;
    QString detail;
};

class RecordingMessageSink : public MessageSink {
public:
    void showMessage(MessageIcon icon, const QString& title, const QString& text,
                     const QString& detail) override {
        messages.append({icon, title, text, detail});
    }
    SaveAnswer askToSaveChanges(const QString& title, const QString& text) override {
        questions.append({MessageIcon::kInformation, title, text, {}});
        return saveAnswer;
    }

    QList<RecordedMessage> messages;
    QList<RecordedMessage> questions;
    SaveAnswer saveAnswer = SaveAnswer::kDiscard;
};

// Answers the policy's Save As... with a prepared path, or a cancel, and keeps the name it offered.
class ScriptedPolicyChooser : public PolicyFileChooser {
public:
    std::optional<QString> choosePolicyFile(QWidget*, const QString& suggested) override {
        suggestedName = suggested;
        return path;
    }
    std::optional<QString> path;
    QString suggestedName;
};

// Answers the export dialogs with prepared paths; prints, and shows a preview, into a PDF file
// instead of on a printer or a screen, and keeps the margins the printer came with.
class ScriptedReportDialogs : public ReportDialogs {
public:
    std::optional<QString> chooseExportPath(QWidget*) override { return exportPath; }
    std::optional<QString> chooseWhatIfExportPath(QWidget*) override { return whatIfExportPath; }
    bool setUpPrinter(QPrinter& printer, QWidget*) override {
        marginsMm = printer.pageLayout().margins(QPageLayout::Millimeter);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printPath);
        return true;
    }
    void showPrintPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                          QWidget*) override {
        ++previews;
        marginsMm = printer.pageLayout().margins(QPageLayout::Millimeter);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printPath);
        paint(printer);
    }

    QString exportPath;
    std::optional<QString> whatIfExportPath;  // by default the user cancels
    QString printPath;
    QMarginsF marginsMm;
    int previews = 0;
};

}  // namespace ui

#endif  // TESTS_UI_SCRIPTED_SEAMS_H_

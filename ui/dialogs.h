// The seams through which windows ask the user something or tell the user something, so that
// tests answer them without a modal window.
#ifndef UI_DIALOGS_H_
#define UI_DIALOGS_H_

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QFileDialog;
class QMessageBox;
class QWidget;

namespace ui {

enum class MessageIcon { kInformation, kCritical };

// The answers to "save the changes before they are lost?".
enum class SaveAnswer { kSave, kDiscard, kCancel };

// Shows one message with a single OK button; returns when the user has read it.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(MessageIcon icon, const QString& title, const QString& text,
                             const QString& detail = {}) = 0;

    // Asks whether the unsaved changes are saved first, dropped, or the step that would lose
    // them is called off. A sink that cannot ask answers kCancel, so nothing is ever lost
    // without the user's word.
    virtual SaveAnswer askToSaveChanges(const QString& title, const QString& text) {
        (void)title;
        (void)text;
        return SaveAnswer::kCancel;
    }
};

// Asks the user for files; nullopt (or an empty list) when the user cancels.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual std::optional<QString> chooseDataFile(QWidget* parent) = 0;

    // Several data files at once, in the order the dialog gives them. By default one file.
    virtual QStringList chooseDataFiles(QWidget* parent) {
        const std::optional<QString> path = chooseDataFile(parent);
        return path ? QStringList{*path} : QStringList{};
    }

    // An existing plan file to open. By default the user cancels.
    virtual std::optional<QString> choosePlanToOpen(QWidget* parent) {
        (void)parent;
        return std::nullopt;
    }

    // Where to save a plan; `suggestedPath` is shown first and may be empty. By default the
    // user cancels.
    virtual std::optional<QString> choosePlanToSave(QWidget* parent, const QString& suggestedPath) {
        (void)parent;
        (void)suggestedPath;
        return std::nullopt;
    }

    // A captured text to read (a display saved from a console log, a policy job); `title`
    // says which. By default as a data file.
    virtual std::optional<QString> chooseTextFile(QWidget* parent, const QString& title) {
        (void)title;
        return chooseDataFile(parent);
    }
};

// The data-file dialogs: Add File takes one file and offers "All Files", "STA Files" and "SIM
// Files" with "STA Files" chosen; Add Files... takes several and offers "Statistics files"
// (both kinds) first, chosen.
enum class DataFileDialog { kOneFile, kSeveralFiles };

// Sets the title, the mode and the filters of `dialog` for `kind`.
void SetUpDataFileDialog(QFileDialog& dialog, DataFileDialog kind);

// The question of BoxMessageSink::askToSaveChanges, not yet shown: "&Save" (the default),
// "&Discard" and "&Cancel".
std::unique_ptr<QMessageBox> NewSaveChangesBox(const QString& title, const QString& text,
                                               QWidget* parent);

// The real ones: QMessageBox and QFileDialog.
class BoxMessageSink : public MessageSink {
public:
    explicit BoxMessageSink(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void showMessage(MessageIcon icon, const QString& title, const QString& text,
                     const QString& detail = {}) override;
    SaveAnswer askToSaveChanges(const QString& title, const QString& text) override;

private:
    QWidget* m_parent;
};

// Opens in the folder of the file chosen last, so that the files of one system are picked
// one after the other without walking there again.
class DialogFileChooser : public FileChooser {
public:
    std::optional<QString> chooseDataFile(QWidget* parent) override;
    QStringList chooseDataFiles(QWidget* parent) override;
    std::optional<QString> choosePlanToOpen(QWidget* parent) override;
    std::optional<QString> choosePlanToSave(QWidget* parent, const QString& suggestedPath) override;
    std::optional<QString> chooseTextFile(QWidget* parent, const QString& title) override;

private:
    QString m_lastFolder;
    QString m_lastPlanFolder;
};

}  // namespace ui

#endif  // UI_DIALOGS_H_

// The seams through which windows ask the user something or tell the user something, so that
// tests answer them without a modal window.
#ifndef UI_DIALOGS_H_
#define UI_DIALOGS_H_

#include <QString>
#include <optional>

class QWidget;

namespace ui {

enum class MessageIcon { kInformation, kCritical };

// Shows one message with a single OK button; returns when the user has read it.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(MessageIcon icon, const QString& title, const QString& text,
                             const QString& detail = {}) = 0;
};

// Asks the user for one data file; nullopt when the user cancels.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual std::optional<QString> chooseDataFile(QWidget* parent) = 0;
};

// The real ones: QMessageBox and QFileDialog.
class BoxMessageSink : public MessageSink {
public:
    explicit BoxMessageSink(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void showMessage(MessageIcon icon, const QString& title, const QString& text,
                     const QString& detail = {}) override;

private:
    QWidget* m_parent;
};

// Opens in the folder of the file chosen last, so that the files of one system are picked
// one after the other without walking there again.
class DialogFileChooser : public FileChooser {
public:
    std::optional<QString> chooseDataFile(QWidget* parent) override;

private:
    QString m_lastFolder;
};

}  // namespace ui

#endif  // UI_DIALOGS_H_

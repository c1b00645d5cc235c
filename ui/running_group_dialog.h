// "Running Group": the recommendation of the latest sizing beside what the running group reports
// about itself. The user opens or pastes the group buffer pools' display, the structures'
// display and the current policy's job, and names the new policy; the dialog shows the verdict
// per group buffer pool and the action per structure (icon and words), the warnings, how each
// came about, and the complete new policy and the steps, to copy or save.
#ifndef UI_RUNNING_GROUP_DIALOG_H_
#define UI_RUNNING_GROUP_DIALOG_H_

#include <QDialog>
#include <QVariantMap>
#include <array>
#include <map>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace core {
struct CfrmOptions;
struct CfrmPolicy;
struct CfrmSource;
struct RunningGroup;
struct SizingResult;
}  // namespace core

namespace ui {

class FileChooser;
class MessageSink;
class PolicyFileChooser;

class RunningGroupDialog : public QDialog {
    Q_OBJECT

public:
    // The three texts, in the order of their tabs.
    enum Input { kGbpDisplay, kXcfDisplay, kCurrentPolicy, kInputCount };

    // `messages`, `opener` (Open…) and `saver` (Save As…) must outlive the dialog.
    RunningGroupDialog(MessageSink& messages, FileChooser& opener, PolicyFileChooser& saver,
                       QWidget* parent = nullptr);
    ~RunningGroupDialog() override;

    // The recommendation: the sizing, where it came from, and the policy dialog's inputs (keys
    // as CfrmDialog::inputs()). The policy is made from them here, once, not on every edit.
    void setRecommendation(const core::SizingResult& sizing, const core::CfrmSource& source,
                           const QVariantMap& policyInputs);

    // The text of an input as the readers see it: the file's bytes as read, or what was pasted.
    // Save As… asks `saver` from now on; it must outlive the dialog.
    void setSaveChooser(PolicyFileChooser& saver) { m_saver = &saver; }

    const std::string& inputText(Input input) const { return m_texts[input]; }

    QString newPolicyText() const;
    QString stepsText() const;

    // What a plan keeps of the dialog: the file each text was opened from (a text typed or
    // pasted since has none) and the new policy's name, under the keys runningGbpDisplay,
    // runningXcfDisplay, runningPolicyJob and runningPolicyName; absent when not given.
    std::map<std::string, std::string> givenFiles() const;
    // Opens the files a plan names and takes its policy name. A file that cannot be read, or
    // holds nothing recognised, gives one message and leaves its text as it is.
    void openGivenFiles(const std::map<std::string, std::string>& given);

signals:
    // A file was opened or the new policy's name changed: what a plan keeps changed.
    void givenFilesChanged();

private:
    struct Reads;

    void openInput(Input input);
    // Reads `path` into the input's text; false, after one message, when it cannot.
    bool openFile(Input input, const QString& path);
    void inputEdited(Input input);
    void readInput(Input input);
    void compare();
    void showWhy();
    void saveText(const QString& text, const QString& suggestedName);

    MessageSink& m_messages;
    FileChooser& m_opener;
    PolicyFileChooser* m_saver;
    // The recommendation, made once per setRecommendation(); its `problem` also holds one of
    // the policy dialog's inputs.
    std::unique_ptr<core::CfrmOptions> m_options;
    std::unique_ptr<core::CfrmPolicy> m_policy;
    std::unique_ptr<core::RunningGroup> m_group;
    std::unique_ptr<Reads> m_reads;
    std::array<std::string, kInputCount> m_texts;
    std::array<QString, kInputCount> m_paths;  // the file each text came from, if any
    std::array<QPlainTextEdit*, kInputCount> m_edits{};
    QLineEdit* m_policyName;
    QTableWidget* m_table;
    QPlainTextEdit* m_why;
    QLabel* m_status;
    QPlainTextEdit* m_newPolicy;
    QPlainTextEdit* m_steps;
    std::array<QPushButton*, 4> m_outputButtons{};
};

}  // namespace ui

#endif  // UI_RUNNING_GROUP_DIALOG_H_

// "CFRM Policy": the STRUCTURE statements of the latest sizing for the policy utility. The
// user types the group name, the coupling facilities and the options; the preview, the pools
// left out, the warnings and the fit check follow every keystroke. Copy puts the text on the
// clipboard, Save As writes it to a file whole or not at all. The inputs are kept in the
// settings store when the dialog closes, and in a saved plan.
#ifndef UI_CFRM_DIALOG_H_
#define UI_CFRM_DIALOG_H_

#include <QDialog>
#include <QVariantMap>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace core {
struct CfrmOptions;
struct CfrmPolicy;
struct CfrmSource;
struct SizingResult;
}  // namespace core

namespace ui {

class MessageSink;

// Asks where to save the policy text; nullopt when the user cancels.
class PolicyFileChooser {
public:
    virtual ~PolicyFileChooser() = default;
    virtual std::optional<QString> choosePolicyFile(QWidget* parent,
                                                    const QString& suggestedName) = 0;
};

// The real one: a QFileDialog that asks before replacing a file.
class DialogPolicyFileChooser : public PolicyFileChooser {
public:
    std::optional<QString> choosePolicyFile(QWidget* parent, const QString& suggestedName) override;
};

// Save As of a text (a policy, a job, steps): asks `chooser` for the file, suggesting
// `suggestedName`, and writes `text` to it whole. A failed write gives one message: `title`,
// `failedText`, and the path and the reason as its detail; a cancel does nothing.
void SaveTextAs(const QString& text, const QString& suggestedName, PolicyFileChooser& chooser,
                MessageSink& messages, QWidget* parent, const QString& title,
                const QString& failedText);

// A plan's policy inputs (texts by key) as the dialog takes them.
QVariantMap PolicyInputs(const std::map<std::string, std::string>& planInputs);

// The policy options of dialog inputs (keys as CfrmDialog::inputs(), typed or as texts),
// missing keys at their defaults. Returns "" or the first rule an input breaks.
std::string ReadPolicyInputs(const QVariantMap& inputs, core::CfrmOptions& options);

class CfrmDialog : public QDialog {
    Q_OBJECT

public:
    // `messages` and `chooser` must outlive the dialog. The inputs start as stored.
    CfrmDialog(MessageSink& messages, PolicyFileChooser& chooser, QWidget* parent = nullptr);
    ~CfrmDialog() override;

    // The sizing and where it came from (the options of `source` are the dialog's own).
    void setSizing(const core::SizingResult& sizing, const core::CfrmSource& source);

    // The inputs as a plan or the settings store keeps them: keys "group", "facilities",
    // "growth", "duplex" ("default", "gbp", "all", "none"), "autoalt", "commandPrefix",
    // "freeSpace", "minRatio", "directoryEntryKb", "sharingDegree", "unmeasuredGbpMb",
    // "lockMb" (0: from the formula), "minSizePercent" (0: none), "lockDuplex" ("sync",
    // "async", "asynconly"), "spreadPreflist", "dumpSpaceMb", "explainSizes". Missing keys
    // keep the defaults.
    QVariantMap inputs() const;
    void setInputs(const QVariantMap& inputs);

    QString policyText() const;  // "" while an input breaks a rule

    // Stores the inputs, then closes.
    void done(int result) override;

signals:
    // The user changed an input (setInputs does not tell).
    void inputsEdited();

private:
    void inputChanged();
    void updatePreview();
    void copyText();
    void saveAs();

    MessageSink& m_messages;
    PolicyFileChooser& m_chooser;
    std::unique_ptr<core::SizingResult> m_sizing;
    std::unique_ptr<core::CfrmSource> m_source;
    std::unique_ptr<core::CfrmPolicy> m_policy;
    QLineEdit* m_group;
    QLineEdit* m_facilities;
    QDoubleSpinBox* m_growth;
    QComboBox* m_duplex;
    QCheckBox* m_autoAlter;
    QLineEdit* m_prefix;
    QLineEdit* m_freeSpace;
    QSpinBox* m_minRatio;
    QDoubleSpinBox* m_directoryEntry;
    QDoubleSpinBox* m_sharingDegree;
    QSpinBox* m_unmeasuredGbp;
    QComboBox* m_lockSize;
    QSpinBox* m_minSizePercent;
    QComboBox* m_lockDuplex;
    QCheckBox* m_spreadPreflist;
    QDoubleSpinBox* m_dumpSpace;
    QCheckBox* m_explain;
    QPlainTextEdit* m_preview;
    QLabel* m_status;
    QPushButton* m_copy;
    QPushButton* m_save;
    bool m_applyingInputs = false;
};

}  // namespace ui

#endif  // UI_CFRM_DIALOG_H_

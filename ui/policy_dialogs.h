// The two dialogs that work on the latest results, CFRM Policy and Running Group, made when
// first opened and kept for the window's life; and the policy inputs they share with the plan.
#ifndef UI_POLICY_DIALOGS_H_
#define UI_POLICY_DIALOGS_H_

#include <QObject>
#include <QVariantMap>
#include <map>
#include <memory>
#include <string>

#include "core/cfrm_policy.h"
#include "core/sizing.h"

class QWidget;

namespace core {
class Session;
}

namespace ui {

class CfrmDialog;
class DialogPolicyFileChooser;
class FileChooser;
class MessageSink;
class RunningGroupDialog;

class PolicyDialogs : public QObject {
    Q_OBJECT

public:
    // The dialogs are children of `window`. All references must outlive the object.
    PolicyDialogs(QWidget& window, MessageSink& messages, FileChooser& chooser,
                  core::Session& session);
    ~PolicyDialogs() override;

    // The session's last run is what the dialogs show from now on, with the files the policy's
    // comments name. REQUIRES: the session has a run.
    void takeLastRun();

    // The policy dialog's inputs as it shows them, or as it would start from: the plan's, else
    // those last used.
    QVariantMap inputs() const;
    // A plan's policy inputs: kept in the session and shown by the dialogs that exist.
    void applyPlanInputs(const std::map<std::string, std::string>& cfrm);
    // The plan's "cfrm" entries as the dialogs hold them now: the session's, the policy dialog's
    // inputs, and the files the Running Group dialog was given.
    std::map<std::string, std::string> planInputs() const;

    void openCfrm();
    void openRunning();

signals:
    // The user changed an input or a given file: the plan has unsaved changes.
    void edited();

private:
    QWidget& m_window;
    MessageSink& m_messages;
    FileChooser& m_chooser;
    core::Session& m_session;
    std::unique_ptr<DialogPolicyFileChooser> m_policyChooser;
    std::unique_ptr<core::SizingResult> m_sizing;  // the latest results; null before any
    std::unique_ptr<core::CfrmSource> m_source;
    CfrmDialog* m_cfrmDialog = nullptr;
    RunningGroupDialog* m_runningDialog = nullptr;
};

}  // namespace ui

#endif  // UI_POLICY_DIALOGS_H_

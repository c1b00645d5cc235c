#include "ui/policy_dialogs.h"

#include <QDate>
#include <QWidget>

#include "core/session.h"
#include "settings/cfrm_inputs.h"
#include "ui/cfrm_dialog.h"
#include "ui/data_text.h"
#include "ui/running_group_dialog.h"

namespace ui {

PolicyDialogs::PolicyDialogs(QWidget& window, MessageSink& messages, FileChooser& chooser,
                             core::Session& session)
    : QObject(&window),
      m_window(window),
      m_messages(messages),
      m_chooser(chooser),
      m_session(session),
      m_policyChooser(std::make_unique<DialogPolicyFileChooser>()) {}

PolicyDialogs::~PolicyDialogs() = default;

void PolicyDialogs::takeLastRun() {
    const core::SizingRun& run = *m_session.lastRun();
    m_sizing = std::make_unique<core::SizingResult>(run.result);
    m_source = std::make_unique<core::CfrmSource>(m_session.PolicySource(
        QDate::currentDate().toString(Qt::ISODate).toStdString(), run.membersText, run.ecsaText,
        [](const core::InputFile& file) {
            return core::CfrmSource::File{QString::fromLocal8Bit(file.path).toStdString(),
                                          DataText(file.collectionTime).toStdString()};
        }));
}

QVariantMap PolicyDialogs::inputs() const {
    if (m_cfrmDialog != nullptr) {
        return m_cfrmDialog->inputs();
    }
    const std::map<std::string, std::string>& planInputs = m_session.policyInputs();
    return planInputs.empty() ? settings::LoadCfrmInputs() : PolicyInputs(planInputs);
}

void PolicyDialogs::applyPlanInputs(const std::map<std::string, std::string>& cfrm) {
    m_session.SetPolicyInputs(cfrm);
    if (m_runningDialog != nullptr) {
        m_runningDialog->openGivenFiles(cfrm);
    }
    if (m_cfrmDialog != nullptr && !cfrm.empty()) {
        m_cfrmDialog->setInputs(PolicyInputs(cfrm));
    }
}

std::map<std::string, std::string> PolicyDialogs::planInputs() const {
    std::map<std::string, std::string> cfrm = m_session.policyInputs();
    // The dialog's inputs beside the keys other programs put in the plan.
    const QVariantMap shown = inputs();
    for (auto it = shown.begin(); it != shown.end(); ++it) {
        cfrm[it.key().toStdString()] = it.value().toString().toStdString();
    }
    // And the files the Running Group dialog was given, as it holds them now.
    if (m_runningDialog != nullptr) {
        std::erase_if(cfrm, [](const auto& entry) { return entry.first.starts_with("running"); });
        cfrm.merge(m_runningDialog->givenFiles());
    }
    return cfrm;
}

void PolicyDialogs::openCfrm() {
    if (!m_sizing) {
        return;
    }
    if (m_cfrmDialog == nullptr) {
        m_cfrmDialog = new CfrmDialog(m_messages, *m_policyChooser, &m_window);
        if (!m_session.policyInputs().empty()) {
            m_cfrmDialog->setInputs(PolicyInputs(m_session.policyInputs()));
        }
        connect(m_cfrmDialog, &CfrmDialog::inputsEdited, this, &PolicyDialogs::edited);
    }
    m_cfrmDialog->setSizing(*m_sizing, *m_source);
    m_cfrmDialog->open();
}

void PolicyDialogs::openRunning() {
    if (!m_sizing) {
        return;
    }
    const bool created = m_runningDialog == nullptr;
    if (created) {
        m_runningDialog =
            new RunningGroupDialog(m_messages, m_chooser, *m_policyChooser, &m_window);
        connect(m_runningDialog, &RunningGroupDialog::givenFilesChanged, this,
                &PolicyDialogs::edited);
    }
    m_runningDialog->setRecommendation(*m_sizing, *m_source, inputs());
    if (created) {
        m_runningDialog->openGivenFiles(m_session.policyInputs());
    }
    m_runningDialog->open();
}

}  // namespace ui

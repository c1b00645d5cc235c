#include "ui/plan_document.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMainWindow>
#include <QMenu>
#include <optional>
#include <utility>

#include "core/tables.h"
#include "settings/recent_files.h"
#include "ui/busy_guard.h"
#include "ui/dialogs.h"
#include "ui/load_runner.h"
#include "ui/path_kinds.h"
#include "ui/plan_account_dialog.h"
#include "ui/plan_io.h"
#include "ui/shell_messages.h"

namespace ui {
namespace {

const QString kSavePlanTitle = QStringLiteral("Save Plan");

QString ReasonNotOpened(PathKind kind) {
    switch (kind) {
        case PathKind::kFolder:
            return kFolderReason;
        case PathKind::kMissing:
            return kMissingReason;
        default:
            return kUnreadableReason;
    }
}

// "&3 /home/ann/plans/march.loomplan", the middle of a long path left out; a "&" in a path is
// shown as itself rather than taken for a mnemonic. The last digit is the mnemonic, so that the
// tenth entry ("1&0") does not share its key with the first.
QString RecentEntryText(int number, const QString& path, const QFontMetrics& metrics) {
    const QString shown = metrics.elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle,
                                             metrics.horizontalAdvance(QLatin1Char('x')) * 64);
    QString label = QString::number(number);
    label.insert(label.size() - 1, QLatin1Char('&'));
    return label + QLatin1Char(' ') +
           QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

PlanDocument::PlanDocument(QMainWindow& window, MessageSink& messages, FileChooser& chooser,
                           LoadRunner& loader, Actions actions)
    : QObject(&window),
      m_window(window),
      m_messages(messages),
      m_chooser(chooser),
      m_loader(loader),
      m_actions(std::move(actions)) {
    updateTitle();
}

void PlanDocument::fillRecentMenu(QMenu& menu) {
    menu.clear();
    const QStringList files = settings::RecentFilesStore().files();
    int number = 0;
    for (const QString& path : files) {
        QAction* entry = menu.addAction(RecentEntryText(++number, path, menu.fontMetrics()));
        entry->setToolTip(QDir::toNativeSeparators(path));
        entry->setStatusTip(QDir::toNativeSeparators(path));
        connect(entry, &QAction::triggered, this, [this, path] { openRecentFile(path); });
    }
    menu.setEnabled(!files.isEmpty());
}

void PlanDocument::openPaths(const QStringList& paths) {
    QString plan;
    QStringList dataFiles;
    QStringList notOpened;
    for (const QString& given : paths) {
        const QString path = QFileInfo(given).absoluteFilePath();
        const PathKind kind = KindOfPath(path);
        if (kind == PathKind::kDataFile) {
            dataFiles.append(path);
        } else if (kind == PathKind::kPlan && plan.isEmpty()) {
            plan = path;
        } else if (kind == PathKind::kPlan) {
            notOpened.append(QDir::toNativeSeparators(path) + QStringLiteral(": ") +
                             kSecondPlanReason);
        } else {
            notOpened.append(QDir::toNativeSeparators(path) + QStringLiteral(": ") +
                             ReasonNotOpened(kind));
        }
    }
    // The plan replaces the file list; files named beside it are added to the plan's. Cancel
    // calls off the whole step, files and all.
    if (!plan.isEmpty()) {
        if (!maybeSave()) {
            return;
        }
        open(plan);
    }
    m_actions.addDataFiles(dataFiles);
    if (!notOpened.isEmpty()) {
        m_messages.showMessage(MessageIcon::kInformation, kShellTitle, kPathsNotOpenedText,
                               notOpened.join(QLatin1Char('\n')));
    }
}

// The question about unsaved changes comes once a plan is chosen (openPaths), so that a
// cancelled dialog asks nothing.
void PlanDocument::chooseToOpen() {
    const std::optional<QString> path = m_chooser.choosePlanToOpen(&m_window);
    if (!path) {
        return;
    }
    // Whatever its name ends in, the chosen file opens as a plan or not at all; a report typed
    // here is never added to the statistics files.
    QString error;
    bool notAPlan = false;
    std::optional<core::Plan> plan =
        m_loader.readPlan(QFileInfo(*path).absoluteFilePath(), &error, &notAPlan);
    if (!plan) {
        if (!error.isEmpty()) {
            m_messages.showMessage(MessageIcon::kCritical, kOpenPlanTitle, error);
        }
        return;
    }
    if (maybeSave()) {
        openRead(QFileInfo(*path).absoluteFilePath(), std::move(*plan));
    }
}

bool PlanDocument::save() { return m_planPath.isEmpty() ? saveAs() : save(m_planPath); }

bool PlanDocument::saveAs() {
    // A first plan is offered in the folder of the first statistics file, where it is likely
    // to be looked for next month.
    QString suggested = m_planPath;
    if (const QString first = m_actions.firstDataFile(); suggested.isEmpty() && !first.isEmpty()) {
        suggested = QFileInfo(first).dir().filePath(kNewPlanName);
    }
    std::optional<QString> path = m_chooser.choosePlanToSave(&m_window, suggested);
    if (!path) {
        return false;
    }
    // Only a name ending in .loomplan opens as a plan again.
    if (!IsPlanPath(*path)) {
        path->append(QStringLiteral(".loomplan"));
    }
    return save(*path);
}

void PlanDocument::setPath(const QString& path) {
    m_planPath = QFileInfo(path).absoluteFilePath();
    m_unsavedChanges = false;
    updateTitle();
    settings::RecentFilesStore().add(m_planPath);
}

void PlanDocument::openRecentFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        settings::RecentFilesStore().remove(path);
        m_messages.showMessage(MessageIcon::kInformation, kRecentGoneTitle,
                               kRecentGoneText.arg(QDir::toNativeSeparators(path)));
        return;
    }
    openPaths({path});
}

void PlanDocument::setUnsavedChanges(bool unsaved) {
    if (m_unsavedChanges != unsaved) {
        m_unsavedChanges = unsaved;
        updateTitle();
    }
}

void PlanDocument::updateTitle() {
    if (m_planPath.isEmpty()) {
        m_window.setWindowTitle(kShellTitle);
        return;
    }
    m_window.setWindowTitle(QFileInfo(m_planPath).fileName() +
                            (m_unsavedChanges ? QStringLiteral("*") : QString()) +
                            QStringLiteral(" - ") + kShellTitle);
}

bool PlanDocument::maybeSave() {
    if (!m_unsavedChanges) {
        return true;
    }
    const QString question = m_planPath.isEmpty()
                                 ? kSaveChoicesText
                                 : kSaveChangesToPlanText.arg(QFileInfo(m_planPath).fileName());
    switch (m_messages.askToSaveChanges(kShellTitle, question)) {
        case SaveAnswer::kDiscard:
            return true;
        case SaveAnswer::kSave:
            return save();
        case SaveAnswer::kCancel:
            return false;
    }
    return false;
}

bool PlanDocument::open(const QString& path) {
    QString error;
    std::optional<core::Plan> plan = m_loader.readPlan(path, &error);
    if (!plan) {
        if (!error.isEmpty()) {
            m_messages.showMessage(MessageIcon::kCritical, kOpenPlanTitle, error);
        }
        return false;
    }
    return openRead(path, std::move(*plan));
}

bool PlanDocument::openRead(const QString& path, core::Plan&& plan) {
    if (const QString error = FirstGoneFile(plan); !error.isEmpty()) {
        m_messages.showMessage(MessageIcon::kCritical, kOpenPlanTitle, error);
        return false;
    }
    if (plan.files.empty()) {
        // A plan of choices alone applies to the files loaded now.
        m_actions.applyChoices(plan);
        setPath(path);
        return true;
    }
    std::optional<core::PlanAccount> fileItems = m_loader.checkPlanFiles(plan);
    if (!fileItems) {
        return false;
    }
    core::CoreTables listing;
    for (const core::PlanFile& file : plan.files) {
        core::AddSelectedFile(listing, file.path);
    }
    // Loaded aside, so that a file that fails to load leaves the tables as they were.
    std::optional<core::Session::Read> loaded = m_loader.readFiles(listing.lstSelectedFiles);
    if (!loaded) {
        return false;
    }
    m_actions.adopt(std::move(*loaded), plan, std::move(*fileItems));
    setPath(path);
    return true;
}

bool PlanDocument::save(const QString& path) {
    core::PlanCapture capture;
    {
        const BusyGuard busy;
        capture = m_actions.capture();
    }
    QString error;
    if (!WritePlan(path, capture.plan, &error)) {
        m_messages.showMessage(MessageIcon::kCritical, kSavePlanTitle, error);
        return false;
    }
    setPath(path);
    emit done(QStringLiteral("Saved %1").arg(QFileInfo(path).fileName()));
    if (!capture.account.empty()) {
        m_accounts->showAccount(kSavePlanTitle, capture.account);
    }
    return true;
}

}  // namespace ui

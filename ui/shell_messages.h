// Texts of the messages and questions of the main window's menus, the command line and drops.
#ifndef UI_SHELL_MESSAGES_H_
#define UI_SHELL_MESSAGES_H_

#include <QString>

namespace ui {

inline const QString kShellTitle = QStringLiteral("Loomstead");
// The title of Open Plan's messages and of the account of what a plan could not apply.
inline const QString kOpenPlanTitle = QStringLiteral("Open Plan");

// One message for every path of a drop or a command line that could not be opened; the detail
// has one line per path, "path: reason".
inline const QString kPathsNotOpenedText = QStringLiteral("Some files could not be opened.");
inline const QString kFolderReason =
    QStringLiteral("is a folder; add the statistics files inside it instead");
inline const QString kMissingReason = QStringLiteral("does not exist");
inline const QString kUnreadableReason = QStringLiteral("cannot be read");
inline const QString kSecondPlanReason =
    QStringLiteral("is a second plan; one plan is opened at a time");

// An Open Recent entry whose file is gone; %1 is its path.
inline const QString kRecentGoneTitle = QStringLiteral("Open Recent");
inline const QString kRecentGoneText =
    QStringLiteral("%1 no longer exists. It has been taken off the recent files.");

// The name offered for a plan saved for the first time.
inline const QString kNewPlanName = QStringLiteral("plan.loomplan");

// The question before unsaved choices would be lost; %1 is the plan's file name.
inline const QString kSaveChangesToPlanText =
    QStringLiteral("The plan %1 has unsaved changes. Save them?");
inline const QString kSaveChoicesText =
    QStringLiteral("Your choices have not been saved as a plan. Save them?");

}  // namespace ui

#endif  // UI_SHELL_MESSAGES_H_

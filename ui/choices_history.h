// The undo history of the user's choices: each share, return, tick or "Cache All Objects" is one
// step holding the choices before and after it, so that Undo and Redo put either back.
#ifndef UI_CHOICES_HISTORY_H_
#define UI_CHOICES_HISTORY_H_

#include <QString>
#include <functional>

#include "core/choices.h"

class QUndoStack;

namespace core {
class CoreTables;
}

namespace ui {

class ChoicesHistory {
public:
    // Puts back the choices of a step and shows them; called by Undo and Redo.
    using Restore = std::function<void(const core::Choices&)>;

    // `stack` and `tables` must outlive the history.
    ChoicesHistory(QUndoStack& stack, const core::CoreTables& tables, Restore restore);

    // The choices as the latest step left them.
    const core::Choices& last() const { return m_last; }
    // The choices of the tables just changed by the user: one step named `text`. Nothing when
    // they are as they were.
    void record(const QString& text);
    // Undo or Redo put back `choices`.
    void restored(const core::Choices& choices) { m_last = choices; }
    // The history starts again from the choices the tables hold now: after a load or a plan,
    // since the steps name lines of the tables they were taken on.
    void restart();

private:
    QUndoStack& m_stack;
    const core::CoreTables& m_tables;
    Restore m_restore;
    core::Choices m_last;
};

}  // namespace ui

#endif  // UI_CHOICES_HISTORY_H_

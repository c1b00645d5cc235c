#include "ui/choices_history.h"

#include <QUndoCommand>
#include <QUndoStack>
#include <utility>

namespace ui {
namespace {

// One step of the undo history: the choices before and after a user's action. The action is
// done when the step is pushed, so its first redo does nothing.
class ChoicesStep : public QUndoCommand {
public:
    ChoicesStep(const QString& text, core::Choices before, core::Choices after,
                ChoicesHistory::Restore restore)
        : QUndoCommand(text),
          m_before(std::move(before)),
          m_after(std::move(after)),
          m_restore(std::move(restore)) {}

    void undo() override { m_restore(m_before); }
    void redo() override {
        if (!std::exchange(m_pushed, false)) {
            m_restore(m_after);
        }
    }

private:
    core::Choices m_before;
    core::Choices m_after;
    ChoicesHistory::Restore m_restore;
    bool m_pushed = true;
};

}  // namespace

ChoicesHistory::ChoicesHistory(QUndoStack& stack, const core::CoreTables& tables, Restore restore)
    : m_stack(stack),
      m_tables(tables),
      m_restore(std::move(restore)),
      m_last(core::TakeChoices(tables)) {
    // A step keeps the cached lines before and after it: some megabytes for a pool of a
    // million objects.
    m_stack.setUndoLimit(100);
}

void ChoicesHistory::record(const QString& text) {
    core::Choices now = core::TakeChoices(m_tables);
    // Rebuilt on entering a page, which is no choice of the user's.
    m_last.lstSharedPools = now.lstSharedPools;
    if (now == m_last) {
        return;
    }
    m_stack.push(new ChoicesStep(text, std::move(m_last), now, m_restore));
    m_last = std::move(now);
}

void ChoicesHistory::restart() {
    m_stack.clear();
    m_last = core::TakeChoices(m_tables);
}

}  // namespace ui

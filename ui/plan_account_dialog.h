// The account of a plan's application: what did not carry over or changed meaning, shown as a
// list with Copy. Windows report through PlanAccountSink, so tests read the items instead.
#ifndef UI_PLAN_ACCOUNT_DIALOG_H_
#define UI_PLAN_ACCOUNT_DIALOG_H_

#include <QDialog>
#include <QString>

#include "core/plan.h"

class QListWidget;

namespace ui {

class PlanAccountSink {
public:
    virtual ~PlanAccountSink() = default;
    // Called only with a non-empty account; returns when the user has read it.
    virtual void showAccount(const QString& title, const core::PlanAccount& account) = 0;
};

// One line per item: its message.
QString PlanAccountText(const core::PlanAccount& account);

// The dialog: a sentence, the list of items, Copy (the lines to the clipboard) and Close.
class PlanAccountDialog : public QDialog {
    Q_OBJECT

public:
    PlanAccountDialog(const QString& title, const core::PlanAccount& account,
                      QWidget* parent = nullptr);

private:
    void copyItems();

    QString m_text;
    QListWidget* m_list;
};

// The real sink: a modal PlanAccountDialog.
class DialogPlanAccountSink : public PlanAccountSink {
public:
    explicit DialogPlanAccountSink(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void showAccount(const QString& title, const core::PlanAccount& account) override;

private:
    QWidget* m_parent;
};

}  // namespace ui

#endif  // UI_PLAN_ACCOUNT_DIALOG_H_

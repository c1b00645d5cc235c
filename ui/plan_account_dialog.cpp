#include "ui/plan_account_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ui {

QString PlanAccountText(const core::PlanAccount& account) {
    QString text;
    for (const core::PlanItem& item : account) {
        text += QString::fromStdString(item.message) + '\n';
    }
    return text;
}

PlanAccountDialog::PlanAccountDialog(const QString& title, const core::PlanAccount& account,
                                     QWidget* parent)
    : QDialog(parent), m_text(PlanAccountText(account)), m_list(new QListWidget(this)) {
    setObjectName(QStringLiteral("dlgPlanAccount"));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        account.size() == 1
            ? QStringLiteral("One choice did not carry over as it was:")
            : QStringLiteral("%1 choices did not carry over as they were:").arg(account.size()),
        this);
    layout->addWidget(intro);
    m_list->setObjectName(QStringLiteral("lstPlanAccount"));
    m_list->setUniformItemSizes(true);
    m_list->setWordWrap(false);
    m_list->setTextElideMode(Qt::ElideNone);  // a clipped path or name says nothing
    for (const core::PlanItem& item : account) {
        auto* entry = new QListWidgetItem(QString::fromStdString(item.message), m_list);
        entry->setToolTip(entry->text());
    }
    layout->addWidget(m_list, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("cmdCopyAccount"));
    copy->setAutoDefault(false);
    connect(copy, &QPushButton::clicked, this, &PlanAccountDialog::copyItems);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    const int widest = m_list->sizeHintForColumn(0) + 2 * m_list->frameWidth() + 40;
    resize(std::clamp(widest, 480, 960), 320);
}

void PlanAccountDialog::copyItems() { QApplication::clipboard()->setText(m_text); }

void DialogPlanAccountSink::showAccount(const QString& title, const core::PlanAccount& account) {
    PlanAccountDialog dialog(title, account, m_parent);
    // The account can come up while work shows the hourglass.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    dialog.exec();
    QApplication::restoreOverrideCursor();
}

}  // namespace ui

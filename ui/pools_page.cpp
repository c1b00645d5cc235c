#include "pools_page.h"

#include <QTreeView>
#include <QVBoxLayout>

#include "dialogs.h"
#include "tables.h"

namespace ui {

// Placeholder until the page is built: the lists are not shown yet.
PoolsPage::PoolsPage(core::CoreTables& tables, MessageSink& messages, const QString& clipPath,
                     QWidget* parent)
    : QWidget(parent), m_tables(tables), m_messages(messages), m_sharedPoolsView(new QTreeView(this)) {
    (void)clipPath;
    m_sharedPoolsView->setObjectName(QStringLiteral("lvSharedPools"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_sharedPoolsView);
}

PoolsPage::~PoolsPage() = default;

void PoolsPage::reloadFromTables() {}

QString PoolsPage::membersText() const { return QStringLiteral("1"); }

QString PoolsPage::ecsaText() const { return QStringLiteral("4"); }

QTreeView* PoolsPage::sharedPoolsView() const { return m_sharedPoolsView; }

}  // namespace ui

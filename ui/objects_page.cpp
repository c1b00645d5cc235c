#include "objects_page.h"

#include <QTreeView>
#include <QVBoxLayout>

#include "tables.h"

namespace ui {

// Placeholder until the page is built.
ObjectsPage::ObjectsPage(core::CoreTables& tables, QWidget* parent)
    : QWidget(parent), m_tables(tables), m_sharedObjectsView(new QTreeView(this)) {
    m_sharedObjectsView->setObjectName(QStringLiteral("lvSharedObjects"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_sharedObjectsView);
}

ObjectsPage::~ObjectsPage() = default;

void ObjectsPage::clearObjects() {}

void ObjectsPage::reloadPoolList() {}

QTreeView* ObjectsPage::sharedObjectsView() const { return m_sharedObjectsView; }

}  // namespace ui

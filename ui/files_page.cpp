#include "ui/files_page.h"

#include <QEvent>
#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>
#include <string>

#include "ui/dialogs.h"
#include "ui/first_arrow_selects.h"
#include "ui/page_hint.h"
#include "core/tables.h"
#include "core/text.h"

namespace ui {
namespace {

// A double-click anywhere on the list, on an entry or below the last one, adds a file.
class DoubleClickFilter : public QObject {
public:
    DoubleClickFilter(QObject* parent, FilesPage* page) : QObject(parent), m_page(page) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            m_page->addFile();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    FilesPage* m_page;
};

}  // namespace

FilesPage::FilesPage(core::CoreTables& tables, FileChooser& chooser, QWidget* parent)
    : QWidget(parent),
      m_tables(tables),
      m_chooser(chooser),
      m_fileList(new QListWidget(this)),
      m_addButton(new QPushButton(QStringLiteral("&Add File"), this)),
      m_removeButton(new QPushButton(QStringLiteral("&Remove File"), this)) {
    auto* heading = new QLabel(QStringLiteral("Currently Selected Files"), this);
    heading->setObjectName(QStringLiteral("lbl0"));
    heading->setBuddy(m_fileList);

    m_fileList->setObjectName(QStringLiteral("lstSelectedFiles"));
    m_fileList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_fileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_fileList->setTextElideMode(Qt::ElideMiddle);
    m_fileList->viewport()->installEventFilter(new DoubleClickFilter(this, this));
    m_fileList->setAccessibleName(QStringLiteral("Currently Selected Files"));
    MakeFirstArrowSelect(*m_fileList);

    m_addButton->setObjectName(QStringLiteral("cmdAdd"));
    m_addButton->setAccessibleName(QStringLiteral("Add File"));
    m_addButton->setToolTip(QStringLiteral("Choose a statistics file (.sta or .sim) to add"));
    m_removeButton->setObjectName(QStringLiteral("cmdRemove"));
    m_removeButton->setAccessibleName(QStringLiteral("Remove File"));
    m_removeButton->setToolTip(QStringLiteral("Take the selected file off the list"));

    QLabel* hint = NewPageHint(
        QStringLiteral("Add the buffer-pool statistics files of the DB2 system. Click "
                       "\u201CSelect Shared Pools\u201D to go on: the files are read then, and "
                       "Esc stops the reading."),
        QStringLiteral("lblFilesHint"), this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(heading, 0, 0);
    layout->addWidget(m_fileList, 1, 0, 3, 1);
    layout->addWidget(m_addButton, 1, 1);
    layout->addWidget(m_removeButton, 2, 1);
    layout->setRowStretch(3, 1);
    layout->addWidget(hint, 4, 0, 1, 2);
    layout->setColumnStretch(0, 1);

    connect(m_addButton, &QPushButton::clicked, this, &FilesPage::addFile);
    connect(m_removeButton, &QPushButton::clicked, this, &FilesPage::removeSelectedFile);
    auto* deleteKey = new QShortcut(QKeySequence::Delete, m_fileList);
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, &FilesPage::removeSelectedFile);

    setTabOrder(m_fileList, m_addButton);
    setTabOrder(m_addButton, m_removeButton);
    showFileList(-1);
}

FilesPage::~FilesPage() = default;

QListWidget* FilesPage::selectedFilesList() const { return m_fileList; }

QPushButton* FilesPage::addButton() const { return m_addButton; }

void FilesPage::reloadFromTables() { showFileList(-1); }

void FilesPage::addFile() {
    const std::optional<QString> path = m_chooser.chooseDataFile(window());
    if (!path) {
        return;
    }
    addFiles({*path});
}

void FilesPage::addFiles(const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    bool listed = false;
    for (const QString& path : paths) {
        listed = core::AddSelectedFile(m_tables, path.toStdString()) || listed;
    }
    // A file listed already is selected instead of added again.
    const int64_t row = core::FindSelectedFile(m_tables, paths.constLast().toStdString());
    showFileList(static_cast<int>(row));
    emit fileChosen();
    emit filesAdded(paths);
    if (listed) {
        emit fileListChanged();
    }
}

void FilesPage::removeSelectedFile() {
    const QList<QListWidgetItem*> selected = m_fileList->selectedItems();
    const int row = selected.isEmpty() ? -1 : m_fileList->row(selected.constFirst());
    core::RemoveSelectedFile(m_tables, row);
    if (row >= 0) {
        emit fileListChanged();
    }
    const int count = static_cast<int>(m_tables.lstSelectedFiles.size());
    showFileList(row < 0 ? -1 : std::min(row, count - 1));
}

void FilesPage::showFileList(int currentRow) {
    m_fileList->clear();
    for (const std::string& path : m_tables.lstSelectedFiles) {
        auto* item = new QListWidgetItem(QString::fromStdString(path), m_fileList);
        item->setToolTip(item->text());
    }
    if (currentRow >= 0 && currentRow < m_fileList->count()) {
        m_fileList->setCurrentRow(currentRow);
    }
}

}  // namespace ui

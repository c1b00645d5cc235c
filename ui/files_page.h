// The "Select Files" page: the list of chosen data files with "Add File" and "Remove File".
#ifndef UI_FILES_PAGE_H_
#define UI_FILES_PAGE_H_

#include <QStringList>
#include <QWidget>

class QListWidget;
class QPushButton;

namespace core {
class CoreTables;
}

namespace ui {

class FileChooser;

class FilesPage : public QWidget {
    Q_OBJECT

public:
    // `tables` and `chooser` must outlive the page.
    FilesPage(core::CoreTables& tables, FileChooser& chooser, QWidget* parent = nullptr);
    ~FilesPage() override;

    QListWidget* selectedFilesList() const;  // lstSelectedFiles
    QPushButton* addButton() const;          // cmdAdd
    // Shows lstSelectedFiles as it now stands (after a plan replaced it).
    void reloadFromTables();

signals:
    // The user picked a file in the dialog (also one already listed): "Select Shared Pools"
    // becomes reachable.
    void fileChosen();
    // The user chose these files (some may be listed already), in the dialog or elsewhere.
    void filesAdded(const QStringList& paths);
    // A file was put on the list or taken off it.
    void fileListChanged();

public slots:
    // Asks for a data file and lists it unless it is listed already. A cancel changes nothing.
    void addFile();
    // Lists each path that is not listed already, in order, selecting the last; "Select Shared
    // Pools" becomes reachable as after a file chosen in the dialog. An empty list changes nothing.
    void addFiles(const QStringList& paths);
    // Takes the selected file off the list; without a selection only marks the list changed.
    void removeSelectedFile();

private:
    void showFileList(int currentRow);

    core::CoreTables& m_tables;
    FileChooser& m_chooser;
    QListWidget* m_fileList;
    QPushButton* m_addButton;
    QPushButton* m_removeButton;
};

}  // namespace ui

#endif  // UI_FILES_PAGE_H_

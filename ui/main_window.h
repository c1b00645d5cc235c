// The main window "frmSelectFiles": the four pages of the wizard in "tbsMain", the "Cancel" /
// "Finish" button and the status bar. It owns the working tables; leaving the files page after
// the file list changed loads the files, entering "View Results" runs the sizing.
#ifndef UI_MAIN_WINDOW_H_
#define UI_MAIN_WINDOW_H_

#include <QMainWindow>
#include <QString>
#include <memory>

#include "loader.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace core {
class CoreTables;
}

namespace ui {

class FileChooser;
class FilesPage;
class MessageSink;
class ObjectsPage;
class PoolsPage;
class ResultsPage;
class WhatIfPage;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Pages of tbsMain, numbered from 0.
    enum Page { kFilesPage, kPoolsPage, kObjectsPage, kResultsPage, kWhatIfPage };

    // `messages` and `chooser` must outlive the window. `clipPath` is the Share All animation.
    MainWindow(MessageSink& messages, FileChooser& chooser, const QString& clipPath,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    const core::CoreTables& tables() const;
    ResultsPage* resultsPage() const;

protected:
    // The first showing asks for a data file at once and then restores the column widths.
    void showEvent(QShowEvent* event) override;
    // Every close stores the column widths; a close is never refused.
    void closeEvent(QCloseEvent* event) override;

private:
    void runFirstActivation();
    void changePage(int currentPage);
    void loadDataFiles();
    void runSizing();

    std::unique_ptr<core::CoreTables> m_tables;
    MessageSink& m_messages;
    QTabWidget* m_pages;
    FilesPage* m_filesPage;
    PoolsPage* m_poolsPage;
    ObjectsPage* m_objectsPage;
    ResultsPage* m_resultsPage;
    WhatIfPage* m_whatIfPage;
    QPushButton* m_quitButton;
    QProgressBar* m_readProgress;
    QLabel* m_dataSize;
    core::LoadResult m_lastLoad;  // for the JSON export of the results
    int m_currentPage = kFilesPage;
    bool m_shownBefore = false;
};

}  // namespace ui

#endif  // UI_MAIN_WINDOW_H_

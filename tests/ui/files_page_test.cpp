// The files page: adding and removing data files through the real buttons and list.
#include "ui/files_page.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "tests/ui/scripted_seams.h"
#include "core/tables.h"
#include "tests/ui/test_tables.h"

using ui::FilesPage;

class FilesPageTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addListsEachChosenFileOnce();
    void removeTakesTheSelectedFile();

private:
    QStringList listedFiles() const { return ui::Texts(m_list->model()); }
    void click(const char* button) { ui::ClickButton(m_page.get(), button); }
    void add(const QString& path);

    std::unique_ptr<core::CoreTables> m_tables;
    std::unique_ptr<ui::ScriptedFileChooser> m_chooser;
    std::unique_ptr<FilesPage> m_page;
    QListWidget* m_list = nullptr;
};

void FilesPageTest::init() {
    m_tables = std::make_unique<core::CoreTables>();
    m_chooser = std::make_unique<ui::ScriptedFileChooser>();
    m_page = std::make_unique<FilesPage>(*m_tables, *m_chooser);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
    m_list = m_page->findChild<QListWidget*>(QStringLiteral("lstSelectedFiles"));
    QVERIFY(m_list);
}

void FilesPageTest::cleanup() { m_page.reset(); }  // before the tables and the chooser it uses

void FilesPageTest::add(const QString& path) {
    m_chooser->willChoose(path);
    click("cmdAdd");
}

void FilesPageTest::addListsEachChosenFileOnce() {
    QSignalSpy chosen(m_page.get(), &FilesPage::fileChosen);
    m_chooser->willCancel();
    click("cmdAdd");
    QCOMPARE(m_chooser->requests, 1);
    QCOMPARE(chosen.count(), 0);
    QVERIFY(listedFiles().isEmpty());
    QVERIFY(!m_tables->FilesChanged);

    add(QStringLiteral("/data/db1a.sta"));
    // A double click anywhere on the list adds, below the entries as on one.
    m_chooser->willChoose(QStringLiteral("/data/db1b.sim"));
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {},
                       QPoint(10, m_list->viewport()->height() - 5));
    QCOMPARE(chosen.count(), 2);
    QCOMPARE(m_tables->lstSelectedFiles,
             std::vector<std::string>({"/data/db1a.sta", "/data/db1b.sim"}));
    QVERIFY(m_tables->FilesChanged);
    QCOMPARE(m_list->currentRow(), 1);

    // A file listed already still counts as a change, and is selected.
    m_tables->FilesChanged = false;  // as after a load
    add(QStringLiteral("/data/db1b.sim"));
    add(QStringLiteral("/data/db1a.sta"));
    QCOMPARE(listedFiles(), QStringList({"/data/db1a.sta", "/data/db1b.sim"}));
    QCOMPARE(chosen.count(), 4);
    QVERIFY(m_tables->FilesChanged);
    QCOMPARE(m_list->currentRow(), 0);
}

void FilesPageTest::removeTakesTheSelectedFile() {
    for (const char* path : {"/a.sta", "/b.sta", "/c.sta", "/d.sta"}) {
        add(QString::fromLatin1(path));
    }
    m_tables->FilesChanged = false;
    ui::ClickRow(m_list, 1);
    click("cmdRemove");
    QCOMPARE(listedFiles(), QStringList({"/a.sta", "/c.sta", "/d.sta"}));
    QVERIFY(m_tables->FilesChanged);
    // The entry that moved up takes the selection, so Remove can be clicked again.
    click("cmdRemove");
    QCOMPARE(listedFiles(), QStringList({"/a.sta", "/d.sta"}));

    m_list->setFocus();
    QTest::keyClick(m_list, Qt::Key_Delete);
    QCOMPARE(listedFiles(), QStringList({"/a.sta"}));

    m_list->clearSelection();
    m_tables->FilesChanged = false;
    click("cmdRemove");  // without a selection it only marks the list changed
    QCOMPARE(listedFiles(), QStringList({"/a.sta"}));
    QVERIFY(m_tables->FilesChanged);
}

QTEST_MAIN(FilesPageTest)
#include "files_page_test.moc"

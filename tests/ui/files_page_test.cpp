// The files page: adding and removing data files through the real buttons and list.
#include "files_page.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "scripted_seams.h"
#include "tables.h"

using ui::FilesPage;

class FilesPageTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cancelChangesNothing();
    void chosenFileIsListedAndReported();
    void sameFileTwiceIsListedOnce_data();
    void sameFileTwiceIsListedOnce();
    void doubleClickOnTheListAdds();
    void removeTakesTheSelectedFile();
    void removeWithoutSelectionOnlyMarksTheListChanged();
    void deleteKeyRemovesTheSelectedFile();

private:
    QStringList listedFiles() const;
    void click(const char* button);

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

void FilesPageTest::cleanup() {
    m_page.reset();
    m_chooser.reset();
    m_tables.reset();
}

QStringList FilesPageTest::listedFiles() const {
    QStringList files;
    for (int i = 0; i < m_list->count(); ++i) {
        files.append(m_list->item(i)->text());
    }
    return files;
}

void FilesPageTest::click(const char* button) {
    auto* target = m_page->findChild<QPushButton*>(QString::fromLatin1(button));
    QVERIFY(target);
    QVERIFY(target->isEnabled());
    QTest::mouseClick(target, Qt::LeftButton);
}

void FilesPageTest::cancelChangesNothing() {
    QSignalSpy chosen(m_page.get(), &FilesPage::fileChosen);
    m_chooser->willCancel();
    click("cmdAdd");
    QCOMPARE(m_chooser->requests, 1);
    QCOMPARE(chosen.count(), 0);
    QVERIFY(listedFiles().isEmpty());
    QVERIFY(!m_tables->FilesChanged);
}

void FilesPageTest::chosenFileIsListedAndReported() {
    QSignalSpy chosen(m_page.get(), &FilesPage::fileChosen);
    m_chooser->willChoose(QStringLiteral("  /data/db1a.sta "));
    m_chooser->willChoose(QStringLiteral("/data/db1b.sim"));
    click("cmdAdd");
    click("cmdAdd");
    QCOMPARE(chosen.count(), 2);
    QCOMPARE(listedFiles(), QStringList({"/data/db1a.sta", "/data/db1b.sim"}));
    QCOMPARE(m_tables->lstSelectedFiles,
             std::vector<std::string>({"/data/db1a.sta", "/data/db1b.sim"}));
    QVERIFY(m_tables->FilesChanged);
    QCOMPARE(m_list->currentRow(), 1);
}

void FilesPageTest::sameFileTwiceIsListedOnce_data() {
    QTest::addColumn<QString>("second");
    QTest::newRow("same path") << "/data/db1a.sta";
    QTest::newRow("other letter case") << "/DATA/DB1A.STA";
}

void FilesPageTest::sameFileTwiceIsListedOnce() {
    QFETCH(QString, second);
    QSignalSpy chosen(m_page.get(), &FilesPage::fileChosen);
    m_chooser->willChoose(QStringLiteral("/data/db1a.sta"));
    m_chooser->willChoose(QStringLiteral("/data/other.sim"));
    click("cmdAdd");
    click("cmdAdd");
    m_tables->FilesChanged = false;  // as after a load
    m_chooser->willChoose(second);
    click("cmdAdd");
    QCOMPARE(listedFiles(), QStringList({"/data/db1a.sta", "/data/other.sim"}));
    QCOMPARE(chosen.count(), 3);
    QVERIFY(m_tables->FilesChanged);
    QCOMPARE(m_list->currentRow(), 0);
}

void FilesPageTest::doubleClickOnTheListAdds() {
    m_chooser->willChoose(QStringLiteral("/data/db1a.sta"));
    m_chooser->willChoose(QStringLiteral("/data/db1b.sim"));
    // Below every entry, then on the first entry.
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {},
                       QPoint(10, m_list->viewport()->height() - 5));
    QCOMPARE(listedFiles(), QStringList({"/data/db1a.sta"}));
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {},
                       m_list->visualItemRect(m_list->item(0)).center());
    QCOMPARE(listedFiles(), QStringList({"/data/db1a.sta", "/data/db1b.sim"}));
}

void FilesPageTest::removeTakesTheSelectedFile() {
    for (const char* path : {"/a.sta", "/b.sta", "/c.sta"}) {
        m_chooser->willChoose(QString::fromLatin1(path));
        click("cmdAdd");
    }
    m_tables->FilesChanged = false;
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                      m_list->visualItemRect(m_list->item(1)).center());
    click("cmdRemove");
    QCOMPARE(listedFiles(), QStringList({"/a.sta", "/c.sta"}));
    QVERIFY(m_tables->FilesChanged);
    // The entry that moved up takes the selection, so Remove can be clicked again.
    click("cmdRemove");
    QCOMPARE(listedFiles(), QStringList({"/a.sta"}));
}

void FilesPageTest::removeWithoutSelectionOnlyMarksTheListChanged() {
    m_chooser->willChoose(QStringLiteral("/a.sta"));
    click("cmdAdd");
    m_list->clearSelection();
    m_tables->FilesChanged = false;
    click("cmdRemove");
    QCOMPARE(listedFiles(), QStringList({"/a.sta"}));
    QVERIFY(m_tables->FilesChanged);
}

void FilesPageTest::deleteKeyRemovesTheSelectedFile() {
    m_chooser->willChoose(QStringLiteral("/a.sta"));
    m_chooser->willChoose(QStringLiteral("/b.sta"));
    click("cmdAdd");
    click("cmdAdd");
    m_list->setFocus();
    QTest::keyClick(m_list, Qt::Key_Delete);
    QCOMPARE(listedFiles(), QStringList({"/a.sta"}));
}

QTEST_MAIN(FilesPageTest)
#include "files_page_test.moc"

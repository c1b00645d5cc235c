// The results page: the value labels beside their captions, the traces and warnings, and the
// results leaving the program by Copy, Export... and Print... (through fake dialogs).
#include "results_page.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "file_source.h"
#include "loader.h"
#include "pool_sharing.h"
#include "report_dialogs.h"
#include "scripted_seams.h"
#include "sizing.h"
#include "tables.h"
#include "test_tables.h"

namespace {

// Answers the export dialog with a prepared path; prints to a PDF file instead of a printer.
class FakeReportDialogs : public ui::ReportDialogs {
public:
    std::optional<QString> chooseExportPath(QWidget*) override { return exportPath; }
    bool setUpPrinter(QPrinter& printer, QWidget*) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printPath);
        return true;
    }
    QString exportPath;
    QString printPath;
};

// The caption label in the same frame and row as the value label, just left of it.
QString CaptionOf(const QLabel& value) {
    for (const QLabel* label : value.parentWidget()->findChildren<QLabel*>()) {
        if (label != &value && label->geometry().center().y() == value.geometry().center().y() &&
            label->geometry().right() < value.geometry().left() &&
            value.geometry().left() - label->geometry().right() < 40) {
            return label->text();
        }
    }
    return {};
}

QString PdfText(const QString& path) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, "-"});
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
}

}  // namespace

class ResultsPageTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void valuesStandBesideTheirCaptions();
    void selectionShowsItsTraceAndWarningsShowWhenAny();
    void copyPutsTabSeparatedText();
    void exportWritesByExtensionOrFailsWhole_data();
    void exportWritesByExtensionOrFailsWhole();
    void printDrawsTheReport();

private:
    void showSamples();

    core::CoreTables m_tables;
    ui::RecordingMessageSink m_messages;
    FakeReportDialogs m_dialogs;
    std::unique_ptr<ui::ResultsPage> m_page;
};

void ResultsPageTest::init() {
    m_page.reset();
    m_tables = core::CoreTables{};
    m_page = std::make_unique<ui::ResultsPage>(m_tables, m_messages);
    m_page->setReportDialogs(m_dialogs);
    m_page->resize(820, 560);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    m_messages.messages.clear();
}

// The two sample files, every pool shared, two members.
void ResultsPageTest::showSamples() {
    for (const char* name : {"db1a.sta", "db1b.sim"}) {
        core::AddSelectedFile(m_tables, std::string(LOOMSTEAD_SAMPLES_DIR "/") + name);
    }
    QVERIFY(core::LoadDataFiles(m_tables, core::DiskFileSource{}).ok());
    core::CountWorkFileObjects(m_tables);
    (void)core::ShareAllPools(m_tables);
    core::RebuildSharedPoolList(m_tables);
    m_page->showResult(core::RunSizing(m_tables, "2", "4"), {}, {"2", "4", {}});
}

void ResultsPageTest::valuesStandBesideTheirCaptions() {
    core::SizingResult result;
    result.lblInfo = {"  14.30.00", "  1", "  2", "  119"};
    result.lblRecommendation = {"  8 Mb", "  8 Mb", "  n/a", "  6 Mb", "  70000 Mb"};
    result.pools = {{"BP1", 120, 0, 2000, 0, 2000, 2000, {}}};
    m_page->showResult(result);
    const struct {
        const char* name;
        const char* caption;
        const char* value;
    } labels[] = {
        {"lblInfo0", "Collection Time", "  14.30.00"},
        {"lblInfo1", "No Of Pools Shared", "  1"},
        {"lblInfo2", "No of Shared DB2", "  2"},
        {"lblInfo3", "Total System Objects", "  119"},
        {"lblRecommendation0", "SCA Size", "  8 Mb"},
        {"lblRecommendation1", "Lock Structure Size", "  8 Mb"},
        {"lblRecommendation2", "Directory/Data Ratio", "  n/a"},
        {"lblRecommendation3", "IRLM ECSA Size", "  6 Mb"},
        {"lblRecommendation4", "Total Memory Required", "  70000 Mb"},
    };
    for (const auto& expected : labels) {
        const auto* label = m_page->findChild<QLabel*>(expected.name);
        QVERIFY2(label, expected.name);
        QCOMPARE(label->text(), expected.value);
        QCOMPARE(CaptionOf(*label), expected.caption);
    }
    m_page->clearResults();  // empties only the list
    QCOMPARE(m_page->resultsView()->model()->rowCount(), 0);
    QCOMPARE(m_page->findChild<QLabel*>("lblRecommendation4")->text(), "  70000 Mb");
    QVERIFY(!m_page->findChild<QPushButton*>("cmdExport")->isEnabled());
}

void ResultsPageTest::selectionShowsItsTraceAndWarningsShowWhenAny() {
    core::SizingResult result;
    result.pools = {{"BP1", 1, 0, 10, 0, 1000, 1000, {"row 1: 1000 pages"}},
                    {"BP2", 2, 0, 20, 0, 2000, 3500, {"row 1: 1500 pages", "row 2: 2000 pages"}}};
    result.gbpTotalPages = 4500;
    result.whyLockStructureSize = {"2 x 4 / 2 x 1.1 = 4.4", "fitted to 8 Mb"};
    m_page->showResult(result, {{"lock_at_ceiling", "Asked for 70 Mb."}});
    auto* why = m_page->findChild<QPlainTextEdit*>("txtWhy");
    ui::ClickRow(m_page->resultsView(), 1);
    QCOMPARE(why->toPlainText(), "\u2022 row 1: 1500 pages\n\u2022 row 2: 2000 pages");
    QTest::mouseClick(m_page->findChild<QLabel*>("lblRecommendation1"), Qt::LeftButton);
    QCOMPARE(why->toPlainText(), "\u2022 2 x 4 / 2 x 1.1 = 4.4\n\u2022 fitted to 8 Mb");
    ui::ClickRow(m_page->resultsView(), 1);  // the current row again
    QVERIFY(why->toPlainText().startsWith("\u2022 row 1: 1500 pages"));
    QCOMPARE(m_page->findChild<QLabel*>("lblGbpTotals")->text(),
             "GBP Size column: 3,000 pages in all. The total memory counts 4,500 GBP pages at 4 "
             "KB each: it adds every row of a pool spread over several files, the column only "
             "the last.");

    auto* warnings = m_page->findChild<QListWidget*>("lstWarnings");
    QVERIFY(warnings->isVisible());
    QCOMPARE(ui::Texts(warnings->model()), QStringList{"Asked for 70 Mb."});
    m_page->showResult(result);
    QVERIFY(!warnings->isVisible());
}

void ResultsPageTest::copyPutsTabSeparatedText() {
    core::SizingResult result;
    result.pools = {{"BP1", 120, 3, 2000, 10, 1500, 1500, {}}};
    result.scaSizeMb = 8;
    result.lockStructureSizeMb = 16;
    result.irlmEcsaSizeMb = 6;
    result.totalMemoryMb = 36;
    m_page->showResult(result);
    QTest::mouseClick(m_page->findChild<QPushButton*>("cmdCopy"), Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(),
             "Pool\tShared\tCache All\tVP Size\tHP Size\tGBP Size\n"
             "BP1\t120\t3\t2000\t10\t1500\n\n"
             "SCA Size\t8\tMb\nLock Structure Size\t16\tMb\nDirectory/Data Ratio\tn/a\t\n"
             "IRLM ECSA Size\t6\tMb\nTotal Memory Required\t36\tMb\n");
}

void ResultsPageTest::exportWritesByExtensionOrFailsWhole_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QString>("expected");  // in the file's text, or in the message
    QTest::newRow("pdf") << "report.pdf" << false
                         << "SCA Size 8 Mb Lock Structure Size 8 Mb Directory/Data Ratio 5 "
                            "directory entries per data entry IRLM ECSA Size 6 Mb Total Memory "
                            "Required 1150 Mb";
    QTest::newRow("json") << "results.json" << false << "1150";
    QTest::newRow("csv") << "results.csv" << false << "total_memory_mb,1150\r\n";
    QTest::newRow("pdf, no folder") << "missing/report.pdf" << true << "Cannot write";
    QTest::newRow("json, no folder") << "missing/results.json" << true << "Cannot write";
    QTest::newRow("unknown type") << "results.txt" << true << "ending in .csv, .json or .pdf";
}

void ResultsPageTest::exportWritesByExtensionOrFailsWhole() {
    QFETCH(QString, name);
    QFETCH(bool, fails);
    QFETCH(QString, expected);
    showSamples();
    const QTemporaryDir dir;
    m_dialogs.exportPath = dir.filePath(name);
    QTest::mouseClick(m_page->findChild<QPushButton*>("cmdExport"), Qt::LeftButton);
    if (fails) {
        QCOMPARE(m_messages.messages.size(), 1);
        QVERIFY(m_messages.messages[0].text.contains(expected));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        return;
    }
    QCOMPARE(m_messages.messages.size(), 0);
    if (name.endsWith(".json")) {
        QFile file(m_dialogs.exportPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(file.readAll()).object()["total_memory_mb"].toInt(),
                 expected.toInt());
        return;
    }
    if (name.endsWith(".csv")) {
        QFile file(m_dialogs.exportPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains(expected.toUtf8()));
        return;
    }
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        QSKIP("pdftotext (poppler-utils) is not installed");
    }
    QVERIFY(PdfText(m_dialogs.exportPath).contains(expected));
}

void ResultsPageTest::printDrawsTheReport() {
    showSamples();
    const QTemporaryDir dir;
    m_dialogs.printPath = dir.filePath("printed.pdf");
    QTest::mouseClick(m_page->findChild<QPushButton*>("cmdPrint"), Qt::LeftButton);
    QCOMPARE(m_messages.messages.size(), 0);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        QSKIP("pdftotext (poppler-utils) is not installed");
    }
    QVERIFY(PdfText(m_dialogs.printPath).contains("Total Memory Required 1150 Mb"));
}

QTEST_MAIN(ResultsPageTest)
#include "results_page_test.moc"

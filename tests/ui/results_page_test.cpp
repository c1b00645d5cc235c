// The results page: the value labels beside their captions, the traces and warnings, and the
// results leaving the program by Copy, Export... and Print... (through fake dialogs).
#include "results_page.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
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
    void valuesStandBesideTheirCaptionsAndCopyAsTabSeparatedText();
    void selectionShowsItsTraceAndWarningsShowWhenAny();
    void exportWritesByExtensionOrFailsWhole_data();
    void exportWritesByExtensionOrFailsWhole();

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

void ResultsPageTest::valuesStandBesideTheirCaptionsAndCopyAsTabSeparatedText() {
    core::SizingResult result;
    result.lblInfo = {"  14.30.00", "  1", "  2", "  119"};
    result.lblRecommendation = {"  8 Mb", "  8 Mb", "  n/a", "  6 Mb", "  70000 Mb"};
    result.pools = {{"BP1", 120, 3, 2000, 10, 1500, 1500, {}}};
    result.scaSizeMb = 8;  // the labels show the texts above; Copy takes the numbers
    result.lockStructureSizeMb = 16;
    result.irlmEcsaSizeMb = 6;
    result.totalMemoryMb = 36;
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
    QTest::mouseClick(m_page->findChild<QPushButton*>("cmdCopy"), Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(),
             "Pool\tShared\tCache All\tVP Size\tHP Size\tGBP Size\n"
             "BP1\t120\t3\t2000\t10\t1500\n\n"
             "SCA Size\t8\tMb\nLock Structure Size\t16\tMb\nDirectory/Data Ratio\tn/a\t\n"
             "IRLM ECSA Size\t6\tMb\nTotal Memory Required\t36\tMb\n");
    m_page->clearResults();  // empties only the list
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
    const QString totals = m_page->findChild<QLabel*>("lblGbpTotals")->text();
    QVERIFY(totals.contains("3,000 pages in all") && totals.contains("4,500 GBP pages"));

    auto* warnings = m_page->findChild<QListWidget*>("lstWarnings");
    QVERIFY(warnings->isVisible());
    QCOMPARE(ui::Texts(warnings->model()), QStringList{"Asked for 70 Mb."});
    m_page->showResult(result);
    QVERIFY(!warnings->isVisible());
}

void ResultsPageTest::exportWritesByExtensionOrFailsWhole_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");  // in the file's text; else in the message
    // The figures and layout of each format are the batch sizer's tests' business; here only
    // that the ending picks the writer, and that a failure leaves nothing behind.
    QTest::newRow("pdf") << "cmdExport"
                         << "report.pdf"
                         << "Total Memory Required 1150 Mb";
    QTest::newRow("print") << "cmdPrint"
                           << "printed.pdf"
                           << "Total Memory Required 1150 Mb";
    QTest::newRow("json") << "cmdExport"
                          << "results.json"
                          << "\"total_memory_mb\": 1150";
    QTest::newRow("csv") << "cmdExport"
                         << "results.csv"
                         << "total_memory_mb,1150\r\n";
    QTest::newRow("pdf, no folder") << "cmdExport"
                                    << "missing/report.pdf"
                                    << "Cannot write";
    QTest::newRow("json, no folder") << "cmdExport"
                                     << "missing/results.json"
                                     << "Cannot write";
    QTest::newRow("unknown type") << "cmdExport"
                                  << "results.txt"
                                  << "ending in .csv, .json or .pdf";
}

void ResultsPageTest::exportWritesByExtensionOrFailsWhole() {
    QFETCH(QString, button);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    showSamples();
    const QTemporaryDir dir;
    const QString path = dir.filePath(name);
    m_dialogs.exportPath = m_dialogs.printPath = path;
    QTest::mouseClick(m_page->findChild<QPushButton*>(button), Qt::LeftButton);
    if (!QFileInfo::exists(path)) {
        QCOMPARE(m_messages.messages.size(), 1);
        QVERIFY(m_messages.messages[0].text.contains(expected));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        return;
    }
    QCOMPARE(m_messages.messages.size(), 0);
    if (!name.endsWith(".pdf")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(file.readAll()).contains(expected));
    } else if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        QSKIP("pdftotext (poppler-utils) is not installed");
    } else {
        QVERIFY(PdfText(path).contains(expected));
    }
}

QTEST_MAIN(ResultsPageTest)
#include "results_page_test.moc"

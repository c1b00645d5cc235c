// The results page: the value labels beside their captions, the traces and warnings, the list
// sorted by clicks on its column titles, and the results leaving the program by Copy, Export...,
// Print... and the preview (through fake dialogs); and the What If page's rows and storage.
#include "ui/results_page.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "core/io/file_source.h"
#include "core/loader.h"
#include "core/pool_sharing.h"
#include "tests/ui/scripted_seams.h"
#include "core/sizing.h"
#include "core/tables.h"
#include "tests/ui/test_tables.h"
#include "ui/what_if_page.h"

namespace {

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

bool ReadsPdf() { return !QStandardPaths::findExecutable("pdftotext").isEmpty(); }

// The text of a written file; of a PDF, as pdftotext reads it.
QString WrittenText(const QString& path) {
    if (!path.endsWith(".pdf")) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, "-"});
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
}

core::SizingResult Rows(std::initializer_list<core::PoolResult> pools) {
    core::SizingResult result;
    result.pools = pools;
    return result;
}

// Pool, Shared, Cache All, VP Size, HP Size, GBP Size, GBP pages of every row, trace. BP2's VP
// size needs more than 32 bits.
const core::SizingResult kThreePools = Rows({{"BP1", 120, 0, 9, 0, 2000, 2000, {}},
                                             {"BP2", 40, 40, 3000000000, 0, 1000, 1000, {}},
                                             {"BP3", 7, 1, 100, 5, 3000, 3000, {}}});

}  // namespace

class ResultsPageTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void valuesStandBesideTheirCaptionsAndCopyAsTabSeparatedText();
    void selectionShowsItsTraceAndWarningsShowWhenAny();  // and Tab follows the layout
    void titleClicksAlternateTheOrderAndMoveTheMarker();  // kept for new rows, and copied
    void exportWritesByExtensionOrFailsWhole_data();
    void exportWritesByExtensionOrFailsWhole();
    void aPoolNameReadsTheSameOnThePageAndInEveryExport();
    void whatIfRowsEqualPlainRunsAndFollowTheChosenCount();

private:
    // Sizes these files, every pool shared, for 2 members and an ECSA of 4, and shows it.
    void showSized(const QStringList& files = {LOOMSTEAD_SAMPLES_DIR "/db1a.sta",
                                               LOOMSTEAD_SAMPLES_DIR "/db1b.sim"});
    void clickTitle(int column);
    QStringList titles() const;
    QStringList column(int column) const {
        return ui::Texts(m_page->resultsView()->model(), column);
    }

    core::CoreTables m_tables;
    ui::RecordingMessageSink m_messages;
    ui::ScriptedReportDialogs m_dialogs;
    std::unique_ptr<ui::ResultsPage> m_page;
};

void ResultsPageTest::init() {
    m_page.reset();
    m_tables = core::CoreTables{};
    m_dialogs = {};
    m_page = std::make_unique<ui::ResultsPage>(m_tables, m_messages);
    m_page->setReportDialogs(m_dialogs);
    m_page->resize(820, 560);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    m_messages.messages.clear();
}

void ResultsPageTest::showSized(const QStringList& files) {
    for (const QString& file : files) {
        core::AddSelectedFile(m_tables, file.toStdString());
    }
    QVERIFY(core::LoadDataFiles(m_tables, core::DiskFileSource{}).ok());
    core::CountWorkFileObjects(m_tables);
    (void)core::ShareAllPools(m_tables);
    core::RebuildSharedPoolList(m_tables);
    core::SizingRun run;
    run.result = core::RunSizing(m_tables, "2", "4");
    run.membersText = "2";
    run.ecsaText = "4";
    m_page->showResult(run);
}

void ResultsPageTest::clickTitle(int column) {
    QHeaderView* header = m_page->resultsView()->header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QStringList ResultsPageTest::titles() const {
    QStringList texts;
    for (int i = 0; i < m_page->resultsView()->model()->columnCount(); ++i) {
        texts.append(m_page->resultsView()->model()->headerData(i, Qt::Horizontal).toString());
    }
    return texts;
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
        // A screen reader reads the value itself, labelled by its caption.
        QAccessibleInterface* spoken =
            QAccessible::queryAccessibleInterface(const_cast<QLabel*>(label));
        QVERIFY(spoken != nullptr);
        QCOMPARE(spoken->text(QAccessible::Name), QString(expected.value).trimmed());
        // Its labels: the caption, and the frame around it.
        QStringList labels;
        for (const auto& [label, relation] : spoken->relations(QAccessible::Label)) {
            labels << label->text(QAccessible::Name);
        }
        QVERIFY2(labels.contains(expected.caption), qPrintable(labels.join(", ")));
    }
    QSignalSpy delivered(m_page.get(), &ui::ResultsPage::resultsDelivered);
    QTest::mouseClick(m_page->findChild<QPushButton*>("cmdCopy"), Qt::LeftButton);
    QCOMPARE(delivered.size(), 1);
    QCOMPARE(delivered[0][0].toString(), "Copied the results to the clipboard");
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

    m_page->findChild<QWidget*>("lblRecommendation0")->setFocus();
    QStringList order;
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, QStringList({"lblRecommendation1", "lblRecommendation2", "lblRecommendation3",
                                 "lblRecommendation4", "lvResults", "txtWhy", "lstWarnings",
                                 "cmdCopy", "cmdExport", "cmdPrint", "cmdCfrmPolicy"}));
    m_page->showResult(result);
    QVERIFY(!warnings->isVisible());
}

void ResultsPageTest::titleClicksAlternateTheOrderAndMoveTheMarker() {
    QTreeView* view = m_page->resultsView();
    QAbstractItemModelTester tester(view->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_page->showResult(kThreePools);
    QCOMPARE(titles(),
             QStringList({"Pool", "Shared", "Cache All", "VP Size", "HP Size", "GBP Size"}));
    QSignalSpy titlesChanged(view->model(), &QAbstractItemModel::headerDataChanged);
    clickTitle(3);
    QVERIFY(titlesChanged.count() > 0);  // so that the header shows them
    QCOMPARE(titles(),
             QStringList({"Pool", "Shared", "Cache All", "VP Size (A)", "HP Size", "GBP Size"}));
    QCOMPARE(column(3), QStringList({"9", "100", "3000000000"}));  // numbers by value
    clickTitle(3);
    QCOMPARE(titles()[3], "VP Size (D)");
    QCOMPARE(column(3), QStringList({"3000000000", "100", "9"}));

    clickTitle(0);
    QCOMPARE(titles(),
             QStringList({"Pool (A)", "Shared", "Cache All", "VP Size", "HP Size", "GBP Size"}));
    QCOMPARE(column(0), QStringList({"BP1", "BP2", "BP3"}));

    // From the keyboard: Ctrl and the column's number.
    m_page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(titles(),
             QStringList({"Pool", "Shared (A)", "Cache All", "VP Size", "HP Size", "GBP Size"}));
    QCOMPARE(column(1), QStringList({"7", "40", "120"}));
    QTest::keyClick(view, Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(column(1), QStringList({"120", "40", "7"}));

    // New rows keep the order (Copy takes them as shown: main_window_test's Ctrl+C).
    m_page->clearResults();
    QCOMPARE(view->model()->rowCount(), 0);
    m_page->showResult(Rows({{"bp1", 1, 0, 0, 0, 0, 0, {}},
                             {"BP2", 2, 0, 0, 0, 0, 0, {}},
                             {"Bp10", 3, 0, 0, 0, 0, 0, {}}}));
    QCOMPARE(titles()[1], "Shared (D)");
    QCOMPARE(column(0), QStringList({"Bp10", "BP2", "bp1"}));

    // Names sort without regard to letter case.
    clickTitle(0);
    QCOMPARE(column(0), QStringList({"bp1", "Bp10", "BP2"}));
    clickTitle(0);
    QCOMPARE(titles()[0], "Pool (D)");
    QCOMPARE(column(0), QStringList({"BP2", "Bp10", "bp1"}));
}

void ResultsPageTest::exportWritesByExtensionOrFailsWhole_data() {
    QTest::addColumn<QString>("button");  // "preview": the print preview, from the menu
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");  // in the file's text; else in the message
    QTest::addColumn<QStringList>("delivered");
    // The figures and layout of each format are the batch sizer's tests' business; here only
    // that the ending picks the writer, and that a failure leaves nothing behind.
    const QString total = "Total Memory Required 1150 Mb";
    // clang-format off
    QTest::newRow("pdf") << "cmdExport" << "report.pdf" << total
                         << QStringList{"Exported report.pdf"};
    QTest::newRow("print") << "cmdPrint" << "printed.pdf" << total
                           << QStringList{"Printed the report to printed.pdf"};
    QTest::newRow("preview") << "preview" << "preview.pdf" << total << QStringList();
    QTest::newRow("csv") << "cmdExport" << "results.csv" << "total_memory_mb,1150\r\n"
                         << QStringList{"Exported results.csv"};
    QTest::newRow("pdf, no folder")
        << "cmdExport" << "missing/report.pdf" << "Cannot write" << QStringList();
    QTest::newRow("json, no folder")
        << "cmdExport" << "missing/results.json" << "Cannot write" << QStringList();
    QTest::newRow("unknown type")
        << "cmdExport" << "results.txt" << "ending in .csv, .json or .pdf" << QStringList();
    // clang-format on
}

void ResultsPageTest::exportWritesByExtensionOrFailsWhole() {
    QFETCH(QString, button);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QFETCH(QStringList, delivered);
    showSized();
    const QTemporaryDir dir;
    const QString path = dir.filePath(name);
    m_dialogs.exportPath = m_dialogs.printPath = path;
    QSignalSpy said(m_page.get(), &ui::ResultsPage::resultsDelivered);
    if (button == "preview") {
        m_page->previewResults();
    } else {
        ui::ClickButton(m_page.get(), button);
    }
    QCOMPARE(m_dialogs.previews, button == "preview" ? 1 : 0);
    // Printed and previewed pages keep the report's margins.
    QCOMPARE(m_dialogs.marginsMm, button == "cmdExport" ? QMarginsF() : QMarginsF(15, 15, 15, 15));
    QStringList saidTexts;
    for (const QList<QVariant>& arguments : said) {
        saidTexts << arguments.at(0).toString();
    }
    QCOMPARE(saidTexts, delivered);
    if (!QFileInfo::exists(path)) {
        QCOMPARE(m_messages.messages.size(), 1);
        QVERIFY(m_messages.messages[0].text.contains(expected));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        return;
    }
    QCOMPARE(m_messages.messages.size(), 0);
    if (name.endsWith(".pdf") && !ReadsPdf()) {
        QVERIFY(QFileInfo(path).size() > 0);
        QSKIP("pdftotext (poppler-utils) is not installed");
    }
    QVERIFY2(WrittenText(path).contains(expected), qPrintable(WrittenText(path)));
}

void ResultsPageTest::aPoolNameReadsTheSameOnThePageAndInEveryExport() {
    // The bytes C3 A9 of a data file are two Latin-1 characters, as the batch sizer reads them.
    const QTemporaryDir dir;
    QFile data(dir.filePath("member.sta"));
    QVERIFY(data.open(QIODevice::WriteOnly));
    data.write("LOOMSTEAD STATISTICS ENV=TEST\r\nBPS" + QByteArray(17, ' ') + "BP\xC3\xA9        " +
               "      1000\r\nBPD" + QByteArray(25, ' ') + "TDB1.TS1\r\n");
    data.close();
    showSized({data.fileName()});
    const QString name = QStringLiteral("BP\u00C3\u00A9");
    QCOMPARE(column(0), QStringList{name});
    QTest::mouseClick(m_page->findChild<QPushButton*>("cmdCopy"), Qt::LeftButton);
    QVERIFY(QApplication::clipboard()->text().contains('\n' + name + '\t'));
    for (const QString file : {"r.csv", "r.json", "r.pdf"}) {
        if (file.endsWith(".pdf") && !ReadsPdf()) {
            continue;
        }
        m_dialogs.exportPath = dir.filePath(file);
        ui::ClickButton(m_page.get(), "cmdExport");
        const QString text = WrittenText(m_dialogs.exportPath);
        QVERIFY2(text.contains(name) && !text.contains(QStringLiteral("BP\u00E9")),
                 qPrintable(file));
    }
}

void ResultsPageTest::whatIfRowsEqualPlainRunsAndFollowTheChosenCount() {
    showSized();
    ui::WhatIfPage page;
    page.show();
    QSignalSpy shown(&page, &ui::WhatIfPage::sweepShown);
    page.startSweep(core::PrepareSizing(m_tables), "4");
    QVERIFY(shown.wait(10000));
    QTableWidget* table = page.table();
    QCOMPARE(table->rowCount(), 8);
    // Members, SCA, lock, ratio, IRLM ECSA, total: the batch sizer's figures for 2 members of
    // the samples; that every row is a plain run is sweep_test's.
    QStringList two;
    for (int column = 0; column < 6; ++column) {
        two << table->item(1, column)->text();
    }
    QCOMPARE(two, QStringList({"2", "8", "8", "5", "6", "1150"}));
    QVERIFY(table->isColumnHidden(6));  // no policy inputs, no storage

    // With policy inputs, the storage the batch sizer's --cfrm sweep gives for 2 and 5 members.
    page.setPolicyInputs({{"group", "DSNDB0G"}, {"facilities", "CF01,CF02"}});
    page.startSweep("4");
    QVERIFY(shown.wait(10000));
    QVERIFY(!table->isColumnHidden(6));
    QCOMPARE(table->item(1, 6)->text() + " " + table->item(4, 6)->text(), "2720 6484");

    auto* upTo = page.findChild<QSpinBox*>("spnMembersUpTo");
    upTo->selectAll();
    QTest::keyClicks(upTo, "3");
    QTest::keyClick(upTo, Qt::Key_Enter);
    QVERIFY(shown.wait(10000));
    QCOMPARE(ui::Texts(table->model()), (QStringList{"1", "2", "3"}));
}

QTEST_MAIN(ResultsPageTest)
#include "results_page_test.moc"

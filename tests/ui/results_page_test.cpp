// The results page: the nine value labels beside their captions, and the results list.
#include "results_page.h"

#include <QLabel>
#include <QTest>
#include <QTreeView>

#include "sizing.h"

class ResultsPageTest : public QObject {
    Q_OBJECT

private slots:
    void valuesStandBesideTheirCaptions();
};

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

}  // namespace

void ResultsPageTest::valuesStandBesideTheirCaptions() {
    ui::ResultsPage page;
    page.resize(800, 600);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    core::SizingResult result;
    result.lblInfo = {"  14.30.00", "  1", "  2", "  119"};
    result.lblRecommendation = {"  8 Mb", "  8 Mb", "  n/a", "  6 Mb", "  70000 Mb"};
    result.pools = {{"BP1", 120, 0, 2000, 0, 2000, {}}};
    page.showResult(result);

    const struct {
        const char* name;
        const char* caption;
        const char* value;
        const char* frame;
    } labels[] = {
        {"lblInfo0", "Collection Time", "  14.30.00", "System Information"},
        {"lblInfo1", "No Of Pools Shared", "  1", "System Information"},
        {"lblInfo2", "No of Shared DB2", "  2", "System Information"},
        {"lblInfo3", "Total System Objects", "  119", "System Information"},
        {"lblRecommendation0", "SCA Size", "  8 Mb", "Recommendations"},
        {"lblRecommendation1", "Lock Structure Size", "  8 Mb", "Recommendations"},
        {"lblRecommendation2", "Directory/Data Ratio", "  n/a", "Recommendations"},
        {"lblRecommendation3", "IRLM ECSA Size", "  6 Mb", "Recommendations"},
        {"lblRecommendation4", "Total Memory Required", "  70000 Mb", "Recommendations"},
    };
    for (const auto& expected : labels) {
        const auto* label = page.findChild<QLabel*>(expected.name);
        QVERIFY2(label, expected.name);
        QCOMPARE(label->text(), expected.value);
        QCOMPARE(CaptionOf(*label), expected.caption);
        QCOMPARE(label->parentWidget()->property("title").toString(), expected.frame);
    }
    QCOMPARE(page.resultsView()->model()->rowCount(), 1);
    QCOMPARE(page.resultsView()->model()->index(0, 0).data().toString(), "BP1");

    page.clearResults();  // empties only the list
    QCOMPARE(page.resultsView()->model()->rowCount(), 0);
    QCOMPARE(page.findChild<QLabel*>("lblRecommendation4")->text(), "  70000 Mb");
}

QTEST_MAIN(ResultsPageTest)
#include "results_page_test.moc"

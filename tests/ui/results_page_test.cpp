// The results page: the nine value labels beside their captions, and the results list.
#include "results_page.h"

#include <QGroupBox>
#include <QLabel>
#include <QTest>
#include <QTreeView>

#include "sizing.h"

class ResultsPageTest : public QObject {
    Q_OBJECT

private slots:
    void valuesStandBesideTheirCaptions();
    void clearingEmptiesOnlyTheList();
};

namespace {

QString LabelText(const QWidget& page, const QString& name) {
    const auto* label = page.findChild<QLabel*>(name);
    return label == nullptr ? QStringLiteral("<missing %1>").arg(name) : label->text();
}

// The caption label in the same frame and row as the value label, to its left.
QString CaptionOf(const QWidget& page, const QString& valueName) {
    const auto* value = page.findChild<QLabel*>(valueName);
    if (value == nullptr) {
        return {};
    }
    for (const QLabel* label : value->parentWidget()->findChildren<QLabel*>()) {
        if (label != value && label->geometry().center().y() == value->geometry().center().y() &&
            label->geometry().right() < value->geometry().left() &&
            value->geometry().left() - label->geometry().right() < 40) {
            return label->text();
        }
    }
    return {};
}

core::SizingResult Sample() {
    core::SizingResult result;
    result.lblInfo = {"  14.30.00", "  1", "  2", "  119"};
    result.lblRecommendation = {"  8 Mb", "  8 Mb", "  n/a", "  6 Mb", "  70000 Mb"};
    result.pools = {{"BP1", 120, 0, 2000, 0, 2000}};
    return result;
}

}  // namespace

void ResultsPageTest::valuesStandBesideTheirCaptions() {
    ui::ResultsPage page;
    page.resize(800, 600);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.showResult(Sample());

    const QList<std::pair<QString, QString>> info = {{"Collection Time", "  14.30.00"},
                                                     {"No Of Pools Shared", "  1"},
                                                     {"No of Shared DB2", "  2"},
                                                     {"Total System Objects", "  119"}};
    for (int i = 0; i < info.size(); ++i) {
        const QString name = QStringLiteral("lblInfo%1").arg(i);
        QCOMPARE(LabelText(page, name), info[i].second);
        QCOMPARE(CaptionOf(page, name), info[i].first);
        QCOMPARE(page.findChild<QLabel*>(name)->parentWidget()->property("title").toString(),
                 "System Information");
    }
    const QList<std::pair<QString, QString>> recommendations = {
        {"SCA Size", "  8 Mb"},
        {"Lock Structure Size", "  8 Mb"},
        {"Directory/Data Ratio", "  n/a"},
        {"IRLM ECSA Size", "  6 Mb"},
        {"Total Memory Required", "  70000 Mb"}};
    for (int i = 0; i < recommendations.size(); ++i) {
        const QString name = QStringLiteral("lblRecommendation%1").arg(i);
        QCOMPARE(LabelText(page, name), recommendations[i].second);
        QCOMPARE(CaptionOf(page, name), recommendations[i].first);
        QCOMPARE(page.findChild<QLabel*>(name)->parentWidget()->property("title").toString(),
                 "Recommendations");
    }
    // Two columns: the right-hand captions stand right of the left-hand values.
    QVERIFY(page.findChild<QLabel*>("lblInfo2")->x() > page.findChild<QLabel*>("lblInfo0")->x());
    QVERIFY(page.findChild<QLabel*>("lblRecommendation3")->x() >
            page.findChild<QLabel*>("lblRecommendation2")->x());

    const auto* list = page.findChild<QTreeView*>(QStringLiteral("lvResults"));
    QVERIFY(list);
    QCOMPARE(list->model()->rowCount(), 1);
    QCOMPARE(list->model()->index(0, 0).data().toString(), "BP1");
}

void ResultsPageTest::clearingEmptiesOnlyTheList() {
    ui::ResultsPage page;
    page.showResult(Sample());
    page.clearResults();
    QCOMPARE(page.resultsView()->model()->rowCount(), 0);
    QCOMPARE(LabelText(page, QStringLiteral("lblRecommendation4")), "  70000 Mb");
}

QTEST_MAIN(ResultsPageTest)
#include "results_page_test.moc"

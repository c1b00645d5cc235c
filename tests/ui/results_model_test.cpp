// The results list's model: cells as text, numbers as numbers for sorting, checked by
// QAbstractItemModelTester.
#include "results_model.h"

#include <QAbstractItemModelTester>
#include <QTest>

using ui::ResultsModel;

class ResultsModelTest : public QObject {
    Q_OBJECT

private slots:
    void cellsShowTextAndSortByValue();
};

void ResultsModelTest::cellsShowTextAndSortByValue() {
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setPools({{"BP32K", 70000, -1, 3000000000, 12, 0, 0, {}}});
    const QStringList shown = {"BP32K", "70000", "-1", "3000000000", "12", "0"};
    const QVariantList sorted = {"BP32K", 70000LL, -1LL, 3000000000LL, 12LL, 0LL};
    for (int column = 0; column < 6; ++column) {
        QCOMPARE(model.index(0, column).data(), QVariant(shown[column]));
        QCOMPARE(model.index(0, column).data(ResultsModel::kSortRole), sorted[column]);
    }
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
}

QTEST_GUILESS_MAIN(ResultsModelTest)
#include "results_model_test.moc"

// The results list's model: every cell as text, checked by QAbstractItemModelTester.
#include "results_model.h"

#include <QAbstractItemModelTester>
#include <QTest>

using ui::ResultsModel;

class ResultsModelTest : public QObject {
    Q_OBJECT

private slots:
    void cellsAreTheValuesAsText();
};

void ResultsModelTest::cellsAreTheValuesAsText() {
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setPools(
        {{"BP1", 120, 0, 2000, 0, 2000, 2000, {}}, {"BP32K", 70000, -1, 3000000000, 12, 0, 0, {}}});
    QCOMPARE(model.rowCount(), 2);
    const QStringList first = {"BP1", "120", "0", "2000", "0", "2000"};
    const QStringList second = {"BP32K", "70000", "-1", "3000000000", "12", "0"};
    for (int column = 0; column < 6; ++column) {
        QCOMPARE(model.index(0, column).data(), QVariant(first[column]));
        QCOMPARE(model.index(1, column).data(), QVariant(second[column]));
    }
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
}

QTEST_GUILESS_MAIN(ResultsModelTest)
#include "results_model_test.moc"

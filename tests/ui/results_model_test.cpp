// The results list's model: cells as text, titles that can carry a marker.
#include "results_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using ui::ResultsModel;

class ResultsModelTest : public QObject {
    Q_OBJECT

private slots:
    void cellsAreTheValuesAsText();
    void titlesCanBeChanged();
    void passesTheModelChecks();
};

void ResultsModelTest::cellsAreTheValuesAsText() {
    ResultsModel model;
    model.setPools({{"BP1", 120, 0, 2000, 0, 2000}, {"BP32K", 70000, -1, 3000000000, 12, 0}});
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 6);
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

void ResultsModelTest::titlesCanBeChanged() {
    ResultsModel model;
    QSignalSpy changed(&model, &QAbstractItemModel::headerDataChanged);
    QVERIFY(model.setHeaderData(3, Qt::Horizontal, QStringLiteral("VP Size (A)")));
    QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), "VP Size (A)");
    QCOMPARE(changed.count(), 1);
    QVERIFY(!model.setHeaderData(6, Qt::Horizontal, QStringLiteral("x")));
    QVERIFY(!model.setHeaderData(0, Qt::Vertical, QStringLiteral("x")));
}

void ResultsModelTest::passesTheModelChecks() {
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setPools({{"BP1", 1, 0, 2, 0, 3}, {"BP2", 4, 4, 5, 0, 6}});
    model.setHeaderData(0, Qt::Horizontal, QStringLiteral("Pool (D)"));
    model.clear();
}

QTEST_GUILESS_MAIN(ResultsModelTest)
#include "results_model_test.moc"

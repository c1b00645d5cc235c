// The item models of the pool lists, checked by QAbstractItemModelTester through reloads.
#include "pool_lists.h"

#include <QAbstractItemModelTester>
#include <QTest>

#include "tables.h"

namespace ui {

class PoolListsTest : public QObject {
    Q_OBJECT

private slots:
    void modelsFollowTheirTables();
};

void PoolListsTest::modelsFollowTheirTables() {
    std::vector<std::string> names;
    std::vector<core::SharedPoolEntry> shared;
    PoolNamesModel namesModel(names);
    SharedPoolsModel sharedModel(shared);
    const auto mode = QAbstractItemModelTester::FailureReportingMode::QtTest;
    QAbstractItemModelTester namesTester(&namesModel, mode);
    QAbstractItemModelTester sharedTester(&sharedModel, mode);

    names = {"BP0", "bp1"};
    shared = {{"BP2", 5}, {"BP16K1", 40000}};
    namesModel.reload();
    sharedModel.reload();
    QCOMPARE(namesModel.rowCount(), 2);
    QCOMPARE(namesModel.index(1, 0).data().toString(), QStringLiteral("bp1"));
    QCOMPARE(sharedModel.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Pool Name"));
    QCOMPARE(sharedModel.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Total Objects"));
    QCOMPARE(sharedModel.index(1, 0).data().toString(), QStringLiteral("BP16K1"));
    QCOMPARE(sharedModel.index(1, 1).data().toString(), QStringLiteral("40000"));
    QVERIFY(sharedModel.index(1, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);

    names.clear();
    shared.erase(shared.begin());
    namesModel.reload();
    sharedModel.reload();
    QCOMPARE(namesModel.rowCount(), 0);
    QCOMPARE(sharedModel.rowCount(), 1);
    QCOMPARE(sharedModel.index(0, 1).data().toString(), QStringLiteral("40000"));
}

}  // namespace ui

QTEST_GUILESS_MAIN(ui::PoolListsTest)
#include "pool_lists_test.moc"

// The objects of the chosen pool as a model, checked by QAbstractItemModelTester: the names as
// they stand in their columns, the keys, and check marks that count each change once.
#include "shared_objects_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <string>

#include "tables.h"
#include "test_tables.h"

namespace ui {

class SharedObjectsModelTest : public QObject {
    Q_OBJECT

private slots:
    void showsNamesAndTakesTheUsersCheckMarks();
};

void SharedObjectsModelTest::showsNamesAndTakesTheUsersCheckMarks() {
    // BP1 in two files: lines 0-1 and 2-3; line 2 is cached, line 3 ends before the name field.
    core::CoreTables tables;
    const std::string blanks(29, ' ');
    tables.AppendLine(blanks + "DBA.TSA");
    tables.AppendLine(blanks + "DBA.TSB  ");
    tables.AppendLine(blanks + "DBC.AVERYLONGTABLESPACENAME01XYZ", -1);
    tables.AppendLine(blanks);
    tables.lvControl = {Row(0, "BP1", 0, 1), Row(1, "BP1", 2, 3)};
    SharedObjectsModel model(tables);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy changed(&model, &SharedObjectsModel::objectCachedChanged);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Oject Name"));

    model.showPool(" bp1 ");
    QCOMPARE(model.rowCount(), 4);
    // Blanks kept, cut at 27 characters, empty when the line ends before the field.
    QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("DBA.TSB  "));
    QCOMPARE(model.index(2, 0).data().toString(), QStringLiteral("DBC.AVERYLONGTABLESPACENAME"));
    QCOMPARE(model.index(3, 0).data().toString(), QString());
    QCOMPARE(model.index(2, 0).data(SharedObjectsModel::kObjectKeyRole).toString(), "O2");
    QCOMPARE(model.index(2, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));

    QVERIFY(model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));  // no change
    QCOMPARE(tables.lstData[0].ItemData, -1);
    QCOMPARE(model.objects().cached, 2);
    QCOMPARE(changed.count(), 1);
    QVERIFY(!model.setData(model.index(0, 0), QStringLiteral("X"), Qt::EditRole));

    model.clear();
    QCOMPARE(model.rowCount(), 0);
}

}  // namespace ui

QTEST_GUILESS_MAIN(ui::SharedObjectsModelTest)
#include "shared_objects_model_test.moc"

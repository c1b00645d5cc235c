// The What If page: each row of its table is a plain sizing run with that many members.
#include "what_if_page.h"

#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "file_source.h"
#include "loader.h"
#include "pool_sharing.h"
#include "tables.h"
#include "test_tables.h"

class WhatIfPageTest : public QObject {
    Q_OBJECT

private slots:
    void rowsEqualPlainRunsAndFollowTheChosenCount();
};

void WhatIfPageTest::rowsEqualPlainRunsAndFollowTheChosenCount() {
    core::CoreTables tables;
    for (const char* name : {"db1a.sta", "db1b.sim"}) {
        core::AddSelectedFile(tables, std::string(LOOMSTEAD_SAMPLES_DIR "/") + name);
    }
    QVERIFY(core::LoadDataFiles(tables, core::DiskFileSource{}).ok());
    core::CountWorkFileObjects(tables);
    (void)core::ShareAllPools(tables);
    core::RebuildSharedPoolList(tables);

    ui::WhatIfPage page(tables);
    page.show();
    QSignalSpy shown(&page, &ui::WhatIfPage::sweepShown);
    page.startSweep("4");
    QVERIFY(shown.wait(10000));
    QTableWidget* table = page.table();
    QCOMPARE(table->rowCount(), 8);
    // Members, SCA, lock, ratio, IRLM ECSA, total: the batch sizer's figures for 2 and 5
    // members of the samples.
    const QStringList two = {"2", "8", "8", "5", "6", "1150"};
    const QStringList five = {"5", "8", "16", "5", "6", "2830"};
    for (int column = 0; column < 6; ++column) {
        QCOMPARE(table->item(1, column)->text(), two[column]);
        QCOMPARE(table->item(4, column)->text(), five[column]);
    }

    auto* upTo = page.findChild<QSpinBox*>("spnMembersUpTo");
    upTo->selectAll();
    QTest::keyClicks(upTo, "3");
    QTest::keyClick(upTo, Qt::Key_Enter);
    QVERIFY(shown.wait(10000));
    QCOMPARE(ui::Texts(table->model()), (QStringList{"1", "2", "3"}));
}

QTEST_MAIN(WhatIfPageTest)
#include "what_if_page_test.moc"

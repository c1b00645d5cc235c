// Column widths of a list view kept in the settings store and given back.
#include "column_widths.h"

#include <QHeaderView>
#include <QSettings>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

class ColumnWidthsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void storesEveryColumnWidth();
    void restoresStoredWidths_data();
    void restoresStoredWidths();

private:
    QTemporaryDir m_dir;
};

namespace {

const QString kKey = QStringLiteral("lvSharedPools");

void MakeColumns(QTreeView& view, QStandardItemModel& model, int columns) {
    model.setColumnCount(columns);
    view.setModel(&model);
    view.header()->setStretchLastSection(false);
    for (int i = 0; i < columns; ++i) {
        view.header()->resizeSection(i, 55);
    }
}

void Store(const QString& value) {
    QSettings(QStringLiteral("Loomkeep"), QStringLiteral("Loomkeep"))
        .setValue(QStringLiteral("Layout/") + kKey, value);
}

QString Stored() {
    return QSettings(QStringLiteral("Loomkeep"), QStringLiteral("Loomkeep"))
        .value(QStringLiteral("Layout/") + kKey)
        .toString();
}

}  // namespace

void ColumnWidthsTest::initTestCase() { QVERIFY(m_dir.isValid()); }

void ColumnWidthsTest::init() {
    static int run = 0;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       m_dir.filePath(QString::number(++run)));
}

void ColumnWidthsTest::storesEveryColumnWidth() {
    QTreeView view;
    QStandardItemModel model;
    MakeColumns(view, model, 2);
    view.header()->resizeSection(0, 120);
    view.header()->resizeSection(1, 90);
    ui::SaveColumnLayout(view, kKey);
    QCOMPARE(Stored(), "120,90");

    QTreeView noColumns;
    ui::SaveColumnLayout(noColumns, kKey);
    QCOMPARE(Stored(), "");
}

void ColumnWidthsTest::restoresStoredWidths_data() {
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QList<int>>("widths");
    // Every column starts at 55 pixels.
    QTest::newRow("both columns") << 2 << "120,90" << QList<int>{120, 90};
    QTest::newRow("single column, no comma") << 1 << "240" << QList<int>{240};
    QTest::newRow("empty piece keeps width, extra piece ignored")
        << 2 << "80,,70" << QList<int>{80, 55};
    QTest::newRow("fewer pieces than columns") << 3 << "70" << QList<int>{70, 55, 55};
    QTest::newRow("negative and absurd keep their widths")
        << 3 << "-30,20000,60" << QList<int>{55, 55, 60};
    QTest::newRow("nothing stored") << 2 << "" << QList<int>{55, 55};
}

void ColumnWidthsTest::restoresStoredWidths() {
    QFETCH(int, columns);
    QFETCH(QString, stored);
    QFETCH(QList<int>, widths);
    if (!stored.isEmpty()) {
        Store(stored);
    }
    QTreeView view;
    QStandardItemModel model;
    MakeColumns(view, model, columns);
    ui::LoadColumnLayout(view, kKey);
    QList<int> actual;
    for (int i = 0; i < columns; ++i) {
        actual.append(view.header()->sectionSize(i));
    }
    QCOMPARE(actual, widths);
}

QTEST_MAIN(ColumnWidthsTest)
#include "column_widths_test.moc"

// The layout value of the column widths and its round trip through the settings store.
#include "column_layout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using settings::ColumnLayoutStore;
using Widths = QList<std::optional<int>>;

Q_DECLARE_METATYPE(Widths)

class ColumnLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void formatsWidthsJoinedByCommas();
    void parsesEveryPiece_data();
    void parsesEveryPiece();

    void storedValueReadsBack();
    void valueWrittenByHandWithoutQuotesReadsWhole();
    void unwritableStoreIsReportedNotFatal();

private:
    void useStoreAt(const QString& path) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
    }

    QTemporaryDir m_dir;
};

void ColumnLayoutTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void ColumnLayoutTest::init() {
    // A fresh store per case, never the user's own.
    static int run = 0;
    useStoreAt(m_dir.filePath(QString::number(++run)));
}

void ColumnLayoutTest::formatsWidthsJoinedByCommas() {
    QCOMPARE(settings::FormatLayoutValue({110, 90, 0, 90}), "110,90,0,90");
    QCOMPARE(settings::FormatLayoutValue({250}), "250");
    QCOMPARE(settings::FormatLayoutValue({}), "");
}

void ColumnLayoutTest::parsesEveryPiece_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<Widths>("widths");
    const std::optional<int> kept;
    QTest::newRow("empty") << "" << Widths{};
    QTest::newRow("two widths") << "120,90" << Widths{120, 90};
    QTest::newRow("blank after comma") << "100, 50" << Widths{100, 50};
    QTest::newRow("inner blank") << "1 20" << Widths{120};
    QTest::newRow("empty piece keeps its column") << "80,,70" << Widths{80, kept, 70};
    QTest::newRow("text keeps its column") << "abc,60" << Widths{kept, 60};
    QTest::newRow("leading number of a piece") << "75px,60" << Widths{75, 60};
    QTest::newRow("zero keeps its column") << "0,60" << Widths{kept, 60};
    QTest::newRow("negative keeps its column") << "-40,60" << Widths{kept, 60};
    QTest::newRow("absurd keeps its column") << "10001,60" << Widths{kept, 60};
    QTest::newRow("largest accepted") << "10000" << Widths{10000};
    QTest::newRow("beyond 32 bits keeps its column") << "9e99,60" << Widths{kept, 60};
    QTest::newRow("half to even, down") << "80.5" << Widths{80};
    QTest::newRow("half to even, up") << "81.5" << Widths{82};
    QTest::newRow("trailing comma") << "80," << Widths{80, kept};
}

void ColumnLayoutTest::parsesEveryPiece() {
    QFETCH(QString, value);
    QFETCH(Widths, widths);
    QCOMPARE(settings::ParseLayoutValue(value), widths);
}

void ColumnLayoutTest::storedValueReadsBack() {
    QCOMPARE(ColumnLayoutStore().layoutValue("lvSharedObjects"), QString());  // nothing stored
    ColumnLayoutStore store;
    QVERIFY(store.setLayoutValue("lvSharedPools", "120,90"));
    QVERIFY(store.setLayoutValue("lvResults", "1,2,3,4,5,6"));
    QVERIFY(store.setLayoutValue("lvSharedPools", "130,80"));
    QCOMPARE(ColumnLayoutStore().layoutValue("lvSharedPools"), "130,80");
    QCOMPARE(ColumnLayoutStore().layoutValue("lvResults"), "1,2,3,4,5,6");
    QCOMPARE(QSettings("Loomkeep", "Loomkeep").value("Layout/lvSharedPools").toString(), "130,80");
}

void ColumnLayoutTest::valueWrittenByHandWithoutQuotesReadsWhole() {
    const QString file = QSettings("Loomkeep", "Loomkeep").fileName();
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("[Layout]\nlvSharedPools=80,,70\nlvSharedObjects=240\n");
    out.close();
    QCOMPARE(ColumnLayoutStore().layoutValue("lvSharedPools"), "80,,70");
    QCOMPARE(ColumnLayoutStore().layoutValue("lvSharedObjects"), "240");
}

void ColumnLayoutTest::unwritableStoreIsReportedNotFatal() {
    // The store's folder would have to be made where a plain file stands.
    const QString blocker = m_dir.filePath("blocker");
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    useStoreAt(blocker);
    ColumnLayoutStore store;
    QVERIFY(!store.setLayoutValue("lvResults", "120,90"));
    QCOMPARE(store.layoutValue("lvResults"), QString());
}

QTEST_GUILESS_MAIN(ColumnLayoutTest)
#include "column_layout_test.moc"

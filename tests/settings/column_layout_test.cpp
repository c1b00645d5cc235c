// The layout value of the column widths and its round trip through the settings store.
#include "settings/column_layout.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using settings::ColumnLayoutStore;
using Widths = QList<std::optional<int>>;

Q_DECLARE_METATYPE(Widths)

class ColumnLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void parsesEveryPiece_data();
    void parsesEveryPiece();

    void widthsAreStoredJoinedByCommasAndReadBack();
    void storeThatCannotBeUsedIsLeftAlone_data();
    void storeThatCannotBeUsedIsLeftAlone();

private:
    QString storeFile() const { return m_dir->filePath("Loomkeep/Loomkeep.conf"); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void ColumnLayoutTest::init() {
    // A fresh store per case, never the user's own.
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
}

void ColumnLayoutTest::parsesEveryPiece_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<Widths>("widths");
    const std::optional<int> kept;
    QTest::newRow("empty") << "" << Widths{};
    QTest::newRow("blanks skipped") << "100, 1 20" << Widths{100, 120};
    QTest::newRow("empty piece keeps its column") << "80,,70" << Widths{80, kept, 70};
    QTest::newRow("text keeps its column") << "abc,75px" << Widths{kept, 75};
    QTest::newRow("zero, negative keep theirs") << "0,-40" << Widths{kept, kept};
    QTest::newRow("absurd keeps its column") << "10001,10000" << Widths{kept, 10000};
    QTest::newRow("beyond 32 bits keeps its column") << "9e99" << Widths{kept};
    QTest::newRow("half to even") << "80.5,81.5" << Widths{80, 82};
    QTest::newRow("trailing comma") << "80," << Widths{80, kept};
}

void ColumnLayoutTest::parsesEveryPiece() {
    QFETCH(QString, value);
    QFETCH(Widths, widths);
    QCOMPARE(settings::ParseLayoutValue(value), widths);
}

void ColumnLayoutTest::widthsAreStoredJoinedByCommasAndReadBack() {
    QCOMPARE(settings::FormatLayoutValue({}), "");
    QCOMPARE(ColumnLayoutStore::filePath(), storeFile());
    ColumnLayoutStore store;
    QCOMPARE(store.layoutValue("lvSharedObjects"), QString());  // nothing stored
    QVERIFY(store.setLayoutValue("lvSharedPools", "120,90"));
    QVERIFY(store.setLayoutValue("lvSharedPools", settings::FormatLayoutValue({110, 90, 0, 90})));
    QCOMPARE(ColumnLayoutStore().layoutValue("lvSharedPools"), "110,90,0,90");

    // Typed by hand without quotes, the value still reads whole.
    QFile out(storeFile());
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("[Layout]\nlvSharedPools=80,,70\n");
    out.close();
    QCOMPARE(store.layoutValue("lvSharedPools"), "80,,70");
}

void ColumnLayoutTest::storeThatCannotBeUsedIsLeftAlone_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("named pipe") << "pipe";
    QTest::newRow("folder") << "folder";
    QTest::newRow("folder path blocked by a file") << "blocked";
}

void ColumnLayoutTest::storeThatCannotBeUsedIsLeftAlone() {
    QFETCH(QString, kind);
    const QString folder = QFileInfo(storeFile()).path();
    if (kind == "blocked") {
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkpath(kind == "folder" ? storeFile() : folder));
    }
    if (kind == "pipe") {
        QCOMPARE(mkfifo(QFile::encodeName(storeFile()).constData(), 0600), 0);
    }
    if (kind != "blocked") {
        // Once per run, however often the store is asked (the first row that gets here).
        static bool warned = false;
        if (!warned) {
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("settings file .* is not a regular file"));
            warned = true;
        }
    }
    ColumnLayoutStore store;
    QCOMPARE(store.layoutValue("lvResults"), QString());
    QVERIFY(!store.setLayoutValue("lvResults", "120,90"));
    QCOMPARE(store.layoutValue("lvResults"), QString());
    QCOMPARE(QFileInfo(storeFile()).isFile(), false);
}

QTEST_GUILESS_MAIN(ColumnLayoutTest)
#include "column_layout_test.moc"

// The recent files in the settings store: newest first, each path once, ten at most.
#include "recent_files.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class RecentFilesTest : public QObject {
    Q_OBJECT

private slots:
    void newestFirstEachOnceTenAtMost();
};

void RecentFilesTest::newestFirstEachOnceTenAtMost() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    settings::RecentFilesStore recent;
    for (int i = 1; i <= 12; ++i) {
        QVERIFY(recent.add(QStringLiteral("/p/%1.sta").arg(i)));
    }
    QVERIFY(recent.add(QStringLiteral("/p/5.sta")));  // chosen again: moves to the front
    QVERIFY(recent.remove(QStringLiteral("/p/11.sta")));
    QCOMPARE(recent.files(),
             QStringList({"/p/5.sta", "/p/12.sta", "/p/10.sta", "/p/9.sta", "/p/8.sta", "/p/7.sta",
                          "/p/6.sta", "/p/4.sta", "/p/3.sta"}));
}

QTEST_GUILESS_MAIN(RecentFilesTest)
#include "recent_files_test.moc"

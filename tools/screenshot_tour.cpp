// Walks the desktop program through the bundled samples as a user would and saves a picture of
// the title window and of every page: scripts/screenshots.sh runs it. Not a test.
//
//   screenshot_tour SAMPLES_DIR OUTPUT_DIR
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <cstdio>

#include "ui/main_window.h"
#include "ui/plan_account_dialog.h"
#include "ui/report_dialogs.h"
#include "ui/results_page.h"
#include "tests/ui/scripted_seams.h"
#include "ui/title_window.h"
#include "ui/what_if_page.h"

namespace {

// Keeps the account of a plan's application for a picture of its dialog.
class KeptAccount : public ui::PlanAccountSink {
public:
    void showAccount(const QString& title, const core::PlanAccount& items) override {
        this->title = title;
        account = items;
    }
    QString title;
    core::PlanAccount account;
};

bool Save(QWidget& window, const QDir& out, const QString& name) {
    const QString path = out.filePath(name);
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The window with its open menus drawn where they stand.
bool SaveWithMenus(QWidget& window, const QDir& out, const QString& name) {
    QPixmap shot = window.grab();
    QPainter painter(&shot);
    for (QWidget* menu : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMenu*>(menu) != nullptr && menu->isVisible()) {
            painter.drawPixmap(window.mapFromGlobal(menu->pos()), menu->grab());
        }
    }
    std::printf("%s\n", qPrintable(out.filePath(name)));
    return shot.save(out.filePath(name));
}

void ClickTab(QTabWidget& pages, int page) {
    QTabBar* bar = pages.tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
}

void ClickButton(QWidget& window, const QString& name) {
    if (auto* button = window.findChild<QPushButton*>(name)) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        std::fprintf(stderr, "no button %s\n", qPrintable(name));
    }
}

// Selects the row of a list by a click on it.
void ClickRow(QAbstractItemView& view, int row) {
    const QModelIndex index = view.model()->index(row, 0);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
}

// Exports to a prepared path; never prints.
class PreparedReportDialogs : public ui::ReportDialogs {
public:
    explicit PreparedReportDialogs(QString path) : m_path(std::move(path)) {}
    std::optional<QString> chooseExportPath(QWidget*) override { return m_path; }
    bool setUpPrinter(QPrinter&, QWidget*) override { return false; }
    void showPrintPreview(QPrinter&, const std::function<void(QPrinter&)>&, QWidget*) override {}

private:
    QString m_path;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: screenshot_tour SAMPLES_DIR OUTPUT_DIR\n");
        return 2;
    }
    const QDir samples(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QTemporaryDir settingsDir;  // the user's own column widths stay out of the pictures
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settingsDir.path()));

    ui::RecordingMessageSink messages;
    ui::ScriptedFileChooser chooser;
    chooser.willChoose(samples.filePath(QStringLiteral("db1a.sta")));
    chooser.willChoose(samples.filePath(QStringLiteral("db1b.sim")));

    std::unique_ptr<ui::MainWindow> window;
    ui::TitleWindow title([&]() -> QWidget* {
        window = std::make_unique<ui::MainWindow>(
            messages, chooser,
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Filemove.avi")));
        return window.get();
    });
    title.show();
    bool ok = Save(title, out, QStringLiteral("0-title.png"));
    if (!QTest::qWaitFor([&] { return window && chooser.requests == 1; }, 5000)) {
        std::fprintf(stderr, "the main window did not come up\n");
        return 1;
    }
    if (!QTest::qWaitForWindowExposed(window.get())) {
        return 1;
    }
    auto* pages = window->findChild<QTabWidget*>(QStringLiteral("tbsMain"));

    ClickButton(*window, QStringLiteral("cmdAdd"));  // the second sample
    QTest::qWait(100);
    ok = Save(*window, out, QStringLiteral("1-select-files.png")) && ok;

    // A plan saved puts itself at the top of Open Recent, above the two samples.
    window->savePlan(settingsDir.filePath(QStringLiteral("march.loomplan")));
    window->activateWindow();  // menus open by keys in the active window only
    ok = QTest::qWaitForWindowActive(window.get()) && ok;
    QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
    QTest::qWait(100);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_R);  // File > Open Recent
    QTest::qWait(200);
    ok = SaveWithMenus(*window, out, QStringLiteral("file-menu.png")) && ok;
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);

    ClickTab(*pages, 1);
    ClickButton(*window, QStringLiteral("cmdShareAllPools"));
    QTest::qWait(100);
    ok = Save(*window, out, QStringLiteral("2-select-shared-pools.png")) && ok;

    // A refused number stays as typed, with the rule beside it; 4.5 Mb of ECSA is read as 4.5.
    auto* members = window->findChild<QAbstractSpinBox*>(QStringLiteral("txtSharedDB2"));
    auto* ecsa = window->findChild<QAbstractSpinBox*>(QStringLiteral("txtECSASize"));
    if (members != nullptr && ecsa != nullptr) {
        for (auto [box, text] : {std::pair{members, "33"}, std::pair{ecsa, "4.5"}}) {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(box, QString::fromLatin1(text));
        }
        QTest::qWait(100);
        ok = Save(*window, out, QStringLiteral("2b-number-box-refused.png")) && ok;
        members->setFocus();
        QTest::keyClick(members, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(members, QStringLiteral("2"));
    }

    ClickTab(*pages, 2);
    if (auto* pools = window->findChild<QAbstractItemView*>(QStringLiteral("lstSharedPools"))) {
        ClickRow(*pools, 1);
    }
    if (auto* objects = window->findChild<QAbstractItemView*>(QStringLiteral("lvSharedObjects"))) {
        for (int row : {0, 1, 3}) {
            objects->setCurrentIndex(objects->model()->index(row, 0));
            QTest::keyClick(objects, Qt::Key_Space);
        }
    }
    QTest::qWait(100);
    ok = Save(*window, out, QStringLiteral("3-select-shared-objects.png")) && ok;

    ClickTab(*pages, 3);
    if (auto* results = window->findChild<QTreeView*>(QStringLiteral("lvResults"))) {
        QHeaderView* header = results->header();
        const int column = 5;  // GBP Size, twice: descending
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    QTest::qWait(100);
    ok = Save(*window, out, QStringLiteral("4-view-results.png")) && ok;

    // The trace of the pool on top (the largest GBP) and the report it exports.
    if (auto* results = window->findChild<QTreeView*>(QStringLiteral("lvResults"))) {
        ClickRow(*results, 0);
    }
    QTest::qWait(100);
    ok = Save(*window, out, QStringLiteral("report-results.png")) && ok;
    PreparedReportDialogs reportDialogs(out.filePath(QStringLiteral("report-sample.pdf")));
    window->resultsPage()->setReportDialogs(reportDialogs);
    ClickButton(*window, QStringLiteral("cmdExport"));

    ClickButton(*window, QStringLiteral("cmdCfrmPolicy"));
    if (auto* cfrm = window->findChild<QDialog*>(QStringLiteral("frmCfrmPolicy"))) {
        ok = QTest::qWaitForWindowExposed(cfrm) && ok;
        for (const auto& [name, text] : {std::pair{"txtGroup", "DSNDB0G"},
                                         {"txtFacilities", "CF01, CF02"},
                                         {"txtFreeSpace", "CF01=2048,CF02=1536"}}) {
            QTest::keyClicks(cfrm->findChild<QWidget*>(QString::fromLatin1(name)), text);
        }
        cfrm->resize(cfrm->width(), 760);
        // Down to the notes and the first statements: the header alone would fill the picture.
        if (auto* preview = cfrm->findChild<QPlainTextEdit*>(QStringLiteral("txtPreview"))) {
            const QStringList lines = preview->toPlainText().split('\n');
            preview->verticalScrollBar()->setValue(static_cast<int>(
                lines.indexOf(QRegularExpression(QStringLiteral(" /\\* Db2 requires.*")))));
        }
        QTest::qWait(100);
        ok = Save(*cfrm, out, QStringLiteral("cfrm-dialog.png")) && ok;
        cfrm->close();
    }
    ClickTab(*pages, 4);
    auto* whatIf = window->findChild<ui::WhatIfPage*>();
    ok = QTest::qWaitFor([&] { return whatIf && whatIf->table()->rowCount() == 8; }, 10000) && ok;
    QTest::qWait(300);  // the chart's animation-free redraw
    ok = Save(*window, out, QStringLiteral("report-what-if.png")) && ok;
    // Taking the first sample off keeps the choices; the account says what could not be kept.
    KeptAccount kept;
    window->setPlanAccountSink(kept);
    ClickTab(*pages, 0);
    if (auto* files = window->findChild<QAbstractItemView*>(QStringLiteral("lstSelectedFiles"))) {
        ClickRow(*files, 0);
    }
    ClickButton(*window, QStringLiteral("cmdRemove"));
    ClickTab(*pages, 2);
    ui::PlanAccountDialog account(kept.title, kept.account, window.get());
    account.show();
    QTest::qWait(100);
    ok = !kept.account.empty() && Save(account, out, QStringLiteral("5-plan-account.png")) && ok;

    window->close();
    for (const ui::RecordedMessage& message : messages.messages) {
        std::fprintf(stderr, "message: %s: %s %s\n", qPrintable(message.title),
                     qPrintable(message.text), qPrintable(message.detail));
    }
    // The samples hold a pool of work files only, so Share All shows one refusal; a read
    // error would spoil the pictures.
    for (const ui::RecordedMessage& message : messages.messages) {
        if (message.icon == ui::MessageIcon::kCritical) {
            ok = false;
        }
    }
    return ok ? 0 : 1;
}

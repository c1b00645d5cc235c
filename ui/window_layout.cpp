#include "ui/window_layout.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/column_layout.h"

namespace ui {
namespace {

const QString kGeometryKey = QStringLiteral("geometry");
const QString kStateKey = QStringLiteral("state");

QString SplitterKey(const QSplitter& splitter) {
    return QStringLiteral("splitter-") + splitter.objectName();
}

// Splitters without a name have no stable key; they keep their default sizes.
QList<QSplitter*> NamedSplitters(const QMainWindow& window) {
    QList<QSplitter*> named;
    for (QSplitter* splitter : window.findChildren<QSplitter*>()) {
        if (!splitter->objectName().isEmpty()) {
            named.append(splitter);
        }
    }
    return named;
}

bool OnSomeScreen(const QRect& geometry) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
        return screen->availableGeometry().contains(geometry.center());
    });
}

}  // namespace

QRect FirstRunGeometry(const QRect& available) {
    const QSize wanted = (available.size() * 0.8)
                             .expandedTo(QSize(820, 620))
                             .boundedTo(QSize(1280, 900))
                             .boundedTo(available.size());
    return QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, wanted, available);
}

void RestoreWindowLayout(QMainWindow& window) {
    const settings::WindowLayoutStore store;
    const bool restored = window.restoreGeometry(store.value(kGeometryKey));
    if (!restored || !OnSomeScreen(window.geometry())) {
        window.setWindowState(Qt::WindowNoState);
        const QScreen* screen =
            window.screen() ? window.screen() : QGuiApplication::primaryScreen();
        window.setGeometry(FirstRunGeometry(screen->availableGeometry()));
    }
    window.restoreState(store.value(kStateKey));
    for (QSplitter* splitter : NamedSplitters(window)) {
        splitter->restoreState(store.value(SplitterKey(*splitter)));
    }
}

void SaveWindowLayout(const QMainWindow& window) {
    settings::WindowLayoutStore store;
    store.setValue(kGeometryKey, window.saveGeometry());
    store.setValue(kStateKey, window.saveState());
    for (const QSplitter* splitter : NamedSplitters(window)) {
        store.setValue(SplitterKey(*splitter), splitter->saveState());
    }
}

void LayOutSteps(QMainWindow& window, QTabWidget& steps,
                 const QList<std::pair<QWidget*, QString>>& pages, QPushButton& quitButton) {
    steps.setObjectName(QStringLiteral("tbsMain"));
    for (const auto& [page, title] : pages) {
        const int index = steps.addTab(page, title);
        steps.setTabEnabled(index, index == 0);
    }
    steps.setCurrentIndex(0);
    steps.tabBar()->setUsesScrollButtons(false);
    steps.setAccessibleName(QStringLiteral("Steps"));
    steps.tabBar()->setAccessibleName(QStringLiteral("Steps"));

    quitButton.setObjectName(QStringLiteral("cmdQuit"));
    quitButton.setAutoDefault(false);
    SetQuitCaption(quitButton, false);

    auto* central = new QWidget(&window);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(&steps, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(&quitButton);
    layout->addLayout(buttonRow);
    window.setCentralWidget(central);
}

void SetQuitCaption(QPushButton& quitButton, bool finishing) {
    quitButton.setText(finishing ? QStringLiteral("&Finish") : QStringLiteral("&Cancel"));
    quitButton.setAccessibleName(quitButton.text().remove(QLatin1Char('&')));
}

}  // namespace ui

#include "ui/title_window.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace ui {
namespace {

QLabel* Caption(const QString& text, QWidget* parent, qreal scale, bool bold) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

TitleWindow::TitleWindow(std::function<QWidget*()> startMainWindow, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_startMainWindow(std::move(startMainWindow)),
      m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("frmTitle"));
    setWindowTitle(QStringLiteral("Loomstead "));
    setAccessibleName(QStringLiteral("Loomstead Sizing for DB2, Version 2.0"));

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Box);
    panel->setLineWidth(1);

    auto* product = Caption(QStringLiteral("Loomstead Sizing"), panel, 2.0, true);
    product->setObjectName(QStringLiteral("lblProduct"));
    auto* mark = Caption(QStringLiteral("TM"), panel, 0.8, false);
    mark->setObjectName(QStringLiteral("lblTrademark"));
    mark->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* productRow = new QHBoxLayout;
    productRow->setSpacing(2);
    productRow->addStretch(1);
    productRow->addWidget(product);
    productRow->addWidget(mark);
    productRow->addStretch(1);

    auto* forWord = Caption(QStringLiteral("for"), panel, 1.2, false);
    auto* db2 = Caption(QStringLiteral("D B 2"), panel, 2.4, true);
    db2->setObjectName(QStringLiteral("lblDb2"));
    auto* version = Caption(QStringLiteral("Version 2.0"), panel, 1.0, false);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* credits = Caption(QStringLiteral("Loomstead planning tools"), panel, 0.9, false);
    credits->setObjectName(QStringLiteral("lblCredits"));
    credits->setEnabled(false);  // muted, as secondary text

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(36, 28, 36, 20);
    panelLayout->setSpacing(6);
    panelLayout->addLayout(productRow);
    panelLayout->addWidget(forWord);
    panelLayout->addWidget(db2);
    panelLayout->addSpacing(12);
    panelLayout->addWidget(version);
    panelLayout->addSpacing(16);
    panelLayout->addWidget(credits);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);
    setAutoFillBackground(true);

    m_timer->setObjectName(QStringLiteral("tmrTimer"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(20);
    connect(m_timer, &QTimer::timeout, this, &TitleWindow::startMainWindow);
}

TitleWindow::~TitleWindow() = default;

void TitleWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    m_timer->start();
}

void TitleWindow::startMainWindow() {
    m_timer->stop();
    QWidget* mainWindow = m_startMainWindow();
    mainWindow->show();
    // Kept in front of the main window while its first activation asks for a file, so that
    // the title is seen; the dialog, opened after it, comes in front of both.
    raise();
    QCoreApplication::processEvents();
    close();
}

}  // namespace ui

#include "ui/help_windows.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/program_files.h"

namespace ui {
namespace {

QDialog* NewHelpWindow(QWidget* parent, const char* name, const QString& title) {
    auto* window = new QDialog(parent);
    window->setObjectName(QLatin1String(name));
    window->setWindowTitle(title);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setModal(false);
    return window;
}

void AddCloseButton(QDialog* window, QVBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
    layout->addWidget(buttons);
}

}  // namespace

QDialog* ShowManualWindow(QWidget* parent) {
    QDialog* window = NewHelpWindow(parent, "dlgManual", QStringLiteral("Using Loomstead"));
    auto* text = new QTextBrowser(window);
    text->setObjectName(QStringLiteral("txtManual"));
    text->setOpenExternalLinks(true);
    text->setMarkdown(ManualMarkdown());
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(text);
    AddCloseButton(window, layout);
    window->resize(660, 620);
    window->show();
    return window;
}

QDialog* ShowAboutWindow(QWidget* parent) {
    QDialog* window = NewHelpWindow(parent, "dlgAbout", QStringLiteral("About Loomstead"));
    auto* text = new QLabel(
        QStringLiteral(
            "<h3>Loomstead %1</h3>"
            "<p>Sizes the coupling-facility structures of a DB2 data-sharing group from the "
            "buffer-pool statistics of its members.</p>"
            "<p>Loomstead is free software: you can redistribute it and/or modify it under the "
            "terms of the GNU General Public License as published by the Free Software "
            "Foundation, either version 3 of the License, or (at your option) any later version "
            "(GPL-3.0-or-later).</p>"
            "<p>It is distributed in the hope that it will be useful, but WITHOUT ANY WARRANTY; "
            "see the GNU General Public License for more details: "
            "<a href=\"https://www.gnu.org/licenses/gpl-3.0.html\">"
            "https://www.gnu.org/licenses/gpl-3.0.html</a>.</p>"
            "<p>Built with Qt %2.</p>")
            .arg(QApplication::applicationVersion().toHtmlEscaped(), QLatin1String(QT_VERSION_STR)),
        window);
    text->setObjectName(QStringLiteral("lblAbout"));
    text->setWordWrap(true);
    text->setOpenExternalLinks(true);
    text->setTextInteractionFlags(Qt::TextBrowserInteraction);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(text);
    AddCloseButton(window, layout);
    window->setFixedWidth(440);
    window->show();
    return window;
}

}  // namespace ui

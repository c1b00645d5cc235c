// The desktop program: the title window, then the main window until it closes.
#include <QApplication>
#include <QDir>
#include <memory>

#include "dialogs.h"
#include "main_window.h"
#include "title_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Loomstead"));
    QApplication::setOrganizationName(QStringLiteral("Loomkeep"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));

    ui::BoxMessageSink messages;
    ui::DialogFileChooser chooser;
    const QString clipPath =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Filemove.avi"));

    std::unique_ptr<ui::MainWindow> mainWindow;
    ui::TitleWindow title([&]() -> QWidget* {
        mainWindow = std::make_unique<ui::MainWindow>(messages, chooser, clipPath);
        messages.setParent(mainWindow.get());
        return mainWindow.get();
    });
    title.show();
    return QApplication::exec();
}

// The desktop program: the title window, then the main window until it closes.
#include <QApplication>
#include <QCommandLineParser>
#include <memory>

#include "ui/dialogs.h"
#include "ui/icons.h"
#include "ui/main_window.h"
#include "ui/program_files.h"
#include "ui/title_window.h"
#include "core/version.h"

int main(int argc, char* argv[]) {
    QApplication::setApplicationName(QStringLiteral("Loomstead"));
    QApplication::setOrganizationName(QStringLiteral("Loomkeep"));
    QApplication::setApplicationVersion(QString::fromLatin1(core::kVersion));
    QApplication::setDesktopFileName(QStringLiteral("loomstead"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sizes the coupling-facility structures of a DB2 data-sharing group."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("files"),
        QStringLiteral("Statistics files (.sta, .sim) to add, or a plan (.loomplan) to open."),
        QStringLiteral("[files...]"));
    // --version and --help answer before any window system is asked for, so that they work
    // on a machine without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    if (parser.parse(arguments) &&
        (parser.isSet(QStringLiteral("version")) || parser.isSet(QStringLiteral("help")))) {
        const QCoreApplication windowless(argc, argv);
        parser.process(windowless);  // prints and ends the program
    }

    QApplication app(argc, argv);
    parser.process(app);
    QApplication::setWindowIcon(ui::ProgramIcon());

    ui::BoxMessageSink messages;
    ui::DialogFileChooser chooser;
    const QString clipPath = ui::FindProgramFile(QStringLiteral("Filemove.avi"));
    const QStringList startPaths = parser.positionalArguments();

    std::unique_ptr<ui::MainWindow> mainWindow;
    ui::TitleWindow title([&]() -> QWidget* {
        mainWindow = std::make_unique<ui::MainWindow>(messages, chooser, clipPath);
        mainWindow->openAtStart(startPaths);
        messages.setParent(mainWindow.get());
        return mainWindow.get();
    });
    title.show();
    return QApplication::exec();
}

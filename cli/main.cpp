// loomstead-cli: the batch sizer. Everything but writing the output lives in the cli library.
// Only a PDF starts the GUI machinery, on the offscreen platform: the report's chart needs it,
// and every other output must run where no display and no GUI libraries' state exist.
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/batch_sizer.h"
#include "cli/encodings.h"
#include "cli/pdf_report.h"
#include "core/io/file_source.h"
#include "core/io/write_file.h"
#include "core/sizing_run.h"
#include "core/version.h"
#include "report/printable_report.h"
#include "report/report_data.h"

namespace {

// Qt's start-up chatter (no XDG_RUNTIME_DIR on a server, and the like) would read as warnings
// of the sizing on standard error, which scripts watch; it is dropped while the application
// starts. Errors still pass.
void DropStartUpWarnings(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        qt_message_output(type, context, message);
    }
}

bool DrawReport(const core::SizingRun& run, QByteArray* pdf) {
    return report::DrawPdf(report::BuildReportData(run), pdf);
}

}  // namespace

int main(int argc, char* argv[]) {
    // The arguments as bytes, before anything can read them: QCoreApplication::arguments()
    // decodes them lossily, and a file name that is not UTF-8 would then no longer open.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << cli::DecodeArgument(argv[i]);
    }
    std::unique_ptr<QCoreApplication> app;
    if (cli::AsksForPdf(arguments)) {
        // Whatever the environment names: another platform needs a display a batch job may not
        // have, and Qt aborts the program when the platform cannot start.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // A chart is a graphics widget, so the report needs QApplication, not only QtGui.
        const QtMessageHandler previous = qInstallMessageHandler(DropStartUpWarnings);
        app = std::make_unique<QApplication>(argc, argv);
        qInstallMessageHandler(previous);
        cli::SetPdfReportWriter(&DrawReport);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName("loomstead-cli");
    QCoreApplication::setApplicationVersion(core::kVersion);
    const cli::BatchOutput output = cli::RunCommandLine(arguments, core::DiskFileSource{});
    // Refusals and warnings first, so that a terminal shows them above the results.
    std::fwrite(output.err.data(), 1, output.err.size(), stderr);
    std::fflush(stderr);
    // Unbuffered and checked, so that a full disk under a redirection is no success.
    if (const int error = core::WriteAll(STDOUT_FILENO, output.out); error != 0) {
        std::fprintf(stderr, "loomstead-cli: cannot write standard output: %s\n",
                     std::strerror(error));
        return cli::kExitWriteFailed;
    }
    return output.exitCode;
}

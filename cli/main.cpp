// loomstead-cli: the batch sizer. Everything but writing the output lives in the cli library.
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "batch_sizer.h"
#include "encodings.h"
#include "file_source.h"

int main(int argc, char* argv[]) {
    // The arguments as bytes, before anything can read them: QCoreApplication::arguments()
    // decodes them lossily, and a file name that is not UTF-8 would then no longer open.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << cli::DecodeArgument(argv[i]);
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("loomstead-cli");
    QCoreApplication::setApplicationVersion(LOOMSTEAD_VERSION);
    const cli::BatchOutput output = cli::RunCommandLine(arguments, core::DiskFileSource{});
    // Refusals and warnings first, so that a terminal shows them above the results.
    std::fwrite(output.err.data(), 1, output.err.size(), stderr);
    std::fflush(stderr);
    std::fwrite(output.out.data(), 1, output.out.size(), stdout);
    return output.exitCode;
}

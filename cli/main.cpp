// loomstead-cli: the batch sizer. Everything but writing the output lives in the cli library.
#include <QCoreApplication>
#include <cstdio>

#include "batch_sizer.h"
#include "file_source.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("loomstead-cli");
    QCoreApplication::setApplicationVersion(LOOMSTEAD_VERSION);
    const cli::BatchOutput output =
        cli::RunCommandLine(QCoreApplication::arguments(), core::DiskFileSource{});
    // Refusals and warnings first, so that a terminal shows them above the results.
    std::fwrite(output.err.data(), 1, output.err.size(), stderr);
    std::fflush(stderr);
    std::fwrite(output.out.data(), 1, output.out.size(), stdout);
    return output.exitCode;
}

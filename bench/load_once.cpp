// loomstead-loadonce: loads the data files named on the command line, as the program does when
// leaving the files page, and prints what was read. Used to time the load from outside.
#include <cstring>
#include <iostream>

#include "core/loader.h"
#include "core/tables.h"

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::cout << "Usage: loomstead-loadonce FILE...\n\n"
                     "Loads the data files in the order given (LoadDataFiles, then\n"
                     "CountWorkFileObjects) and prints the stored lines, the pool rows and\n"
                     "the total bytes. Exits with 1 and the error detail when the load fails.\n";
        return argc < 2 ? 2 : 0;
    }
    core::CoreTables tables;
    for (int i = 1; i < argc; ++i) {
        tables.lstSelectedFiles.emplace_back(argv[i]);
    }
    const core::LoadResult result = core::LoadDataFiles(tables, core::DiskFileSource());
    if (!result.ok()) {
        std::cerr << "loomstead-loadonce: load failed\n"
                  << core::LoadFailureDetail(result.status) << '\n';
        return 1;
    }
    core::CountWorkFileObjects(tables);
    std::cout << "lines " << tables.lstData.size() << '\n'
              << "pool rows " << tables.lvControl.size() << '\n'
              << "bytes " << result.totalBytes << '\n';
    return 0;
}

// loomstead-planonce: reads the plan named on the command line once, as both programs do when
// opening one, and prints what it holds; with --write N, first writes a plan of N cached objects
// there. Used to measure the reader's time and peak memory from outside (/usr/bin/time -v).
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "core/plan.h"

namespace {

core::Plan PlanOfObjects(size_t count) {
    core::Plan plan;
    plan.files.push_back({"/data/march/db1a.sta", 123456789, 1700000000000000000, "ab"});
    for (int p = 0; p < 8; ++p) {
        plan.pools.push_back({"BP" + std::to_string(p), p == 7});
    }
    plan.objects.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        plan.objects.push_back({"BP" + std::to_string(i % 8),
                                "DB" + std::to_string(i / 1000) + ".TS" + std::to_string(i),
                                i % 3 == 0 ? "I" : "T"});
    }
    return plan;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--write") == 0) {
        const core::Plan plan = PlanOfObjects(std::strtoull(argv[2], nullptr, 10));
        if (const core::Status written = core::WritePlanFile(argv[3], plan); !written.ok()) {
            std::cerr << "loomstead-planonce: " << written.message() << '\n';
            return 1;
        }
        return 0;
    }
    if (argc != 2) {
        std::cout << "Usage: loomstead-planonce [--write OBJECTS] FILE\n\n"
                     "Reads the plan FILE (ReadPlanFile) and prints its files, pools and\n"
                     "objects. With --write, writes a plan of OBJECTS cached objects to FILE\n"
                     "instead. Exits with 1 and the reason when the plan is refused.\n";
        return 2;
    }
    const core::PlanReadResult read = core::ReadPlanFile(argv[1]);
    if (!read.ok()) {
        std::cerr << "loomstead-planonce: " << read.status().message() << '\n';
        return 1;
    }
    std::cout << "files " << read->files.size() << '\n'
              << "pools " << read->pools.size() << '\n'
              << "objects " << read->objects.size() << '\n';
    return 0;
}

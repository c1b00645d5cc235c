// Data files for the benchmarks, generated on first use into a temporary folder and removed when
// the program ends.
#ifndef BENCH_GENERATED_FILES_H_
#define BENCH_GENERATED_FILES_H_

#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <system_error>

#include "gen/sample_generator.h"

class GeneratedFiles {
public:
    static GeneratedFiles& Instance() {
        static GeneratedFiles files;
        return files;
    }

    ~GeneratedFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    // The path of the file `name`, written with `options` the first time; empty when it cannot
    // be written.
    const std::string& Get(const std::string& name, const samplegen::Options& options) {
        auto it = m_paths.find(name);
        if (it != m_paths.end()) {
            return it->second;
        }
        if (m_dir.empty()) {
            m_dir = std::filesystem::temp_directory_path() /
                    ("loomstead-bench-" + std::to_string(::getpid()));
            std::filesystem::create_directories(m_dir);
        }
        std::string path = (m_dir / name).string();
        if (!samplegen::WriteDataFile(path, options)) {
            path.clear();
        }
        return m_paths.emplace(name, std::move(path)).first->second;
    }

private:
    GeneratedFiles() = default;
    std::filesystem::path m_dir;
    std::map<std::string, std::string> m_paths;
};

#endif  // BENCH_GENERATED_FILES_H_

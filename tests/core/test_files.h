// Files for tests: a folder of each test's own on disk, and data files loaded from memory.
#ifndef TESTS_CORE_TEST_FILES_H_
#define TESTS_CORE_TEST_FILES_H_

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "core/loader.h"
#include "tests/core/test_lines.h"

namespace core::testing {

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A new folder for each test, removed with everything in it after the test.
class ScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string dir = (std::filesystem::temp_directory_path() / "loomstead_XXXXXX").string();
        ASSERT_NE(::mkdtemp(dir.data()), nullptr);
        m_dir = dir;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    // Writes `bytes` to the file `name` of the folder and gives its path.
    std::string Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(m_dir / name, std::ios::binary) << bytes;
        return (m_dir / name).string();
    }
    // The names in the folder, sorted.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path m_dir;
};

// Chooses each {path, bytes} in turn and loads them from memory, counting work files.
inline LoadResult LoadFiles(CoreTables& tables,
                            const std::vector<std::pair<std::string, std::string>>& files) {
    MemoryFileSource source;
    for (const auto& [path, bytes] : files) {
        source.Add(path, bytes);
        AddSelectedFile(tables, path);
    }
    LoadResult result = LoadDataFiles(tables, source);
    CountWorkFileObjects(tables);
    return result;
}

}  // namespace core::testing

#endif  // TESTS_CORE_TEST_FILES_H_

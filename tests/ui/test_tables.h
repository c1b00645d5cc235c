// Pool-table rows built by hand for the page tests.
#ifndef TESTS_UI_TEST_TABLES_H_
#define TESTS_UI_TEST_TABLES_H_

#include <optional>
#include <string>

#include "tables.h"

namespace ui {

// A pool-table row of the file at `fileNo`; no range when `start` and `end` are left out.
inline core::PoolRow Row(int32_t fileNo, const std::string& pool, std::optional<int32_t> start = {},
                         std::optional<int32_t> end = {}, int32_t dsndb07s = 0) {
    core::PoolRow row;
    row.FileNo = fileNo;
    row.BPool = pool;
    row.StartObjectIndex = start;
    row.EndObjectIndex = end;
    row.DSNDB07s = dsndb07s;
    return row;
}

}  // namespace ui

#endif  // TESTS_UI_TEST_TABLES_H_

#include "core/numbers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace core {
namespace {

TEST(NumbersTest, LenientReadingTakesTheLeadingNumber) {
    const std::pair<const char*, double> rows[] = {
        {"1 234", 1234},   {"          ", 0},   {"", 0},       {"12abc", 12},
        {"abc12", 0},      {" -4.5 ", -4.5},    {"+7", 7},     {"1e3", 1000},
        {"1e", 1},         {".5", 0.5},         {"5.", 5},     {"- 3", -3},
        {"2.5E-1x", 0.25}, {"1e400", HUGE_VAL}, {"1e-400", 0}, {"-", 0},
    };
    for (const auto& [text, expected] : rows) {
        EXPECT_DOUBLE_EQ(LenientNumber(text), expected) << '"' << text << '"';
    }
}

TEST(NumbersTest, RoundingGoesHalfToEven) {
    const std::pair<double, int64_t> rows[] = {{2.5, 2},   {3.5, 4},   {-2.5, -2},  {0.5, 0},
                                               {1.5, 2},   {6.5, 6},   {7.5, 8},    {12.4, 12},
                                               {12.5, 12}, {13.5, 14}, {2.4999, 2}, {-0.5, 0}};
    for (const auto& [value, expected] : rows) {
        EXPECT_EQ(RoundToInt64(value), expected) << value;
    }
    EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
    EXPECT_FALSE(RoundToInt32(2147483647.5).has_value());
    EXPECT_FALSE(RoundToInt32(HUGE_VAL).has_value());
    EXPECT_FALSE(RoundToInt64(1e19).has_value());
}

}  // namespace
}  // namespace core

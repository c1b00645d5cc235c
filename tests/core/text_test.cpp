#include "core/text.h"

#include <gtest/gtest.h>

namespace core {
namespace {

TEST(TextTest, TrimRemovesBlanksOnly) {
    EXPECT_EQ(Trim("  BP0  "), "BP0");
    EXPECT_EQ(Trim("\tBP0 "), "\tBP0");
    EXPECT_EQ(Trim("    "), "");
}

TEST(TextTest, CaseIsFoldedForLatin1Letters) {
    EXPECT_TRUE(EqualsIgnoreCase("bp1", "BP1"));
    EXPECT_TRUE(EqualsIgnoreCase("\xC9T\xC9", "\xE9t\xE9"));  // ETE with accents
    EXPECT_FALSE(EqualsIgnoreCase("BP1", "BP10"));
    EXPECT_FALSE(EqualsIgnoreCase("\xD7", "\xF7"));  // multiplication and division signs
    EXPECT_LT(CompareIgnoreCase("BP1", "bp10"), 0);
    EXPECT_LT(CompareIgnoreCase("bp10", "BP2"), 0);
    EXPECT_EQ(CompareIgnoreCase("bp2", "BP2"), 0);
}

}  // namespace
}  // namespace core

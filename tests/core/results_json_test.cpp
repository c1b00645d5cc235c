#include "core/results_json.h"

#include <gtest/gtest.h>

namespace core {
namespace {

using nlohmann::json;

TEST(ResultsJsonTest, BytesBecomeValidUtf8) {
    const std::string e = "\xC3\xA9";             // U+00E9 in UTF-8
    const std::string replaced = "\xEF\xBF\xBD";  // U+FFFD
    const struct {
        std::string bytes;
        std::string json;   // JsonBytes, for paths
        std::string valid;  // ValidUtf8, for core-made text
    } cases[] = {
        {"a\\b\tc", "a\\b\tc", "a\\b\tc"},
        {"\x7F\xC3\xA9", "\x7F" + e, "\x7F" + e},
        {"\xC2\x85", "\xC2\x85", "\xC2\x85"},  // a control character in UTF-8 stays
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        // Overlong, a surrogate, past U+10FFFF, cut short: not UTF-8, so byte by byte.
        {"\xE0\x80\xAF", R"(\xE0\x80\xAF)", replaced + replaced + replaced},
        {"\xED\xA0\x80", R"(\xED\xA0\x80)", replaced + replaced + replaced},
        {"\xF4\x90\x80\x80", R"(\xF4\x90\x80\x80)", replaced + replaced + replaced + replaced},
        {"x\xC3", R"(x\xC3)", "x" + replaced},
        {"\xE2\x82 x", R"(\xE2\x82 x)", replaced + replaced + " x"},
        {"caf\xE9", R"(caf\xE9)", "caf" + replaced},  // a Latin-1 byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonBytes(c.bytes), c.json) << c.bytes;
        EXPECT_EQ(ValidUtf8(c.bytes), c.valid) << c.bytes;
    }
}

// The forms scripts have always read: whole numbers plain up to 2^53, otherwise the shorter of
// plain and exponent form, plain when both are as long.
TEST(ResultsJsonTest, NumbersKeepTheirForm) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {5.0, "5"},
        {7.5, "7.5"},
        {-200.5, "-200.5"},
        {1000000.0, "1000000"},
        {1e15, "1000000000000000"},
        {9007199254740992.0, "9007199254740992"},
        {1e16, "1e+16"},
        {12345678901234567890.0, "12345678901234567000"},
        {0.1, "0.1"},
        {0.001, "0.001"},
        {0.0005, "5e-04"},
        {-0.0005, "-5e-04"},
        {0.0009765625, "0.0009765625"},
        {0.00012345, "0.00012345"},
        {0.0001, "1e-04"},
        {0.00025967912245899912, "0.0002596791224589991"},
        {64.0009765625, "64.0009765625"},
        {1.0 / 3, "0.3333333333333333"},
        {1e100, "1e+100"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonText(json(c.value)), std::string(c.text) + "\n") << c.text;
    }
    EXPECT_EQ(JsonText(json(int64_t{-9223372036854775807 - 1})), "-9223372036854775808\n");
}

TEST(ResultsJsonTest, LayoutIndentsByFourWithKeysInOrder) {
    const json document = {{"warnings", json::array()},
                           {"pools", {{{"pool", "BP0"}, {"why", {"a\x01", "\xC3\xA9"}}}}},
                           {"ratio", nullptr},
                           {"cached", true}};
    EXPECT_EQ(JsonText(document),
              "{\n"
              "    \"cached\": true,\n"
              "    \"pools\": [\n"
              "        {\n"
              "            \"pool\": \"BP0\",\n"
              "            \"why\": [\n"
              "                \"a\\u0001\",\n"
              "                \"\xC3\xA9\"\n"
              "            ]\n"
              "        }\n"
              "    ],\n"
              "    \"ratio\": null,\n"
              "    \"warnings\": []\n"
              "}\n");
}

}  // namespace
}  // namespace core

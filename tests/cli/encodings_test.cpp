#include "encodings.h"

#include <gtest/gtest.h>

namespace cli {
namespace {

TEST(EncodingsTest, BytesReachTerminalAndJsonEscapedAndArgumentsRoundTrip) {
    const QString e = QString(QChar(0xE9));
    const struct {
        std::string bytes;
        QString terminal;
        QString json;
    } cases[] = {
        {"a\\b\tc", R"(a\\b\x09c)", "a\\b\tc"},
        {"\x7F\xC3\xA9", R"(\x7F)" + e, "\x7F" + e},
        {"\xC2\x85", R"(\xC2\x85)", QString(QChar(0x85))},  // a control character in UTF-8
        {"\xF0\x9F\x98\x80", QString::fromUtf8("\xF0\x9F\x98\x80"),
         QString::fromUtf8("\xF0\x9F\x98\x80")},
        // Overlong, a surrogate, past U+10FFFF, cut short: not UTF-8, so byte by byte.
        {"\xE0\x80\xAF", R"(\xE0\x80\xAF)", R"(\xE0\x80\xAF)"},
        {"\xED\xA0\x80", R"(\xED\xA0\x80)", R"(\xED\xA0\x80)"},
        {"\xF4\x90\x80\x80", R"(\xF4\x90\x80\x80)", R"(\xF4\x90\x80\x80)"},
        {"x\xC3", R"(x\xC3)", R"(x\xC3)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TerminalBytes(c.bytes), c.terminal) << c.bytes;
        EXPECT_EQ(JsonBytes(c.bytes), c.json) << c.bytes;
        EXPECT_EQ(EncodeArgument(DecodeArgument(c.bytes)), c.bytes) << c.bytes;
    }
    EXPECT_EQ(TerminalData("\x1B[0m\\\x9B\xE9"), R"(\x1B[0m\\\x9B)" + e);
    EXPECT_EQ(ToDataExactly(QString::fromUtf8("BP\xE2\x82\xAC")), std::nullopt);
}

}  // namespace
}  // namespace cli

#include "cli/encodings.h"

#include <cstdint>

namespace cli {
namespace {

constexpr char16_t kEscapedByteBase = 0xDC00;

// The length of the valid UTF-8 sequence at the start of `bytes` and its code point; length 0
// when the first byte does not start one (overlong forms and surrogates are not valid).
struct Utf8Sequence {
    size_t length = 0;
    char32_t codePoint = 0;
};

Utf8Sequence ReadUtf8(std::string_view bytes) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
    const uint8_t lead = byte(0);
    if (lead < 0x80) {
        return {1, lead};
    }
    size_t length = 0;
    uint8_t low = 0x80;
    uint8_t high = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {};
    }
    if (bytes.size() < length || byte(1) < low || byte(1) > high) {
        return {};
    }
    char32_t codePoint = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return {};
        }
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    return {length, codePoint};
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

QString HexByte(uint8_t byte) {
    return QStringLiteral("\\x") + QString::number(byte, 16).toUpper().rightJustified(2, '0');
}

// Walks `bytes` as UTF-8: valid characters go to `character`, each other byte to `stray`.
template <typename Character, typename Stray>
void WalkUtf8(std::string_view bytes, Character character, Stray stray) {
    while (!bytes.empty()) {
        const Utf8Sequence sequence = ReadUtf8(bytes);
        if (sequence.length == 0) {
            stray(static_cast<uint8_t>(bytes.front()));
            bytes.remove_prefix(1);
        } else {
            character(sequence.codePoint, bytes.substr(0, sequence.length));
            bytes.remove_prefix(sequence.length);
        }
    }
}

}  // namespace

QString DecodeArgument(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    WalkUtf8(
        bytes, [&](char32_t c, std::string_view) { text += QString::fromUcs4(&c, 1); },
        [&](uint8_t b) { text += QChar(static_cast<char16_t>(kEscapedByteBase + b)); });
    return text;
}

std::string EncodeArgument(const QString& argument) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(argument.size()));
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const char16_t unit = argument[i].unicode();
        const bool pair = QChar::isHighSurrogate(unit) && i + 1 < argument.size() &&
                          argument[i + 1].isLowSurrogate();
        if (pair) {
            bytes += argument.mid(i, 2).toStdString();
            ++i;
        } else if (unit >= kEscapedByteBase + 0x80 && unit <= kEscapedByteBase + 0xFF) {
            bytes += static_cast<char>(unit - kEscapedByteBase);
        } else {
            bytes += QString(QChar(unit)).toStdString();
        }
    }
    return bytes;
}

QString FromData(std::string_view latin1) {
    return QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size()));
}

std::string ToData(const QString& text) { return text.toLatin1().toStdString(); }

std::optional<std::string> ToDataExactly(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            return std::nullopt;
        }
    }
    return ToData(text);
}

QString TerminalData(std::string_view latin1) {
    QString text;
    text.reserve(static_cast<qsizetype>(latin1.size()));
    for (const char c : latin1) {
        const auto byte = static_cast<uint8_t>(c);
        if (IsControl(byte)) {
            text += HexByte(byte);
        } else if (c == '\\') {
            text += QStringLiteral("\\\\");
        } else {
            text += QChar(byte);
        }
    }
    return text;
}

QString TerminalBytes(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    WalkUtf8(
        bytes,
        [&](char32_t c, std::string_view sequence) {
            if (IsControl(c)) {
                for (const char b : sequence) {
                    text += HexByte(static_cast<uint8_t>(b));
                }
            } else if (c == '\\') {
                text += QStringLiteral("\\\\");
            } else {
                text += QString::fromUcs4(&c, 1);
            }
        },
        [&](uint8_t b) { text += HexByte(b); });
    return text;
}

QString TerminalText(const QString& argument) { return TerminalBytes(EncodeArgument(argument)); }

QString JsonBytes(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    WalkUtf8(
        bytes, [&](char32_t c, std::string_view) { text += QString::fromUcs4(&c, 1); },
        [&](uint8_t b) { text += HexByte(b); });
    return text;
}

}  // namespace cli

#include "cli/encodings.h"

#include <cstdint>

#include "core/text.h"

namespace cli {
namespace {

constexpr char16_t kEscapedByteBase = 0xDC00;

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

QString HexByte(uint8_t byte) {
    return QStringLiteral("\\x") + QString::number(byte, 16).toUpper().rightJustified(2, '0');
}

}  // namespace

QString DecodeArgument(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    core::WalkUtf8(
        bytes, [&](char32_t c, std::string_view) { text += QString::fromUcs4(&c, 1); },
        [&](unsigned char b) { text += QChar(static_cast<char16_t>(kEscapedByteBase + b)); });
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
    core::WalkUtf8(
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
        [&](unsigned char b) { text += HexByte(b); });
    return text;
}

QString TerminalText(const QString& argument) { return TerminalBytes(EncodeArgument(argument)); }

}  // namespace cli

// Text tests shared by every part of the program. Data files are single-byte text (Latin-1):
// letter case is folded for A-Z and the Latin-1 letters, and "blanks" are spaces only.
#ifndef CORE_TEXT_H_
#define CORE_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// Leading and trailing blanks (spaces) removed; tabs and other bytes are kept.
std::string_view Trim(std::string_view text);

// The words of `text`, split at spaces, tabs and commas: "cf01, CF02" -> {"cf01", "CF02"}.
std::vector<std::string_view> Words(std::string_view text);

// Latin-1 lower case of one byte.
char FoldCase(char c);

// The text with every letter in lower case: a key under which names equal with letter case
// ignored meet.
std::string FoldedCase(std::string_view text);

// The text with a-z in upper case and every other byte as it is, whatever the C library's locale:
// the names of groups, facilities, structures and policies are A-Z.
std::string UpperCase(std::string_view text);

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// <0, 0 or >0 as a sorts before, equal to or after b, letter case ignored; used for the
// alphabetical order of the pool lists.
int CompareIgnoreCase(std::string_view a, std::string_view b);

bool ContainsIgnoreCase(std::string_view text, std::string_view needle);

inline bool Contains(std::string_view text, std::string_view needle) {
    return text.find(needle) != std::string_view::npos;
}

// Latin-1 bytes to UTF-8, for messages and JSON.
std::string Latin1ToUtf8(std::string_view latin1);

// The length of the valid UTF-8 sequence at the start of `bytes` and its code point; length 0
// when the first byte does not start one (overlong forms and surrogates are not valid).
// REQUIRES: !bytes.empty().
struct Utf8Sequence {
    size_t length = 0;
    char32_t codePoint = 0;
};
Utf8Sequence ReadUtf8(std::string_view bytes);

// Walks `bytes` as UTF-8: each valid character goes to `character(codePoint, itsBytes)`, each
// byte that no valid sequence holds to `stray(byte)`.
template <typename Character, typename Stray>
void WalkUtf8(std::string_view bytes, Character character, Stray stray) {
    while (!bytes.empty()) {
        const Utf8Sequence sequence = ReadUtf8(bytes);
        if (sequence.length == 0) {
            stray(static_cast<unsigned char>(bytes.front()));
            bytes.remove_prefix(1);
        } else {
            character(sequence.codePoint, bytes.substr(0, sequence.length));
            bytes.remove_prefix(sequence.length);
        }
    }
}

// The last component of a path ("db1a.sta" of "samples/db1a.sta"), for messages naming a file.
std::string_view FileNameOf(std::string_view path);

}  // namespace core

#endif  // CORE_TEXT_H_

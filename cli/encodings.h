// How text crosses the edges of the batch sizer. Arguments and paths are bytes, usually UTF-8
// but not always; data-file text is Latin-1; a terminal must never receive a control byte taken
// from data or from a path, since it could act on it. (JSON: core/results_json.h.)
#ifndef CLI_ENCODINGS_H_
#define CLI_ENCODINGS_H_

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

// An argument's bytes as a QString, losslessly: valid UTF-8 as its characters, each other byte
// as the lone surrogate U+DC00 + byte (which no valid UTF-8 decodes to). EncodeArgument gives
// back the very bytes, so a file name that is not UTF-8 still opens.
QString DecodeArgument(std::string_view bytes);
std::string EncodeArgument(const QString& argument);

// Data-file text, Latin-1 byte for character, for JSON and for comparison.
QString FromData(std::string_view latin1);
// Typed text for the core, which reads single bytes: a character Latin-1 cannot hold becomes
// "?" (the typed numbers are read leniently, so that is what they always were).
std::string ToData(const QString& text);
// The Latin-1 bytes of text meant to match data (a pool name, an object key); nullopt when a
// character does not fit, so that it is refused rather than matched as "?".
std::optional<std::string> ToDataExactly(const QString& text);

// For a terminal: the bytes 00-1F, 7F and 80-9F as \xNN (upper-case hex), a backslash as \\.
// Data is Latin-1; a path or a message is UTF-8 where valid, and there every byte of a control
// character and every byte outside valid UTF-8 is written as \xNN.
QString TerminalData(std::string_view latin1);
QString TerminalBytes(std::string_view bytes);
QString TerminalText(const QString& argument);  // an argument, as TerminalBytes of its bytes

}  // namespace cli

#endif  // CLI_ENCODINGS_H_

// Captured console text, as the readers of a running group's displays and policy job see it: a
// text saved from a console log, SDSF, a job's output or a terminal, walked line by line within
// fixed bounds; message IDs found behind a line's prefix (time, system, job or console name);
// "label = value" and "label: value" pairs; counts and sizes read with overflow checked.
#ifndef CORE_CAPTURE_TEXT_H_
#define CORE_CAPTURE_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// Captures larger than this are refused: displays, even with hours of log around them, are far
// smaller.
inline constexpr size_t kMaxCaptureBytes = size_t{64} << 20;
// Lines longer than this are refused: no console, SDSF or job-output line comes near it.
inline constexpr size_t kMaxCaptureLineBytes = size_t{32} << 10;

// Facilities read of one preference list: the policy utility takes 8, and no display shows
// more than the policy holds.
inline constexpr size_t kMaxPreferenceList = 16;

// Walks a text line by line. Lines end at "\n" (a "\r" before it is dropped); the last line may
// lack its terminator. Stops with a one-line `error` at a NUL byte or a line past the limit.
// `text` must remain live while the cursor is in use.
class LineCursor {
public:
    explicit LineCursor(std::string_view text, size_t maxLineBytes = kMaxCaptureLineBytes);

    // Moves to the next line; false at the end of the text or when `error` is set.
    bool Next();

    std::string_view line;  // without its terminator
    int64_t number = 0;     // 1-based
    size_t begin = 0;       // byte offset of the line's first byte
    size_t end = 0;         // byte offset just past its terminator
    std::string error;

private:
    std::string_view m_text;
    size_t m_maxLineBytes;
};

// Calls `readLine` for each line of `text` until it returns a refusal. Returns that refusal, or
// the one of a text over `maxBytes` or of the cursor (NUL byte, line too long), or "".
std::string ForEachLine(std::string_view text,
                        const std::function<std::string(const LineCursor&)>& readLine,
                        size_t maxBytes = kMaxCaptureBytes);

// The first word of `line` (blanks and tabs separate words) that reads as a message ID (3 to 5
// of A-Z $ # @, 3 to 5 digits, a letter: IXC360I, DSNB750I, DSN9022I; a leading "+" or "*" of
// the console is dropped) and stands before any label of the line (a word ending in ':' or
// holding '=' or '('), so that a value such as a facility named CFA001A is never taken for one.
// Empty when there is none, `*after` then left alone; else `*after` is set just past the ID.
std::string_view FindMessageId(std::string_view line, size_t* after = nullptr);

// One "label = value" (or "label: value") of a line. `label` is the text between the previous
// pair's value and the separator, blanks trimmed (a line's prefix and message ID included,
// which is why labels are matched by their end); `value` the first word after the separator
// and `next` the word after it (a unit such as "KB"); `rest` everything after the separator.
struct LabelValue {
    std::string_view label;
    std::string_view value;
    std::string_view next;
    std::string_view rest;
};

// The pairs of `line` around `separator`, at most `maxPairs` of them.
std::vector<LabelValue> LabelValues(std::string_view line, char separator, size_t maxPairs);

// Whether `label` ends with the words of `wanted`, letter case and the blanks between words
// ignored, at a word boundary ("POLICY SIZE" ends "DSNB757I POLICY SIZE" but not "XPOLICY SIZE").
bool LabelEndsWith(std::string_view label, std::string_view wanted);

// Blanks and tabs trimmed from both ends.
std::string_view TrimBlanks(std::string_view text);

enum class FigureStatus { kOk, kNotANumber, kTooLarge };

struct Figure {
    FigureStatus status = FigureStatus::kNotANumber;
    int64_t value = 0;

    bool ok() const { return status == FigureStatus::kOk; }
};

// A whole non-negative count of digits ("1950").
Figure ReadCount(std::string_view text);

// A size in KB: digits, then an optional unit K, M, G or T, optionally followed by "B", attached
// or after blanks ("131072 K", "64M", "4096 KB"); KB when there is no unit.
Figure ReadSizeKb(std::string_view text);

// The pair's value as a size in KB, its unit in the value ("64M") or in the next word ("64 M",
// "4096 KB").
Figure ReadSizeKb(const LabelValue& pair);

// Input text fit to quote in a one-line message: printable ASCII kept, any other byte "?", and
// cut to `maxChars` with "..." after it.
std::string Printable(std::string_view text, size_t maxChars = 40);

// `what` followed by " on line N", for refusals that point at a line.
std::string AtLine(std::string_view what, int64_t line);

}  // namespace core

#endif  // CORE_CAPTURE_TEXT_H_

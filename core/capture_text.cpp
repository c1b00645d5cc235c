#include "core/capture_text.h"

#include <limits>

#include "core/text.h"

namespace core {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdLetter(char c) { return (c >= 'A' && c <= 'Z') || c == '$' || c == '#' || c == '@'; }

bool LooksLikeMessageId(std::string_view word) {
    size_t i = 0;
    while (i < word.size() && IsIdLetter(word[i])) {
        ++i;
    }
    const size_t letters = i;
    while (i < word.size() && IsDigit(word[i])) {
        ++i;
    }
    const size_t digits = i - letters;
    return letters >= 3 && letters <= 5 && digits >= 3 && digits <= 5 && i + 1 == word.size() &&
           word[i] >= 'A' && word[i] <= 'Z';
}

// The word starting at `from` (blanks skipped first); empty at the end of the text.
std::string_view WordAt(std::string_view text, size_t from, size_t* end) {
    while (from < text.size() && IsBlank(text[from])) {
        ++from;
    }
    size_t stop = from;
    while (stop < text.size() && !IsBlank(text[stop])) {
        ++stop;
    }
    *end = stop;
    return text.substr(from, stop - from);
}

constexpr int64_t kMaxInt64 = std::numeric_limits<int64_t>::max();

}  // namespace

LineCursor::LineCursor(std::string_view text, size_t maxLineBytes)
    : m_text(text), m_maxLineBytes(maxLineBytes) {}

bool LineCursor::Next() {
    if (!error.empty() || end >= m_text.size()) {
        return false;
    }
    begin = end;
    const size_t newline = m_text.find('\n', begin);
    const size_t stop = newline == std::string_view::npos ? m_text.size() : newline;
    end = newline == std::string_view::npos ? m_text.size() : newline + 1;
    line = m_text.substr(begin, stop - begin);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    ++number;
    if (line.size() > m_maxLineBytes) {
        error = "line " + std::to_string(number) + " is longer than " +
                std::to_string(m_maxLineBytes) + " characters, which no text of its kind has";
        return false;
    }
    if (line.find('\0') != std::string_view::npos) {
        error = "line " + std::to_string(number) + " holds a NUL byte: this is not a text";
        return false;
    }
    return true;
}

std::string ForEachLine(std::string_view text,
                        const std::function<std::string(const LineCursor&)>& readLine,
                        size_t maxBytes) {
    if (text.size() > maxBytes) {
        return "it is larger than " + std::to_string(maxBytes >> 20) +
               " MB, far more than any text of its kind";
    }
    LineCursor cursor(text);
    while (cursor.Next()) {
        if (std::string problem = readLine(cursor); !problem.empty()) {
            return problem;
        }
    }
    return cursor.error;
}

std::string_view FindMessageId(std::string_view line, size_t* after) {
    size_t pos = 0;
    while (pos < line.size()) {
        size_t end = 0;
        std::string_view word = WordAt(line, pos, &end);
        if (word.empty()) {
            break;
        }
        const size_t wordBegin = end - word.size();
        while (!word.empty() && (word.front() == '+' || word.front() == '*')) {
            word.remove_prefix(1);
        }
        if (LooksLikeMessageId(word)) {
            if (after != nullptr) {
                *after = end;
            }
            return word;
        }
        // A label ends the search; a time such as 10:15:22.13 in a prefix does not.
        const std::string_view raw = line.substr(wordBegin, end - wordBegin);
        if (raw.back() == ':' || raw.find_first_of("=(") != std::string_view::npos) {
            break;
        }
        pos = end;
    }
    return {};
}

std::vector<LabelValue> LabelValues(std::string_view line, char separator, size_t maxPairs) {
    std::vector<LabelValue> pairs;
    size_t labelBegin = 0;
    while (pairs.size() < maxPairs) {
        const size_t sep = line.find(separator, labelBegin);
        if (sep == std::string_view::npos) {
            break;
        }
        LabelValue pair;
        pair.label = TrimBlanks(line.substr(labelBegin, sep - labelBegin));
        pair.rest = TrimBlanks(line.substr(sep + 1));
        size_t valueEnd = 0;
        pair.value = WordAt(line, sep + 1, &valueEnd);
        size_t nextEnd = 0;
        pair.next = WordAt(line, valueEnd, &nextEnd);
        pairs.push_back(pair);
        labelBegin = valueEnd;
    }
    return pairs;
}

bool LabelEndsWith(std::string_view label, std::string_view wanted) {
    // Compared word by word from the end, so that blanks between words may differ.
    label = TrimBlanks(label);
    wanted = TrimBlanks(wanted);
    while (!wanted.empty()) {
        const size_t wantedCut = wanted.find_last_of(" \t");
        const std::string_view wantedWord =
            wantedCut == std::string_view::npos ? wanted : wanted.substr(wantedCut + 1);
        if (label.size() < wantedWord.size() ||
            !EqualsIgnoreCase(label.substr(label.size() - wantedWord.size()), wantedWord)) {
            return false;
        }
        label.remove_suffix(wantedWord.size());
        if (!label.empty() && !IsBlank(label.back())) {
            return false;
        }
        label = TrimBlanks(label);
        wanted = wantedCut == std::string_view::npos ? std::string_view()
                                                     : TrimBlanks(wanted.substr(0, wantedCut));
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

Figure ReadCount(std::string_view text) {
    text = TrimBlanks(text);
    Figure figure;
    if (text.empty()) {
        return figure;
    }
    int64_t value = 0;
    for (const char c : text) {
        if (!IsDigit(c)) {
            return figure;
        }
        const int digit = c - '0';
        if (value > (kMaxInt64 - digit) / 10) {
            figure.status = FigureStatus::kTooLarge;
            return figure;
        }
        value = value * 10 + digit;
    }
    figure.status = FigureStatus::kOk;
    figure.value = value;
    return figure;
}

Figure ReadSizeKb(std::string_view text) {
    text = TrimBlanks(text);
    size_t digits = 0;
    while (digits < text.size() && IsDigit(text[digits])) {
        ++digits;
    }
    Figure figure = ReadCount(text.substr(0, digits));
    if (!figure.ok()) {
        return figure;
    }
    std::string_view unit = TrimBlanks(text.substr(digits));
    if (unit.size() == 2 && FoldCase(unit[1]) == 'b') {
        unit.remove_suffix(1);
    }
    int64_t factor = 1;
    if (!unit.empty()) {
        const std::string_view units = "kmgt";
        const size_t index = unit.size() == 1 ? units.find(FoldCase(unit[0])) : units.npos;
        if (index == std::string_view::npos) {
            return Figure{};
        }
        for (size_t i = 0; i < index; ++i) {
            factor *= 1024;
        }
    }
    if (figure.value > kMaxInt64 / factor) {
        return Figure{FigureStatus::kTooLarge, 0};
    }
    figure.value *= factor;
    return figure;
}

Figure ReadSizeKb(const LabelValue& pair) {
    if (!pair.next.empty() && pair.next.size() <= 2) {
        const Figure withUnit = ReadSizeKb(std::string(pair.value) + std::string(pair.next));
        if (withUnit.status != FigureStatus::kNotANumber) {
            return withUnit;
        }
    }
    return ReadSizeKb(pair.value);
}

std::string Printable(std::string_view text, size_t maxChars) {
    std::string shown;
    for (size_t i = 0; i < text.size() && i < maxChars; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        shown += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return text.size() > maxChars ? shown + "..." : shown;
}

std::string AtLine(std::string_view what, int64_t line) {
    return std::string(what) + " on line " + std::to_string(line);
}

}  // namespace core

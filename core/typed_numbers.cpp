#include "core/typed_numbers.h"

#include "core/text.h"

namespace core {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits before and after an optional point, and the value of the whole digits, capped so that
// a long text cannot overflow. false when the text is not of that form.
struct PlainDecimal {
    long wholeValue = 0;
    size_t wholeDigits = 0;
    size_t fractionDigits = 0;
    bool fractionNonZero = false;
    bool hasPoint = false;
};

bool ReadPlainDecimal(std::string_view text, PlainDecimal& out) {
    size_t i = 0;
    while (i < text.size() && IsDigit(text[i])) {
        if (out.wholeValue < 1'000'000) {
            out.wholeValue = out.wholeValue * 10 + (text[i] - '0');
        }
        ++out.wholeDigits;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        out.hasPoint = true;
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            out.fractionNonZero = out.fractionNonZero || text[i] != '0';
            ++out.fractionDigits;
            ++i;
        }
    }
    return i == text.size() && out.wholeDigits > 0;
}

}  // namespace

bool IsValidMembersText(std::string_view text) {
    PlainDecimal number;
    return ReadPlainDecimal(Trim(text), number) && !number.hasPoint && number.wholeValue >= 1 &&
           number.wholeValue <= 32;
}

bool IsValidEcsaText(std::string_view text) {
    PlainDecimal number;
    if (!ReadPlainDecimal(Trim(text), number) || number.wholeValue > 9999 ||
        (number.wholeValue == 9999 && number.fractionNonZero)) {
        return false;
    }
    return !number.hasPoint || (number.fractionDigits >= 1 && number.fractionDigits <= 2);
}

}  // namespace core

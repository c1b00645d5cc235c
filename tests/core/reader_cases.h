// Helpers for the tests of the readers of captured displays and policy jobs: input records with
// sequence numbers, and a table of texts a reader must refuse with one line.
#ifndef TESTS_CORE_READER_CASES_H_
#define TESTS_CORE_READER_CASES_H_

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace core::testing {

// An input record: `text` in columns 1 to 72 and the sequence number in columns 73 to 80.
inline std::string Card(const std::string& text, int sequence) {
    std::string card = text;
    card.resize(72, ' ');
    const std::string number = std::to_string(sequence * 100);
    return card + std::string(8 - number.size(), '0') + number + "\n";
}

// `jcl`, then `cards` numbered from 1, then the delimiter and the null statement.
inline std::string CardJob(std::string jcl, std::initializer_list<const char*> cards) {
    int sequence = 1;
    for (const char* text : cards) {
        jcl += Card(text, sequence++);
    }
    return jcl + "/*\n//\n";
}

struct Refusal {
    const char* name;
    std::string text;
    std::string error;
};

// `read` must refuse each text with exactly its error line.
template <typename Read, size_t N>
void ExpectRefusals(Read read, const Refusal (&cases)[N]) {
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = read(c.text);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.status().message(), c.error);
    }
}

}  // namespace core::testing

#endif  // TESTS_CORE_READER_CASES_H_

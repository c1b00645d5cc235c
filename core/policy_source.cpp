#include "core/policy_source.h"

#include <set>

#include "core/capture_text.h"
#include "core/text.h"

namespace core {
namespace {

// The utility reads columns 1 to 71 of each input record; 72 to 80 hold sequence numbers.
constexpr size_t kReadColumns = 71;
constexpr size_t kRecordColumns = 80;
// Input lines past 80 columns named in the notes, one note each.
constexpr size_t kMaxLongLineNotes = 5;

const char* const kLookedFor =
    "it holds no policy job (looked for DATA TYPE(CFRM), DEFINE POLICY NAME(...), CF and "
    "STRUCTURE statements)";

bool IsVerb(std::string_view word) {
    for (const char* verb : {"DATA", "DEFINE", "DELETE", "CF", "STRUCTURE"}) {
        if (EqualsIgnoreCase(word, verb)) {
            return true;
        }
    }
    return false;
}

// The two characters of DLM=xx or DLM='xx' on a JCL line (not a "//*" comment); "" when none.
std::string DelimiterOf(std::string_view line) {
    if (line.substr(0, 3) == "//*") {
        return "";
    }
    const size_t at = FoldedCase(line).find("dlm=");
    if (at == std::string::npos) {
        return "";
    }
    std::string_view value = line.substr(at + 4);
    if (!value.empty() && value.front() == '\'') {
        value = value.substr(
            1, value.find('\'', 1) == std::string_view::npos ? 0 : value.find('\'', 1) - 1);
    } else {
        value = value.substr(0, value.find_first_of(", "));
    }
    return value.size() == 2 ? std::string(value) : "";
}

// Whether an EXEC statement runs the policy utility; nullopt for other lines and for an EXEC of
// a procedure, which may run it.
std::optional<bool> RunsTheUtility(std::string_view line) {
    if (line.substr(0, 3) == "//*") {
        return std::nullopt;
    }
    const std::string folded = FoldedCase(line.substr(2));
    const std::vector<std::string_view> words = Words(folded);
    // "//STEP1 EXEC PGM=..." or "// EXEC PGM=...".
    if (!(!words.empty() && words[0] == "exec") && !(words.size() > 1 && words[1] == "exec")) {
        return std::nullopt;
    }
    for (const std::string_view word : words) {
        if (word.substr(0, 4) == "pgm=") {
            return word.substr(4) == "ixcmiapu";
        }
    }
    return std::nullopt;
}

const PolicyKeyword* FindKeyword(const PolicyStatement& statement, std::string_view name) {
    for (const PolicyKeyword& keyword : statement.keywords) {
        if (keyword.name == name) {
            return &keyword;
        }
    }
    return nullptr;
}

std::string StatementAt(const PolicyStatement& statement) {
    return "the " + Printable(statement.verb) + " statement on line " +
           std::to_string(statement.firstLine);
}

// Splits the data lines into statements, keywords and values, skipping comments.
class PolicyTokenizer {
public:
    std::string ReadLine(const LineCursor& cursor);
    // Ends the data at a delimiter (`atTextEnd` false) or at the end of the text.
    std::string EndOfData(int64_t line, bool atTextEnd);

    std::vector<PolicyStatement> statements;
    int64_t verbatimLines = 0;
    std::vector<std::string> notes;

private:
    std::string FinishWord();
    void Touch(size_t endOffset);

    const LineCursor* m_cursor = nullptr;
    bool m_sawJcl = false;
    std::string m_delimiter;      // DLM= of the last DD statement, until the data it ends
    bool m_otherProgram = false;  // the last EXEC runs another program: its data is not read
    bool m_inComment = false;
    int64_t m_commentLine = 0;
    // The open comment started with a line holding only "/*": the delimiter of input copied
    // without its JCL, when nothing closes it.
    bool m_commentMayBeDelimiter = false;
    bool m_inValue = false;
    int64_t m_valueLine = 0;
    std::string m_word;
    size_t m_wordBegin = 0;
    size_t m_longLines = 0;
    size_t m_keywords = 0;
    bool m_statementOpen = false;  // the last statement may take more keywords
};

// The current statement reaches `endOffset` on the current line.
void PolicyTokenizer::Touch(size_t endOffset) {
    PolicyStatement& statement = statements.back();
    statement.end = endOffset;
    statement.lastLine = m_cursor->number;
    statement.linesEnd = m_cursor->end;
}

std::string PolicyTokenizer::FinishWord() {
    if (m_word.empty()) {
        return "";
    }
    const std::string word = UpperCase(m_word);
    m_word.clear();
    if (IsVerb(word) || !m_statementOpen) {
        if (statements.size() >= kMaxPolicyStatements) {
            return "it holds more than " + std::to_string(kMaxPolicyStatements) + " statements";
        }
        PolicyStatement statement;
        statement.verb = word;
        statement.firstLine = m_cursor->number;
        statement.begin = m_wordBegin;
        statement.linesBegin = m_cursor->begin;
        statements.push_back(std::move(statement));
        m_statementOpen = true;
    } else {
        if (++m_keywords > kMaxPolicyKeywords) {
            return "it holds more than " + std::to_string(kMaxPolicyKeywords) + " keywords";
        }
        PolicyKeyword keyword;
        keyword.name = word;
        keyword.line = m_cursor->number;
        statements.back().keywords.push_back(std::move(keyword));
    }
    Touch(m_wordBegin + word.size());
    return "";
}

std::string PolicyTokenizer::EndOfData(int64_t line, bool atTextEnd) {
    if (m_inComment && atTextEnd && m_commentMayBeDelimiter) {
        ++verbatimLines;
        m_inComment = false;
    }
    if (m_inComment) {
        return AtLine("a comment opened on line " + std::to_string(m_commentLine) +
                          " is not closed before the end of the data",
                      line);
    }
    if (m_inValue) {
        return AtLine("a parenthesis opened on line " + std::to_string(m_valueLine) +
                          " is not closed before the end of the data",
                      line);
    }
    m_statementOpen = false;
    return "";
}

std::string PolicyTokenizer::ReadLine(const LineCursor& cursor) {
    m_cursor = &cursor;
    std::string_view line = cursor.line;
    size_t lineBegin = cursor.begin;
    if (cursor.number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") {
        line.remove_prefix(3);  // the byte-order mark some editors put first
        lineBegin += 3;
    }
    const bool jcl = line.substr(0, 2) == "//";
    const bool delimiter =
        !jcl && (m_delimiter.empty() ? m_sawJcl && line.substr(0, 2) == "/*"
                                     : line.substr(0, m_delimiter.size()) == m_delimiter);
    if (jcl || delimiter) {
        ++verbatimLines;
        m_sawJcl = true;
        if (delimiter) {
            m_delimiter.clear();
        } else if (std::string dlm = DelimiterOf(line); !dlm.empty()) {
            m_delimiter = std::move(dlm);
        }
        if (const std::optional<bool> utility = RunsTheUtility(line)) {
            m_otherProgram = !*utility;
        }
        return EndOfData(cursor.number, false);
    }
    if (m_otherProgram) {
        ++verbatimLines;
        return "";
    }
    if (line.size() > kRecordColumns && m_longLines++ < kMaxLongLineNotes) {
        notes.push_back("Line " + std::to_string(cursor.number) + " is longer than " +
                        std::to_string(kRecordColumns) +
                        " columns; the utility reads columns 1 to 71 and so does this reader.");
    }
    const std::string_view data = line.substr(0, kReadColumns);
    for (size_t i = 0; i < data.size(); ++i) {
        const char c = data[i];
        const size_t offset = lineBegin + i;
        if (m_inComment) {
            if (c == '*' && i + 1 < data.size() && data[i + 1] == '/') {
                m_inComment = false;
                ++i;
            }
            continue;
        }
        if (c == '/' && i + 1 < data.size() && data[i + 1] == '*') {
            if (std::string problem = FinishWord(); !problem.empty()) {
                return problem;
            }
            m_inComment = true;
            m_commentLine = cursor.number;
            m_commentMayBeDelimiter = i == 0 && TrimBlanks(line.substr(2)).empty();
            ++i;
            continue;
        }
        if (m_inValue) {
            PolicyKeyword& keyword = statements.back().keywords.back();
            if (c == ')') {
                keyword.value = std::string(TrimBlanks(keyword.value));
                m_inValue = false;
                Touch(offset + 1);
            } else if (c == '(') {
                return AtLine("a parenthesis inside the value of " + Printable(keyword.name),
                              cursor.number);
            } else if (c != ' ' && c != '\t') {
                keyword.value += c;
            } else if (!keyword.value.empty() && keyword.value.back() != ' ') {
                keyword.value += ' ';
            }
            continue;
        }
        if (c == '(') {
            if (std::string problem = FinishWord(); !problem.empty()) {
                return problem;
            }
            if (!m_statementOpen || statements.back().keywords.empty() ||
                statements.back().keywords.back().hasValue) {
                return AtLine("a parenthesis without a keyword before it", cursor.number);
            }
            statements.back().keywords.back().hasValue = true;
            m_inValue = true;
            m_valueLine = cursor.number;
            continue;
        }
        if (c == ')') {
            return AtLine("a closing parenthesis without an opening one", cursor.number);
        }
        if (c == ' ' || c == '\t' || c == ',') {
            if (std::string problem = FinishWord(); !problem.empty()) {
                return problem;
            }
            continue;
        }
        if (m_word.empty()) {
            m_wordBegin = offset;
        }
        m_word += c;
    }
    if (m_inValue) {
        PolicyKeyword& keyword = statements.back().keywords.back();
        if (!keyword.value.empty() && keyword.value.back() != ' ') {
            keyword.value += ' ';  // a value continued on the next line
        }
    }
    return FinishWord();
}

class PolicySourceReader {
public:
    std::string Read(std::string_view text);
    PolicySource source;

private:
    std::string ReadStatements();
    std::string ReadStructure(size_t index);
};

std::string PolicySourceReader::ReadStructure(size_t index) {
    const PolicyStatement& statement = source.statements[index];
    PolicySourceStructure structure;
    structure.statement = index;
    structure.name = UpperCase(FindKeyword(statement, "NAME")->value);
    for (const PolicyKeyword& keyword : statement.keywords) {
        std::optional<int64_t>* sizeKb = nullptr;
        if (keyword.name == "INITSIZE") {
            sizeKb = &structure.initSizeKb;
        } else if (keyword.name == "SIZE") {
            sizeKb = &structure.sizeKb;
        } else if (keyword.name == "MINSIZE") {
            sizeKb = &structure.minSizeKb;
        } else if (keyword.name == "PREFLIST") {
            for (const std::string_view cf : Words(keyword.value)) {
                if (structure.preferenceList.size() == kMaxPreferenceList) {
                    return AtLine("PREFLIST of structure " + Printable(structure.name) +
                                      " names more than " + std::to_string(kMaxPreferenceList) +
                                      " facilities",
                                  keyword.line);
                }
                structure.preferenceList.push_back(UpperCase(cf));
            }
        } else if (keyword.name == "DUPLEX") {
            structure.duplex = UpperCase(keyword.value);
        } else if (keyword.name == "ALLOWAUTOALT") {
            const std::string value = UpperCase(keyword.value);
            if (value != "YES" && value != "NO") {
                return AtLine("ALLOWAUTOALT(" + Printable(keyword.value) + ") of structure " +
                                  Printable(structure.name) + " is neither YES nor NO",
                              keyword.line);
            }
            structure.allowAutoAlter = value == "YES";
        }
        if (sizeKb != nullptr) {
            const Figure figure = ReadSizeKb(keyword.value);
            if (!figure.ok()) {
                return AtLine(keyword.name + "(" + Printable(keyword.value) + ") of structure " +
                                  Printable(structure.name) +
                                  (figure.status == FigureStatus::kTooLarge
                                       ? " is beyond 64 bits in KB"
                                       : " is not a size (a number, then K, M, G or T)"),
                              keyword.line);
            }
            *sizeKb = figure.value;
        }
    }
    source.structures.push_back(std::move(structure));
    return "";
}

std::string PolicySourceReader::ReadStatements() {
    std::vector<size_t> definitions;
    bool sawData = false;
    std::set<std::string> cfNames;
    std::set<std::string> structureNames;
    for (size_t i = 0; i < source.statements.size(); ++i) {
        PolicyStatement& statement = source.statements[i];
        const PolicyKeyword* name = FindKeyword(statement, "NAME");
        if (statement.verb == "DATA") {
            statement.kind = PolicyStatementKind::kData;
            const PolicyKeyword* type = FindKeyword(statement, "TYPE");
            if (type == nullptr || UpperCase(type->value) != "CFRM") {
                return AtLine("it is a DATA TYPE(" + Printable(type ? type->value : "") +
                                  ") job, not a CFRM policy",
                              statement.firstLine);
            }
            sawData = true;
        } else if (statement.verb == "DEFINE" && !statement.keywords.empty() &&
                   statement.keywords[0].name == "POLICY") {
            statement.kind = PolicyStatementKind::kDefinePolicy;
            if (name == nullptr || name->value.empty()) {
                return AtLine("the DEFINE POLICY has no NAME(...)", statement.firstLine);
            }
            definitions.push_back(i);
        } else if (statement.verb == "CF" || statement.verb == "STRUCTURE") {
            const bool isCf = statement.verb == "CF";
            statement.kind = isCf ? PolicyStatementKind::kCf : PolicyStatementKind::kStructure;
            if (definitions.empty()) {
                return StatementAt(statement) + " comes before DEFINE POLICY";
            }
            if (name == nullptr || name->value.empty()) {
                return StatementAt(statement) + " has no NAME(...)";
            }
            const std::string upper = UpperCase(name->value);
            if (!(isCf ? cfNames : structureNames).insert(upper).second) {
                return AtLine(std::string(isCf ? "facility " : "structure ") + Printable(upper) +
                                  " is defined a second time",
                              statement.firstLine);
            }
            if (isCf) {
                source.facilities.push_back(PolicySourceCf{upper, i});
            } else if (std::string problem = ReadStructure(i); !problem.empty()) {
                return problem;
            }
        }
    }
    if (!sawData && definitions.empty() && source.facilities.empty() && source.structures.empty()) {
        return kLookedFor;
    }
    if (!sawData) {
        return "it has no DATA TYPE(CFRM) statement";
    }
    if (definitions.empty()) {
        return "it defines no policy: there is no DEFINE POLICY NAME(...) statement";
    }
    if (definitions.size() > 1) {
        std::string where;
        for (size_t i = 0; i < definitions.size() && i < 5; ++i) {
            const PolicyStatement& statement = source.statements[definitions[i]];
            where += (i > 0 ? ", " : "") + Printable(FindKeyword(statement, "NAME")->value) +
                     " on line " + std::to_string(statement.firstLine);
        }
        return "it defines " + std::to_string(definitions.size()) + " policies (" + where +
               (definitions.size() > 5 ? ", ..." : "") + "); give a job with one DEFINE POLICY";
    }
    source.definePolicyStatement = definitions[0];
    source.policyName = UpperCase(FindKeyword(source.statements[definitions[0]], "NAME")->value);
    return "";
}

std::string PolicySourceReader::Read(std::string_view text) {
    PolicyTokenizer tokenizer;
    int64_t lastLine = 0;
    std::string problem = ForEachLine(
        text,
        [&](const LineCursor& cursor) {
            lastLine = cursor.number;
            return tokenizer.ReadLine(cursor);
        },
        kMaxPolicySourceBytes);
    if (problem.empty()) {
        problem = tokenizer.EndOfData(lastLine, true);
    }
    if (!problem.empty()) {
        return problem;
    }
    source.statements = std::move(tokenizer.statements);
    source.verbatimLines = tokenizer.verbatimLines;
    source.notes = std::move(tokenizer.notes);
    return ReadStatements();
}

}  // namespace

PolicySourceResult ReadPolicySource(std::string_view text) {
    PolicySourceReader reader;
    std::string error = reader.Read(text);
    if (!error.empty()) {
        return Status(StatusCode::kInvalidData, std::move(error));
    }
    return std::move(reader.source);
}

}  // namespace core

#include "core/gbp_display.h"

#include <map>

#include "core/capture_text.h"
#include "core/text.h"

namespace core {
namespace {

// Pairs beyond these on one line are ignored; Db2 puts one or two on a line.
constexpr size_t kMaxPairsPerLine = 8;
// Displays named in a note about a GBP displayed several times, and notes of one kind.
constexpr size_t kMaxNamed = 10;

const char* const kLookedFor =
    "it holds no group buffer pool display (looked for DSNB750I or DSNB751I, then DSNB755I, "
    "DSNB757I, DSNB758I, DSNB759I, DSNB783I, DSNB786I, DSNB787I, DSNB788I and DSNB790I)";

bool IsGbpName(std::string_view word) {
    if (word.size() < 4 || word.size() > 7 || !EqualsIgnoreCase(word.substr(0, 3), "gbp")) {
        return false;
    }
    size_t i = 3;
    while (i < word.size() && word[i] >= '0' && word[i] <= '9') {
        ++i;
    }
    if (i == 3) {
        return false;
    }
    if (i < word.size() && FoldCase(word[i]) == 'k') {
        ++i;
        if (i < word.size() && word[i] >= '0' && word[i] <= '9') {
            ++i;
        }
    }
    return i == word.size();
}

// "5", "1.5": a ratio as Db2 shows it; nullopt for anything else.
std::optional<double> ReadRatio(std::string_view text) {
    const size_t point = text.find('.');
    const Figure whole = ReadCount(text.substr(0, point));
    if (!whole.ok() || whole.value > 1000000) {
        return std::nullopt;
    }
    double value = static_cast<double>(whole.value);
    if (point != std::string_view::npos) {
        const std::string_view fraction = text.substr(point + 1);
        const Figure tenths = ReadCount(fraction);
        if (!tenths.ok() || fraction.size() > 6) {
            return std::nullopt;
        }
        double scale = 1;
        for (size_t i = 0; i < fraction.size(); ++i) {
            scale *= 10;
        }
        value += static_cast<double>(tenths.value) / scale;
    }
    return value;
}

// "10:42:07 DEC 06, 2026" as 20261206104207.
std::optional<int64_t> PeriodKey(std::string_view text) {
    const std::vector<std::string_view> words = Words(text);
    if (words.size() < 4 || words[0].size() != 8 || words[0][2] != ':' || words[0][5] != ':') {
        return std::nullopt;
    }
    const Figure hours = ReadCount(words[0].substr(0, 2));
    const Figure minutes = ReadCount(words[0].substr(3, 2));
    const Figure seconds = ReadCount(words[0].substr(6, 2));
    static const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    int month = 0;
    for (int m = 0; m < 12; ++m) {
        if (EqualsIgnoreCase(words[1], kMonths[m])) {
            month = m + 1;
        }
    }
    const Figure day = ReadCount(words[2]);
    const Figure year = ReadCount(words[3]);
    if (!hours.ok() || !minutes.ok() || !seconds.ok() || month == 0 || !day.ok() || !year.ok() ||
        hours.value > 23 || minutes.value > 59 || seconds.value > 60 || day.value < 1 ||
        day.value > 31 || year.value < 1900 || year.value > 9999) {
        return std::nullopt;
    }
    return ((((year.value * 100 + month) * 100 + day.value) * 100 + hours.value) * 100 +
            minutes.value) *
               100 +
           seconds.value;
}

class GbpDisplayReader {
public:
    std::string Read(std::string_view text);
    GbpDisplayRead result;

private:
    std::string ReadLine(const LineCursor& cursor);
    std::string ReadPairs(std::string_view line, int64_t lineNo);
    void Start(std::string_view id, std::string_view afterId, int64_t lineNo);
    std::string Finish();
    void Note(size_t& count, std::string note);

    std::optional<GbpDisplay> m_display;
    std::string m_message;  // the message the current line belongs to
    std::map<std::string, size_t> m_index;
    // Per GBP, in result order, for the notes: the kept display and some of the others, each
    // as its line, member and period.
    struct Seen {
        std::string kept;
        std::vector<std::string> others;  // at most kMaxNamed
    };
    std::vector<Seen> m_seen;
    size_t m_unnamed = 0;
    size_t m_cutShort = 0;
};

// Adds the note unless kMaxNamed of its kind are there already; counts it either way.
void GbpDisplayReader::Note(size_t& count, std::string note) {
    if (count++ < kMaxNamed) {
        result.notes.push_back(std::move(note));
    }
}

void GbpDisplayReader::Start(std::string_view id, std::string_view afterId, int64_t lineNo) {
    m_display.emplace();
    m_display->notInCfrmPolicy = id == "DSNB751I";
    m_display->firstLine = m_display->lastLine = lineNo;
    const std::vector<std::string_view> words = Words(afterId);
    if (!words.empty() && words[0] != "-" && words[0] != "DISPLAY" && words[0] != "MVS") {
        m_display->member = std::string(words[0]);
    }
}

std::string GbpDisplayReader::Finish() {
    if (!m_display) {
        return "";
    }
    GbpDisplay display = std::move(*m_display);
    m_display.reset();
    if (display.gbp.empty()) {
        Note(m_unnamed, "The display on line " + std::to_string(display.firstLine) +
                            " names no group buffer pool; it is left out.");
        return "";
    }
    if (!display.complete) {
        Note(m_cutShort, "The display of " + display.gbp + " on line " +
                             std::to_string(display.firstLine) +
                             " does not end with DSNB790I; it may be cut short.");
    }
    std::string described = "line " + std::to_string(display.firstLine);
    if (!display.member.empty() || !display.periodStart.empty()) {
        described += " (";
        described += Printable(display.member);
        if (!display.periodStart.empty()) {
            described += display.member.empty() ? "" : ", ";
            described += "period from " + Printable(display.periodStart);
        }
        described += ")";
    }
    const auto [it, added] = m_index.emplace(display.gbp, result.gbps.size());
    if (added) {
        if (result.gbps.size() == kMaxGbps) {
            return "it displays more than " + std::to_string(kMaxGbps) + " group buffer pools";
        }
        result.gbps.push_back(std::move(display));
        m_seen.push_back(Seen{described, {}});
        return "";
    }
    GbpDisplay& kept = result.gbps[it->second];
    Seen& seen = m_seen[it->second];
    const int count = kept.displayCount + 1;
    // Equal or unknown starts: the later display, as the more recent capture.
    if (display.periodStartKey.value_or(-1) >= kept.periodStartKey.value_or(-1)) {
        kept = std::move(display);
        std::swap(seen.kept, described);
    }
    if (seen.others.size() < kMaxNamed) {
        seen.others.push_back(std::move(described));
    }
    kept.displayCount = count;
    return "";
}

std::string GbpDisplayReader::ReadPairs(std::string_view line, int64_t lineNo) {
    GbpDisplay& d = *m_display;
    for (const LabelValue& pair : LabelValues(line, '=', kMaxPairsPerLine)) {
        std::optional<int64_t>* count = nullptr;
        std::optional<int64_t>* sizeKb = nullptr;
        if (m_message == "DSNB755I") {
            if (LabelEndsWith(pair.label, "CURRENT DIRECTORY TO DATA RATIO")) {
                d.currentRatio = ReadRatio(pair.value);
            } else if (LabelEndsWith(pair.label, "PENDING DIRECTORY TO DATA RATIO")) {
                d.pendingRatio = ReadRatio(pair.value);
            }
        } else if (m_message == "DSNB757I") {
            const std::vector<std::string_view> words = Words(pair.label);
            if (words.size() >= 3 && EqualsIgnoreCase(words[words.size() - 2], "FOR") &&
                EqualsIgnoreCase(words[words.size() - 3], "STATUS")) {
                d.structureName = UpperCase(words.back());
            } else if (LabelEndsWith(pair.label, "MAX SIZE INDICATED IN POLICY")) {
                sizeKb = &d.policyMaxSizeKb;
            } else if (LabelEndsWith(pair.label, "DUPLEX INDICATOR IN POLICY")) {
                d.duplexInPolicy = UpperCase(pair.value);
            } else if (LabelEndsWith(pair.label, "CURRENT DUPLEXING MODE")) {
                d.duplexingMode = UpperCase(pair.value);
            }
        } else if (m_message == "DSNB758I") {
            if (LabelEndsWith(pair.label, "ALLOCATED SIZE")) {
                sizeKb = &d.allocatedSizeKb;
            } else if (LabelEndsWith(pair.label, "CFNAME")) {
                d.cfName = UpperCase(pair.value);
            }
        } else if (m_message == "DSNB759I") {
            if (LabelEndsWith(pair.label, "NUMBER OF DIRECTORY ENTRIES")) {
                count = &d.directoryEntries;
            } else if (LabelEndsWith(pair.label, "NUMBER OF DATA PAGES")) {
                count = &d.dataPages;
            }
        } else if (m_message == "DSNB786I") {
            if (LabelEndsWith(pair.label, "CHANGED PAGES")) {
                count = &d.changedPages;
            } else if (LabelEndsWith(pair.label, "FAILED DUE TO LACK OF STORAGE")) {
                count = &d.writesFailed;
            }
        } else if (m_message == "DSNB787I") {
            if (LabelEndsWith(pair.label, "FOR DIRECTORY ENTRIES")) {
                count = &d.directoryReclaims;
            } else if (LabelEndsWith(pair.label, "FOR DATA ENTRIES")) {
                count = &d.dataReclaims;
            } else if (LabelEndsWith(pair.label, "CASTOUTS")) {
                count = &d.castouts;
            }
        } else if (m_message == "DSNB788I") {
            if (LabelEndsWith(pair.label, "DUE TO DIRECTORY RECLAIMS")) {
                count = &d.xiDirectoryReclaims;
            }
        }
        Figure figure;
        if (count != nullptr) {
            figure = ReadCount(pair.value);
        } else if (sizeKb != nullptr) {
            figure = ReadSizeKb(pair);
            count = sizeKb;
        } else {
            continue;
        }
        if (figure.status == FigureStatus::kTooLarge) {
            return AtLine("a figure of " + (d.gbp.empty() ? "a group buffer pool" : d.gbp) +
                              " is beyond 64 bits",
                          lineNo);
        }
        // A figure shown as N/A or the like is not reported: it stays unknown.
        *count = figure.ok() ? std::optional<int64_t>(figure.value) : std::nullopt;
    }
    return "";
}

std::string GbpDisplayReader::ReadLine(const LineCursor& cursor) {
    size_t afterId = 0;
    const std::string_view id = FindMessageId(cursor.line, &afterId);
    const std::string_view rest = id.empty() ? cursor.line : cursor.line.substr(afterId);
    if (!id.empty()) {
        m_message = std::string(id);
        if (id == "DSNB750I" || id == "DSNB751I") {
            if (std::string problem = Finish(); !problem.empty()) {
                return problem;
            }
            Start(id, rest, cursor.number);
        }
    }
    if (!m_display || m_message.rfind("DSNB", 0) != 0) {
        return "";  // another message between a display's lines belongs to someone else
    }
    GbpDisplay& d = *m_display;
    d.lastLine = cursor.number;
    if ((m_message == "DSNB750I" || m_message == "DSNB751I") && d.gbp.empty()) {
        for (const std::string_view word : Words(rest)) {
            if (IsGbpName(word)) {
                d.gbp = UpperCase(word);
                break;
            }
        }
    } else if (m_message == "DSNB762I") {
        d.secondaryReported = true;
    } else if (m_message == "DSNB783I" && !id.empty()) {
        const std::string folded = FoldedCase(rest);
        const size_t since = folded.find("since");
        if (since != std::string::npos) {
            d.periodStart = std::string(TrimBlanks(rest.substr(since + 5)));
            d.periodStartKey = PeriodKey(d.periodStart);
        }
    } else if (m_message == "DSNB790I") {
        d.complete = true;
        m_message.clear();
        return Finish();
    }
    return ReadPairs(rest, cursor.number);
}

std::string GbpDisplayReader::Read(std::string_view text) {
    if (std::string problem =
            ForEachLine(text, [this](const LineCursor& cursor) { return ReadLine(cursor); });
        !problem.empty()) {
        return problem;
    }
    if (std::string problem = Finish(); !problem.empty()) {
        return problem;
    }
    if (result.gbps.empty()) {
        return kLookedFor;
    }
    if (m_unnamed > kMaxNamed) {
        result.notes.push_back(std::to_string(m_unnamed - kMaxNamed) +
                               " more displays name no group buffer pool.");
    }
    if (m_cutShort > kMaxNamed) {
        result.notes.push_back(std::to_string(m_cutShort - kMaxNamed) +
                               " more displays do not end with DSNB790I.");
    }
    for (size_t i = 0; i < result.gbps.size(); ++i) {
        const GbpDisplay& gbp = result.gbps[i];
        if (gbp.displayCount < 2) {
            continue;
        }
        std::string note = gbp.gbp + " is displayed " + std::to_string(gbp.displayCount) +
                           " times; the display on " + m_seen[i].kept +
                           " is kept, with the latest period start (the later in the text where "
                           "starts are equal or not shown). Not kept: ";
        for (size_t j = 0; j < m_seen[i].others.size(); ++j) {
            note += (j > 0 ? "; " : "") + m_seen[i].others[j];
        }
        note += static_cast<size_t>(gbp.displayCount) > m_seen[i].others.size() + 1 ? "; ..." : "";
        result.notes.push_back(note + ".");
    }
    return "";
}

}  // namespace

GbpDisplayResult ReadGbpDisplay(std::string_view text) {
    GbpDisplayReader reader;
    std::string error = reader.Read(text);
    if (!error.empty()) {
        return Status(StatusCode::kInvalidData, std::move(error));
    }
    return std::move(reader.result);
}

}  // namespace core

#include "gen/sample_generator.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <functional>

namespace samplegen {
namespace {

// Columns of the records, 1-based start and length.
struct Columns {
    int start;
    int length;
};

constexpr int kBpsWidth = 458;
constexpr int kBpdWidth = 448;
constexpr int kLeadWidth = 149;

constexpr Columns kStamp = {5, 16};  // BPS and BPD: interval stamp, unread
constexpr Columns kPoolName = {21, 8};
constexpr Columns kPageSize = {29, 5};
constexpr Columns kVpSize = {34, 10};
constexpr Columns kVpSeqThreshold = {44, 6};
constexpr Columns kHpSize = {50, 10};
constexpr Columns kHpSeqThreshold = {60, 6};
constexpr Columns kCastout = {66, 1};
constexpr Columns kRatioDenominator = {67, 10};
constexpr Columns kRatioNumerator = {349, 10};

constexpr Columns kObjectKind = {29, 1};
constexpr Columns kObjectName = {30, 27};
constexpr Columns kStatisticA = {57, 10};
constexpr Columns kStatisticB = {339, 10};

constexpr Columns kCollectionTime = {142, 8};

// Unread numeric fields, filled with plausible counts by the generator.
constexpr std::array<Columns, 38> kBpsUnread = [] {
    std::array<Columns, 38> fields{};
    size_t n = 0;
    for (int start = 77; start <= 137; start += 10) {
        fields[n++] = {start, 10};
    }
    fields[n++] = {147, 6};
    fields[n++] = {153, 6};
    for (int start = 159; start <= 449; start += 10) {
        if (start != kRatioNumerator.start) {
            fields[n++] = {start, 10};
        }
    }
    if (n != fields.size()) {
        throw "field count";  // fails the constant evaluation
    }
    return fields;
}();

constexpr std::array<Columns, 38> kBpdUnread = [] {
    std::array<Columns, 38> fields{};
    size_t n = 0;
    for (int start = 67; start <= 127; start += 10) {
        fields[n++] = {start, 10};
    }
    fields[n++] = {137, 6};
    fields[n++] = {143, 6};
    for (int start = 149; start <= 439; start += 10) {
        if (start != kStatisticB.start) {
            fields[n++] = {start, 10};
        }
    }
    if (n != fields.size()) {
        throw "field count";  // fails the constant evaluation
    }
    return fields;
}();

constexpr std::string_view kDate = "2024-03-11";

// Application prefixes of the invented databases, e.g. PAYDB03.TSPAY07.
constexpr std::array<std::string_view, 12> kPrefixes = {
    "PAY", "HR", "INV", "ORD", "CUST", "GL", "ACCT", "SHIP", "PROD", "SALE", "BILL", "CLM"};

// SplitMix64: the standard distributions differ between libraries, so the generator draws its
// own numbers to give the same bytes everywhere.
class Rng {
public:
    explicit Rng(uint64_t seed) : m_state(seed) {}

    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // lo..hi inclusive; the modulo bias is far below anything a sample shows.
    int64_t Uniform(int64_t lo, int64_t hi) {
        return lo + static_cast<int64_t>(Next() % static_cast<uint64_t>(hi - lo + 1));
    }

private:
    uint64_t m_state;
};

void Put(std::string& line, Columns c, std::string_view text, Align align) {
    PutColumns(line, c.start, c.length, text, align);
}

void PutNumber(std::string& line, Columns c, int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    Put(line, c, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)), Align::kRight);
}

std::string TwoDigits(int64_t n) {
    std::string text = std::to_string(n);
    return n < 10 ? "0" + text : text;
}

bool Listed(const std::vector<std::string>& list, std::string_view name) {
    return std::any_of(list.begin(), list.end(), [name](const std::string& entry) {
        return std::equal(entry.begin(), entry.end(), name.begin(), name.end(), [](char a, char b) {
            return std::toupper(static_cast<unsigned char>(a)) ==
                   std::toupper(static_cast<unsigned char>(b));
        });
    });
}

std::string_view LineEndText(LineEnding ending) {
    switch (ending) {
        case LineEnding::kLf:
            return "\n";
        case LineEnding::kCr:
            return "\r";
        case LineEnding::kCrLf:
            break;
    }
    return "\r\n";
}

// Names the ordinary objects of the file: databases of 3 to 12 table spaces, each table space
// followed by up to two of its index spaces. Database numbers run over the whole file, so no
// name repeats.
class ObjectNamer {
public:
    explicit ObjectNamer(Rng& rng) : m_rng(rng) {}

    void Next(char& kind, std::string& name) {
        if (m_indexesLeft > 0) {
            --m_indexesLeft;
            kind = 'I';
            name = m_database + ".IX" + m_prefix + TwoDigits(m_tableSpace) +
                   static_cast<char>('A' + m_indexNo++);
            return;
        }
        if (m_tableSpacesLeft == 0) {
            const auto prefixCount = static_cast<int64_t>(kPrefixes.size());
            m_prefix = std::string(kPrefixes[static_cast<size_t>(m_databaseNo % prefixCount)]);
            m_database = m_prefix + "DB" + TwoDigits(m_databaseNo / prefixCount + 1);
            ++m_databaseNo;
            m_tableSpace = 0;
            m_tableSpacesLeft = m_rng.Uniform(3, 12);
        }
        --m_tableSpacesLeft;
        ++m_tableSpace;
        m_indexesLeft = m_rng.Uniform(0, 2);
        m_indexNo = 0;
        kind = 'T';
        name = m_database + ".TS" + m_prefix + TwoDigits(m_tableSpace);
    }

private:
    Rng& m_rng;
    int64_t m_databaseNo = 0;
    int64_t m_tableSpace = 0;
    int64_t m_tableSpacesLeft = 0;
    int64_t m_indexesLeft = 0;
    int m_indexNo = 0;
    std::string m_prefix;
    std::string m_database;
};

std::string WorkFileName(std::string_view pool, int64_t n) {
    const bool large =
        pool.find("32K") != std::string_view::npos || pool.find("32k") != std::string_view::npos;
    return std::string("DSNDB07.") + (large ? "DSN32K" : "DSN4K") + TwoDigits(n);
}

// Objects per pool: a handful for each work-file-only pool, the rest spread over the other
// pools by random weights, at least one object each.
std::vector<int64_t> ObjectCounts(const Options& options, int64_t objects, Rng& rng) {
    const auto poolCount = static_cast<int64_t>(options.pools.size());
    std::vector<int64_t> counts(options.pools.size(), 0);
    std::vector<size_t> ordinary;
    int64_t remaining = objects;
    for (size_t p = 0; p < options.pools.size(); ++p) {
        if (Listed(options.workFileOnlyPools, options.pools[p])) {
            counts[p] = std::clamp<int64_t>(objects / (10 * poolCount), 1, 8);
            remaining -= counts[p];
        } else {
            ordinary.push_back(p);
        }
    }
    if (ordinary.empty()) {
        for (size_t p = 0; remaining > 0; p = (p + 1) % counts.size(), --remaining) {
            ++counts[p];
        }
        return counts;
    }
    std::vector<int64_t> weights;
    int64_t weightSum = 0;
    for (size_t i = 0; i < ordinary.size(); ++i) {
        weights.push_back(rng.Uniform(1, 4));
        weightSum += weights.back();
    }
    const int64_t spread = remaining - static_cast<int64_t>(ordinary.size());
    for (size_t i = 0; i < ordinary.size(); ++i) {
        counts[ordinary[i]] = 1 + spread * weights[i] / weightSum;
        remaining -= counts[ordinary[i]];
    }
    for (size_t i = 0; remaining > 0; i = (i + 1) % ordinary.size(), --remaining) {
        ++counts[ordinary[i]];
    }
    return counts;
}

void FillUnread(std::string& line, const Columns* fields, size_t count, Rng& rng) {
    for (size_t i = 0; i < count; ++i) {
        const int64_t limit = fields[i].length >= 10 ? 9999999 : 99999;
        PutNumber(line, fields[i], rng.Uniform(0, limit));
    }
}

std::string IntervalStamp(const Options& options) {
    return std::string(kDate) + "-" + options.collectionTime.substr(0, 5);
}

std::string GeneratedBpsLine(const Options& options, std::string_view pool, Rng& rng) {
    BpsFields fields;
    fields.poolName = std::string(pool);
    fields.vpSizePages = rng.Uniform(4, 80) * 500;
    fields.hpSizePages = rng.Uniform(0, 1) == 0 ? 0 : rng.Uniform(2, 40) * 1000;
    fields.ratioDenominator = rng.Uniform(200000, 9000000);
    // An activity ratio of 0.05 to 0.5.
    fields.ratioNumerator = fields.ratioDenominator * rng.Uniform(50, 500) / 1000;
    std::string line = BpsLine(fields);
    Put(line, kStamp, IntervalStamp(options), Align::kLeft);
    const bool large = pool.find("32K") != std::string_view::npos;
    PutNumber(line, kPageSize, large ? 32768 : 4096);
    PutNumber(line, kVpSeqThreshold, 80);
    PutNumber(line, kHpSeqThreshold, 80);
    Put(line, kCastout, "Y", Align::kLeft);
    FillUnread(line, kBpsUnread.data(), kBpsUnread.size(), rng);
    return line;
}

std::string GeneratedBpdLine(const Options& options, std::string_view pool, char kind,
                             std::string name, Rng& rng) {
    BpdFields fields;
    fields.poolName = std::string(pool);
    fields.kind = kind;
    fields.objectName = std::move(name);
    if (kind == 'T') {
        // A about a hundred times B, so that the directory ratio lands near 3 to 8.
        fields.statisticA = rng.Uniform(800, 60000);
        fields.statisticB = std::max<int64_t>(1, fields.statisticA / rng.Uniform(60, 140));
    } else {
        fields.statisticA = rng.Uniform(200, 30000);
        fields.statisticB = std::max<int64_t>(1, fields.statisticA / rng.Uniform(5, 40));
    }
    std::string line = BpdLine(fields);
    Put(line, kStamp, IntervalStamp(options), Align::kLeft);
    FillUnread(line, kBpdUnread.data(), kBpdUnread.size(), rng);
    return line;
}

void Generate(const Options& options, const std::function<void(std::string_view)>& write) {
    const std::string_view end = LineEndText(options.lineEnding);
    auto emit = [&](std::string_view line) {
        write(line);
        write(end);
    };
    Rng rng(options.seed);

    const auto poolCount = static_cast<int64_t>(options.pools.size());
    const int64_t fixedLines = 2 + poolCount + (options.trailer ? 1 : 0);
    const int64_t objects = std::max(options.lines - fixedLines, poolCount);
    const std::vector<int64_t> counts = ObjectCounts(options, objects, rng);

    emit(HeaderLine(options.member));
    emit(LeadLine(options.collectionTime, options.member));

    ObjectNamer namer(rng);
    char kind = 'T';
    std::string name;
    for (size_t p = 0; p < options.pools.size(); ++p) {
        const std::string pool = options.pools[p].substr(0, 8);
        emit(GeneratedBpsLine(options, pool, rng));
        const int64_t count = counts[p];
        int64_t workFiles = 0;
        if (Listed(options.workFileOnlyPools, pool)) {
            workFiles = count;
        } else if (Listed(options.mixedWorkFilePools, pool)) {
            workFiles = std::min<int64_t>(3, count - 1);
        }
        int64_t workFileNo = 0;
        for (int64_t i = 0; i < count; ++i) {
            // Selection sampling: every position is equally likely to hold a work file.
            const bool workFile =
                workFiles > workFileNo && rng.Uniform(1, count - i) <= workFiles - workFileNo;
            if (workFile) {
                emit(GeneratedBpdLine(options, pool, 'T', WorkFileName(pool, ++workFileNo), rng));
            } else {
                namer.Next(kind, name);
                emit(GeneratedBpdLine(options, pool, kind, name, rng));
            }
        }
    }

    if (options.trailer) {
        std::string line = "TRL";
        Put(line, kPoolName, options.member, Align::kLeft);
        Put(line, {30, 30}, "LINES=" + std::to_string(fixedLines + objects), Align::kLeft);
        emit(line);
    }
}

}  // namespace

void PutColumns(std::string& line, int startColumn, int length, std::string_view text,
                Align align) {
    const auto start = static_cast<size_t>(startColumn - 1);
    const auto width = static_cast<size_t>(length);
    if (line.size() < start + width) {
        line.resize(start + width, ' ');
    }
    text = text.substr(0, width);
    const size_t pad = width - text.size();
    line.replace(start, width, width, ' ');
    line.replace(start + (align == Align::kRight ? pad : 0), text.size(), text);
}

std::string BpsLine(const BpsFields& fields) {
    std::string line(kBpsWidth, ' ');
    line.replace(0, 3, "BPS");
    Put(line, kPoolName, fields.poolName, Align::kLeft);
    for (Columns c : {kPageSize, kVpSeqThreshold, kHpSeqThreshold}) {
        PutNumber(line, c, 0);
    }
    for (Columns c : kBpsUnread) {
        PutNumber(line, c, 0);
    }
    PutNumber(line, kVpSize, fields.vpSizePages);
    PutNumber(line, kHpSize, fields.hpSizePages);
    PutNumber(line, kRatioDenominator, fields.ratioDenominator);
    PutNumber(line, kRatioNumerator, fields.ratioNumerator);
    return line;
}

std::string BpdLine(const BpdFields& fields) {
    std::string line(kBpdWidth, ' ');
    line.replace(0, 3, "BPD");
    Put(line, kPoolName, fields.poolName, Align::kLeft);
    Put(line, kObjectKind, std::string_view(&fields.kind, 1), Align::kLeft);
    Put(line, kObjectName, fields.objectName, Align::kLeft);
    for (Columns c : kBpdUnread) {
        PutNumber(line, c, 0);
    }
    PutNumber(line, kStatisticA, fields.statisticA);
    PutNumber(line, kStatisticB, fields.statisticB);
    return line;
}

std::string LeadLine(std::string_view collectionTime, std::string_view member) {
    std::string line(kLeadWidth, ' ');
    line.replace(0, 4, "LEAD");
    PutColumns(line, 5, 16, "DB2 STATISTICS", Align::kLeft);
    PutColumns(line, 21, 8, member, Align::kLeft);
    PutColumns(line, 29, 8, "DSNG", Align::kLeft);
    PutColumns(line, 37, 4, "V13", Align::kLeft);
    PutColumns(line, 41, 4, "R1", Align::kLeft);
    PutColumns(line, 45, 10, kDate, Align::kLeft);
    PutColumns(line, 55, 8, "SMF 100", Align::kLeft);
    PutColumns(line, 63, 4, "30", Align::kRight);
    PutColumns(line, 67, 5, "1", Align::kRight);
    // Interval counts (threads, commits, ...) that nothing reads.
    constexpr std::array<std::string_view, 7> kCounts = {"412", "1893044", "217",  "3",
                                                         "11",  "5",       "88231"};
    for (size_t i = 0; i < kCounts.size(); ++i) {
        PutColumns(line, 72 + 10 * static_cast<int>(i), 10, kCounts[i], Align::kRight);
    }
    Put(line, kCollectionTime, collectionTime, Align::kLeft);
    return line;
}

std::string HeaderLine(std::string_view member) {
    return "LOOMSTEAD STATISTICS  ENV=PROD  GROUP=DSNG  MEMBER=" + std::string(member) +
           "  DATE=" + std::string(kDate);
}

std::string GenerateDataFile(const Options& options) {
    std::string bytes;
    Generate(options, [&bytes](std::string_view text) { bytes.append(text); });
    return bytes;
}

bool WriteDataFile(const std::string& path, const Options& options) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = true;
    Generate(options, [&](std::string_view text) {
        ok = ok && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    });
    // A full disk may only show when the last buffer is flushed by the close.
    return std::fclose(file) == 0 && ok;
}

}  // namespace samplegen

// Feeds arbitrary bytes through everything the batch sizer does with a data file: load, share
// pools, check and uncheck "Cache All Objects" and single objects, size (or list the tables) and
// write the report, once as text and once as JSON. Checks that both runs agree on the outcome,
// that a run that succeeds prints something, and that the JSON is JSON.
//
// Input: the last 16 bytes are the choices (read by Choices below); the rest is one data file,
// or two split at the first lone backslash as in the loader fuzzer ("\\" stands for one). Pools
// and objects are chosen by position among those the files offer, so that most choices hit.
#include <fuzzer/FuzzedDataProvider.h>

#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "cli/batch_sizer.h"
#include "cli/command_line.h"
#include "core/loader.h"
#include "fuzz/memory_file_source.h"
#include "core/tables.h"

namespace {

using fuzz::Check;
using fuzz::MemoryFileSource;

// Hands out the bits of the choice bytes, low bits first.
class Choices {
public:
    Choices(uint64_t low, uint64_t high) : m_low(low), m_high(high) {}

    unsigned Take(unsigned bits) {
        unsigned value = 0;
        for (unsigned i = 0; i < bits; ++i) {
            value |= static_cast<unsigned>(m_low & 1) << i;
            m_low = (m_low >> 1) | (m_high << 63);
            m_high >>= 1;
        }
        return value;
    }

private:
    uint64_t m_low;
    uint64_t m_high;
};

// Typed texts worth trying: defaults, limits, decimals, blanks and texts that are not numbers.
constexpr const char* kMembersTexts[] = {"1", "32", "2.5", " 3 ", "0", "-3", "x", "1e400"};
constexpr const char* kEcsaTexts[] = {"4", "4.5", "0", "9999", "", "abc", "-1", "1e308"};

// The pool at `pick` among `pools`, or a name no file offers when the pick falls past them.
QString PoolChoice(const std::vector<std::string>& pools, unsigned pick) {
    if (pick >= pools.size()) {
        return QStringLiteral("NOSUCH");
    }
    return QString::fromLatin1(pools[pick].data(), static_cast<qsizetype>(pools[pick].size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    const auto low = provider.ConsumeIntegral<uint64_t>();
    const auto high = provider.ConsumeIntegral<uint64_t>();
    Choices choose(low, high);

    MemoryFileSource source;
    cli::Options options;
    if (choose.Take(1) != 0) {
        source.files["/fuzz/one.sta"] = provider.ConsumeRandomLengthString(size);
        source.files["/fuzz/two.sim"] = provider.ConsumeRemainingBytesAsString();
        options.files = {QStringLiteral("/fuzz/one.sta"), QStringLiteral("/fuzz/two.sim")};
    } else {
        source.files["/fuzz/one.sta"] = provider.ConsumeRemainingBytesAsString();
        options.files = {QStringLiteral("/fuzz/one.sta")};
    }

    // The pools and lines the files offer, to choose among.
    core::CoreTables offered;
    for (const QString& file : options.files) {
        core::AddSelectedFile(offered, file.toStdString());
    }
    const bool loads = core::LoadDataFiles(offered, source).ok();
    const std::vector<std::string>& pools = offered.lstPools;
    const size_t lines = offered.lstData.size();

    options.list = choose.Take(3) == 0;
    options.members = QString::fromLatin1(kMembersTexts[choose.Take(3)]);
    options.ecsa = QString::fromLatin1(kEcsaTexts[choose.Take(3)]);
    options.shareAll = choose.Take(1) != 0;
    for (unsigned n = choose.Take(2); n > 0; --n) {
        options.share.push_back(PoolChoice(pools, choose.Take(4)));
    }
    for (unsigned n = choose.Take(2); n > 0; --n) {
        options.cachePools.push_back(PoolChoice(pools, choose.Take(4)));
    }
    for (unsigned n = choose.Take(1); n > 0; --n) {
        options.uncachePools.push_back(PoolChoice(pools, choose.Take(4)));
    }
    const auto objectKey = [&](unsigned pick) {
        const size_t line = lines == 0 ? pick : pick % (lines + 1);  // one past the end too
        return (pick & 1 ? QStringLiteral("O") : QString()) + QString::number(line);
    };
    for (unsigned n = choose.Take(2); n > 0; --n) {
        options.cacheObjects.push_back(objectKey(choose.Take(10)));
    }
    for (unsigned n = choose.Take(1); n > 0; --n) {
        options.uncacheObjects.push_back(objectKey(choose.Take(10)));
    }

    options.format = cli::OutputFormat::kText;
    const cli::BatchOutput text = cli::RunBatch(options, source);
    options.format = cli::OutputFormat::kJson;
    const cli::BatchOutput json = cli::RunBatch(options, source);

    Check(text.exitCode == json.exitCode);
    Check(text.exitCode == cli::kExitOk || text.exitCode == cli::kExitLoadFailed ||
          text.exitCode == cli::kExitUsage);
    // A usage error may be found before the load; a load failure is one only when it fails.
    Check(loads ? text.exitCode != cli::kExitLoadFailed : text.exitCode != cli::kExitOk);
    if (json.exitCode == cli::kExitOk) {
        Check(!text.out.empty());
        Check(nlohmann::json::accept(json.out));
    } else {
        Check(text.out.empty() && json.out.empty() && !json.err.empty());
    }
    return 0;
}

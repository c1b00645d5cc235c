#include "core/record_layouts.h"

#include <gtest/gtest.h>

#include <string>

namespace core {
namespace {

TEST(RecordKindTest, KindIsFoundInTheFirstTenColumns) {
    // {line, is BPS, is BPD}
    const std::tuple<const char*, bool, bool> rows[] = {
        {"BPS       BP0", true, false},
        {" bps", true, false},            // lower case after a blank
        {"       BpS", true, false},      // ends at column 10
        {"        BPS", false, false},    // starts at column 9, ends at 11: not whole within
        {"          BPS", false, false},  // column 11
        {"BPD", false, true},
        {"BPD BPS", true, false},  // both: BPS wins
        {"", false, false},
    };
    for (const auto& [line, bps, bpd] : rows) {
        EXPECT_EQ(IsBpsRecord(line), bps) << '"' << line << '"';
        EXPECT_EQ(IsBpdRecord(line), bpd) << '"' << line << '"';
    }
}

TEST(FieldExtractionTest, ShortLinesYieldWhatIsPresent) {
    std::string line(20, ' ');
    line += "BP1  ";  // 25 characters
    EXPECT_EQ(ExtractField(line, BPSLayout, bps_field::kPoolName), "BP1  ");
    EXPECT_EQ(ExtractField(line, BPSLayout, bps_field::kVpSize), "");
    EXPECT_EQ(ExtractField(std::string(20, ' '), BPSLayout, bps_field::kPoolName), "");
    std::string lead(141, ' ');
    lead += "14.30.00TAIL";
    EXPECT_EQ(ExtractField(lead, LeadLayout, lead_field::kCollectionTime), "14.30.00");
    EXPECT_EQ(ExtractField(lead.substr(0, 145), LeadLayout, lead_field::kCollectionTime), "14.3");
}

}  // namespace
}  // namespace core

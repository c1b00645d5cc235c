#include "record_layouts.h"

#include <gtest/gtest.h>

#include <string>

namespace core {
namespace {

TEST(RecordKindTest, KindIsFoundInTheFirstTenColumns) {
    struct Row {
        const char* line;
        bool bps;
        bool bpd;
    };
    const Row rows[] = {
        {"BPS       BP0", true, false},
        {" bps", true, false},            // lower case after a blank
        {"       BpS", true, false},      // ends at column 10
        {"        BPS", false, false},    // starts at column 9, ends at 11: not whole within
        {"          BPS", false, false},  // column 11
        {"BPD", false, true},
        {"xxbPdxx", false, true},
        {"BPD BPS", true, false},  // both: BPS wins
        {"BP", false, false},
        {"", false, false},
        {"LEAD      ", false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsBpsRecord(row.line), row.bps) << '"' << row.line << '"';
        EXPECT_EQ(IsBpdRecord(row.line), row.bpd) << '"' << row.line << '"';
    }
}

TEST(RecordKindTest, HeaderNeedsEnvInCapitals) {
    EXPECT_TRUE(IsFlatFileHeader("STATS ENV=PROD"));
    EXPECT_TRUE(IsFlatFileHeader("XENVIRONMENTX"));
    EXPECT_FALSE(IsFlatFileHeader("stats env=prod"));
    EXPECT_FALSE(IsFlatFileHeader(""));
}

TEST(FieldExtractionTest, FieldsSitAtTheirColumns) {
    // Field numbers to 1-based first and last columns, checked against the record formats.
    EXPECT_EQ(BPSLayout[bps_field::kPoolName - 1].start, 21);
    EXPECT_EQ(BPSLayout[bps_field::kVpSize - 1].start, 34);
    EXPECT_EQ(BPSLayout[bps_field::kHpSize - 1].start, 50);
    EXPECT_EQ(BPSLayout[bps_field::kRatioDenominator - 1].start, 67);
    EXPECT_EQ(BPSLayout[bps_field::kRatioNumerator - 1].start, 349);
    EXPECT_EQ(BPSLayout[16].start, 147);
    EXPECT_EQ(BPSLayout[47].start + BPSLayout[47].length - 1, 458);
    EXPECT_EQ(BPDLayout[bpd_field::kObjectName - 1].length, 27);
    EXPECT_EQ(BPDLayout[bpd_field::kStatisticA - 1].start, 57);
    EXPECT_EQ(BPDLayout[bpd_field::kStatisticB - 1].start, 339);
    EXPECT_EQ(BPDLayout[12].start, 137);
    EXPECT_EQ(BPDLayout[43].start + BPDLayout[43].length - 1, 448);
    EXPECT_EQ(LeadLayout[13].start, 122);  // field 14 lies right of field 15
    EXPECT_EQ(LeadLayout[14].start, 112);
    EXPECT_EQ(LeadLayout[lead_field::kCollectionTime - 1].start, 142);
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

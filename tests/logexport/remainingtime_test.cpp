// The time-left estimate of the progress row, from record times alone.
#include "logexport/downloadprogress.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

struct EstimateCase {
    const char* name;
    int total;
    int steadyRecords;            // first, this many records of a second each
    std::vector<double> thenTook; // then records taking these many seconds
    std::optional<double> left;
};

void PrintTo(const EstimateCase& c, std::ostream* os)
{
    *os << c.name;
}

class Estimate : public testing::TestWithParam<EstimateCase> {};

TEST_P(Estimate, FollowsTheSmoothedRecordTime)
{
    const EstimateCase& c = GetParam();
    RemainingTime remaining(c.total);
    double elapsed = 0;
    for (int i = 0; i < c.steadyRecords; ++i)
        remaining.recordDone(elapsed += 1.0);
    for (double took : c.thenTook)
        remaining.recordDone(elapsed += took);
    ASSERT_EQ(remaining.secondsLeft().has_value(), c.left.has_value());
    if (c.left) {
        EXPECT_NEAR(*remaining.secondsLeft(), *c.left, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows,
    Estimate,
    testing::Values(EstimateCase{"noneBeforeFiveRecords", 100, 4, {}, std::nullopt},
                    // Few records: their mean, 2 s, for the 95 left.
                    EstimateCase{"meanOfTheFirstRecords", 100, 0, {1, 1, 4, 2, 2}, 95 * 2.0},
                    // After 200 records of 1 s, one of 21 s: 1 + 0.01 * (21 - 1) = 1.2 s a record.
                    EstimateCase{"aSlowRecordMovesItALittle", 1000, 200, {21}, 799 * 1.2},
                    // Each record of 1 s after it takes back 1 % of the gap.
                    EstimateCase{"andItComesBack", 1000, 200, {21, 1}, 798 * (1.2 - 0.01 * 0.2)},
                    // A line twice as slow for 100 records: 2 - 0.99^100.
                    EstimateCase{"aSlowerLineIsFollowed",
                                 1000,
                                 200,
                                 std::vector<double>(100, 2.0),
                                 700 * (2 - 0.36603234127322950)},
                    EstimateCase{"nothingLeftAtTheEnd", 5, 5, {}, 0.0}),
    [](const testing::TestParamInfo<EstimateCase>& info) { return std::string(info.param.name); });

TEST(RemainingText, SecondsMinutesAndHoursRoundedUp)
{
    const std::vector<std::pair<std::optional<double>, std::string>> rows = {
        {std::nullopt, "Calculando..."},
        {0.2, "Restam 1 s"},
        {59.0, "Restam 59 s"},
        {59.5, "Restam 1 min 00 s"},
        {750.0, "Restam 12 min 30 s"},
        {1499.9, "Restam 25 min 00 s"},
        {3600.0, "Restam 1 h 00 min"},
        {3 * 3600 + 5 * 60 + 59.0, "Restam 3 h 05 min"},
    };
    for (const auto& [seconds, text] : rows)
        EXPECT_EQ(remainingText(seconds), text);
}

} // namespace

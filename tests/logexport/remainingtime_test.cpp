// The time-left estimate of the progress row, from record times alone.
#include "logexport/downloadprogress.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

struct EstimateCase {
    const char* name;
    int total;
    std::vector<double> doneAt; // seconds since the start, one per record
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
    for (double t : c.doneAt)
        remaining.recordDone(t);
    ASSERT_EQ(remaining.secondsLeft().has_value(), c.left.has_value());
    if (c.left) {
        EXPECT_NEAR(*remaining.secondsLeft(), *c.left, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows,
    Estimate,
    testing::Values(EstimateCase{"noneBeforeFiveRecords", 100, {1, 2, 3, 4}, std::nullopt},
                    // The first five records give the mean: 95 left at 2 s each.
                    EstimateCase{"meanOfTheFirstFive", 100, {1, 2, 6, 8, 10}, 190.0},
                    // One record of 21 s after records of 1 s: 1 + 0.05 * (21 - 1) = 2 s a record.
                    EstimateCase{"aSlowRecordMovesItALittle", 100, {1, 2, 3, 4, 5, 26}, 94 * 2.0},
                    // After a slow one, each 1 s record takes back 5 % of the gap: 1 + 0.95 * 1.
                    EstimateCase{"andItComesBack", 100, {1, 2, 3, 4, 5, 26, 27}, 93 * 1.95},
                    EstimateCase{"nothingLeftAtTheEnd", 5, {1, 2, 3, 4, 5}, 0.0},
                    EstimateCase{"steadyRateFallsByOneRecordEach",
                                 10380,
                                 {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7},
                                 10373 * 0.1}),
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

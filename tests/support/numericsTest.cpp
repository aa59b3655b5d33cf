#include "kesp/support/numerics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "kesp/support/runError.h"

namespace kesp {
namespace {

double constantSeven(double)
{
    return 7.0;
}

double square(double x)
{
    return x * x;
}

double exponential(double x)
{
    return std::exp(x);
}

double notANumber(double)
{
    return std::numeric_limits<double>::quiet_NaN();
}

// Counts evaluations and records the nearest approach to the ends of [0, 1].
struct Probe {
    static inline long evaluations = 0;
    static inline double lowest = 1.0;
    static inline double highest = 0.0;
    static double func(double x)
    {
        ++evaluations;
        lowest = std::min(lowest, x);
        highest = std::max(highest, x);
        return 1.0 / (x * (1.0 - x));  // infinite at both ends
    }
};

TEST(NumericsTest, qromoOfAnEmptyIntervalIsZeroAfterTenStages)
{
    Probe::evaluations = 0;
    EXPECT_EQ(qromo(Probe::func, 0.5, 0.5), 0.0);
    EXPECT_EQ(Probe::evaluations, 19683);  // 3^9 midpoints for stages 1..10
}

TEST(NumericsTest, qromoIntegratesConstantsAndSmoothFunctions)
{
    EXPECT_DOUBLE_EQ(qromo(constantSeven, -1.0, 2.0), 21.0);
    EXPECT_NEAR(qromo(square, 0.0, 3.0), 9.0, 9.0 * 1e-11);
    EXPECT_NEAR(qromo(exponential, 0.0, 1.0), std::exp(1.0) - 1.0, 1e-11);
}

TEST(NumericsTest, midpointStageNeverTouchesTheEndPoints)
{
    Probe::evaluations = 0;
    Probe::lowest = 1.0;
    Probe::highest = 0.0;
    double s = 0.0;
    for (int n = 1; n <= 6; ++n) {
        midpointStage(Probe::func, 0.0, 1.0, s, n);
    }
    EXPECT_EQ(Probe::evaluations, 243);  // 3^5 midpoints
    EXPECT_TRUE(std::isfinite(s));
    // The outermost midpoints are half a sub-interval from the ends.
    EXPECT_NEAR(Probe::lowest, 0.5 / 243.0, 1e-14);
    EXPECT_NEAR(Probe::highest, 1.0 - 0.5 / 243.0, 1e-14);
}

TEST(NumericsTest, tableLocateFindsTheBracketInBothDirections)
{
    const std::vector<double> ascending = {1.0, 2.0, 3.0, 4.0, 5.0};
    const std::vector<double> descending = {5.0, 4.0, 3.0, 2.0, 1.0};
    struct Case { double x; int up; int down; };
    const Case cases[] = {
        {0.5, 0, 5}, {1.0, 1, 4}, {1.5, 1, 4}, {2.5, 2, 3},
        {4.5, 4, 1}, {5.0, 4, 1}, {6.0, 5, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tableLocate(ascending, c.x), c.up) << "x = " << c.x;
        EXPECT_EQ(tableLocate(descending, c.x), c.down) << "x = " << c.x;
    }
}

TEST(NumericsTest, polintReproducesPolynomialsAndSinglePoints)
{
    const std::vector<double> one = {2.0};
    const std::vector<double> value = {3.5};
    const PolintResult single = polint(one, value, 10.0);
    EXPECT_EQ(single.y, 3.5);
    EXPECT_EQ(single.dy, 0.0);

    // A cubic through four points is reproduced anywhere.
    const std::vector<double> xa = {0.0, 1.0, 2.0, 4.0};
    std::vector<double> ya;
    for (double x : xa) {
        ya.push_back(x * x * x - 2.0 * x + 1.0);
    }
    EXPECT_NEAR(polint(xa, ya, 3.0).y, 22.0, 1e-12);
    EXPECT_NEAR(polint(xa, ya, -1.0).y, 2.0, 1e-12);
}

TEST(NumericsTest, polintGivesNoFiniteValueForCoincidentAbscissaeAndPrintsNothing)
{
    const std::vector<double> xa = {1.0, 1.0};
    const std::vector<double> ya = {2.0, 3.0};
    testing::internal::CaptureStdout();
    const PolintResult result = polint(xa, ya, 0.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(std::isfinite(result.y));
}

// The message of the RunError that call throws, with exit status 1; empty
// (and a failure) when it returns.
template <typename Call>
std::string stopMessageOf(Call call)
{
    try {
        call();
    } catch (const RunError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::physics);
        return error.what();
    }
    ADD_FAILURE() << "the run did not stop";
    return {};
}

TEST(NumericsTest, qromoStopsTheRunOnANonFiniteEstimate)
{
    // A NaN or infinite estimate ends the run at once instead of after 50 ever
    // longer stages (1/(x(1-x)) is infinite at the midpoint 0 of [-1, 1]).
    for (const std::string& message : {stopMessageOf([] { qromo(notANumber, 0.0, 1.0); }),
                                       stopMessageOf([] { qromo(Probe::func, -1.0, 1.0); })}) {
        EXPECT_TRUE(message.starts_with("QROMO: too many steps")) << message;
        EXPECT_NE(message.find("notify the maintainer"), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace kesp

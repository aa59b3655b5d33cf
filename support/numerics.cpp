#include "kesp/support/numerics.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kesp/support/runError.h"

namespace kesp {

namespace {

constexpr int maxStages = 50;
constexpr int extrapolationPoints = 10;
constexpr double relativeTolerance = 1.1920928955078125e-7;  // 2^-23
// Tripling the number of midpoints divides the squared step by 9.
constexpr double stepRatio = 9.0;

[[noreturn]] void stopIntegration()
{
    stopRun(ErrorKind::physics, "QROMO: too many steps; the integration did not converge."
            " Please notify the maintainer of this program.");
}

bool allFinite(double a, double b)
{
    return std::isfinite(a) && std::isfinite(b);
}

}  // namespace

void midpointStage(Integrand func, double a, double b, double& s, int n)
{
    if (n == 1) {
        s = (b - a) * func((a + b) / 2.0);
        return;
    }
    // 3^(n-2) pairs of new points. Unsigned, so that no stage number can
    // overflow into undefined behaviour (stages beyond 40 would take longer
    // than any run could wait anyway).
    std::uint64_t it = 1;
    for (int i = 2; i < n; ++i) {
        it *= 3;
    }
    const double tnm = static_cast<double>(it);
    const double del = (b - a) / (3.0 * tnm);
    const double ddel = 2.0 * del;
    double x = a + del / 2.0;
    double sum = 0.0;
    for (std::uint64_t k = 0; k < it; ++k) {
        sum += func(x);
        x += ddel;
        sum += func(x);
        x += del;
    }
    s = (s + (b - a) * sum / tnm) / 3.0;
}

double qromo(Integrand func, double a, double b, StageRule stage)
{
    // Stage results and relative step measures, 1-based as the stages.
    std::array<double, maxStages + 2> s{};
    std::array<double, maxStages + 2> h{};
    h[1] = 1.0;
    for (int j = 1; j <= maxStages; ++j) {
        const auto jj = static_cast<std::size_t>(j);
        stage(func, a, b, s[jj], j);
        if (j >= extrapolationPoints) {
            const std::size_t first = jj + 1 - extrapolationPoints;
            const std::span<const double> hs(&h[first], extrapolationPoints);
            const std::span<const double> ss(&s[first], extrapolationPoints);
            const PolintResult estimate = polint(hs, ss, 0.0);
            // A non-finite estimate never converges: stop now rather than
            // after 50 ever longer stages.
            if (!allFinite(estimate.y, estimate.dy)) {
                stopIntegration();
            }
            if (relativeTolerance * std::fabs(estimate.y) >= std::fabs(estimate.dy)) {
                return estimate.y;
            }
        }
        s[jj + 1] = s[jj];
        h[jj + 1] = h[jj] / stepRatio;
    }
    stopIntegration();
}

PolintResult polint(std::span<const double> xa, std::span<const double> ya, double x)
{
    const std::size_t n = xa.size();
    if (n == 0) {
        return {0.0, 0.0};
    }
    // Neville tableau columns, 1-based.
    std::vector<double> p(n + 1);
    std::vector<double> q(n + 1);
    std::size_t ns = 1;
    double dif = std::fabs(x - xa[0]);
    for (std::size_t i = 1; i <= n; ++i) {
        const double dift = std::fabs(x - xa[i - 1]);
        if (dift < dif) {
            ns = i;
            dif = dift;
        }
        p[i] = ya[i - 1];
        q[i] = ya[i - 1];
    }
    double y = ya[ns - 1];
    --ns;
    double dy = 0.0;
    for (std::size_t m = 1; m < n; ++m) {
        for (std::size_t i = 1; i <= n - m; ++i) {
            const double ho = xa[i - 1] - x;
            const double hp = xa[i + m - 1] - x;
            const double w = p[i + 1] - q[i];
            // Two equal abscissae (no caller passes them) make this division
            // non-finite, and so the result, which Romberg integration
            // refuses with its message.
            const double den = w / (ho - hp);
            q[i] = hp * den;
            p[i] = ho * den;
        }
        if (2 * ns < n - m) {
            dy = p[ns + 1];
        } else {
            dy = q[ns];
            --ns;
        }
        y += dy;
    }
    return {y, dy};
}

int tableLocate(std::span<const double> xx, double x)
{
    const int n = static_cast<int>(xx.size());
    if (n == 0) {
        return 0;
    }
    const auto at = [&xx](int j) { return xx[static_cast<std::size_t>(j - 1)]; };
    int jl = 0;
    int ju = n + 1;
    const bool ascending = at(n) >= at(1);
    while (ju - jl > 1) {
        const int jm = (ju + jl) / 2;
        if (ascending == (x >= at(jm))) {
            jl = jm;
        } else {
            ju = jm;
        }
    }
    if (x == at(1)) {
        return 1;
    }
    if (x == at(n)) {
        return n - 1;
    }
    return jl;
}

}  // namespace kesp

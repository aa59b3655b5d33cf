#pragma once
// Numerical routines of the physics: Romberg integration over an open interval
// driven by the extended midpoint rule, Neville polynomial interpolation and
// bisection search in an ordered table.

#include <concepts>
#include <memory>
#include <span>
#include <type_traits>

namespace kesp {

// The function to integrate: a plain function, or any callable object that
// outlives the integration (an integrand with its own data, so integrals on
// several threads never share anything).
class Integrand {
public:
    Integrand(double (*function)(double)) noexcept : function_(function) {}

    template <typename F>
        requires(std::is_invocable_r_v<double, const F&, double>
                 && !std::is_convertible_v<const F&, double (*)(double)>)
    Integrand(const F& object) noexcept
        : object_(std::addressof(object)),
          call_([](const void* o, double x) { return (*static_cast<const F*>(o))(x); })
    {
    }

    double operator()(double x) const { return function_ != nullptr ? function_(x) : call_(object_, x); }

private:
    double (*function_)(double) = nullptr;
    const void* object_ = nullptr;
    double (*call_)(const void*, double) = nullptr;
};

// One stage of a quadrature rule: stage 1 sets s, stage n >= 2 refines the
// result of stage n-1 held in s.
using StageRule = void (*)(Integrand func, double a, double b, double& s, int n);

// Stage n of the extended midpoint rule. The end points a and b are never
// evaluated, so integrands undefined there are safe. Stages 1..n together use
// the midpoints of 3^(n-1) equal sub-intervals.
void midpointStage(Integrand func, double a, double b, double& s, int n);

// Integral of func from a to b (a < b expected; a = b gives 0): Richardson
// extrapolation of the last ten stage results to step size zero, to a relative
// tolerance of 2^-23. Stops the run when the estimate is not finite or has not
// converged after 50 stages.
double qromo(Integrand func, double a, double b, StageRule stage = midpointStage);

struct PolintResult {
    double y;   // interpolated value at x
    double dy;  // error estimate (0 for a single point)
};

// Neville's algorithm through the points (xa(i), ya(i)), at most 20 of them.
PolintResult polint(std::span<const double> xa, std::span<const double> ya, double x);

// For xx(1..n) monotonic (ascending or descending), the j in 0..n such that x
// lies between xx(j) and xx(j+1), counted from 1; 0 and n mean out of range.
// Exactly at xx(1) it is 1, exactly at xx(n) it is n-1.
int tableLocate(std::span<const double> xx, double x);

}  // namespace kesp

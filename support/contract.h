#pragma once
// Checks of what a caller of the library must see to: a position within the
// field, an enumerator that names something, a mixed field's results asked
// of a mixed field. They are on in Debug builds and in builds with the
// sanitizers (KESP_SANITIZE, KESP_SANITIZE_THREAD), where CMake defines
// KESP_CONTRACT_CHECKS for KESP's own files, and compiled out elsewhere, so
// the optimised library pays nothing for them.
//
// A failed check is a fault of the calling code, not of the run's input:
// it says which condition failed where and aborts, in the manner of
// assert(), rather than throw a RunError that the caller might catch and go
// on from with the state the check was there to protect. The checks sit in
// the library's sources, never in its public headers, so that an outside
// project's own build settings cannot change what the library's inline code
// does.

namespace kesp {

/// Whether this build checks the callers' preconditions (KESP_EXPECTS).
#if defined(KESP_CONTRACT_CHECKS) && KESP_CONTRACT_CHECKS
inline constexpr bool contractChecksActive = true;
#else
inline constexpr bool contractChecksActive = false;
#endif

/// Writes "file:line: precondition failed: condition (message)" to the
/// standard error stream and aborts.
[[noreturn]] void failedPrecondition(const char* condition, const char* message, const char* file, int line);

}  // namespace kesp

/// Checks a precondition of a public function when contract checks are on;
/// otherwise the condition is not evaluated.
#if defined(KESP_CONTRACT_CHECKS) && KESP_CONTRACT_CHECKS
#define KESP_EXPECTS(condition, message)                                                 \
    ((condition) ? static_cast<void>(0)                                                  \
                 : ::kesp::failedPrecondition(#condition, message, __FILE__, __LINE__))
#else
#define KESP_EXPECTS(condition, message) static_cast<void>(sizeof(static_cast<bool>(condition)))
#endif

// The rules the platform's speed-ups ask their callers to keep (a pixel block given back as
// it was taken, every write marked for the fill tracker, owed zeroes paid before pixels are
// read, a released shell reused once, a glyph store's bytes counted), checked where each rule
// lives. VANTOR_CHECK states the rule; when it does not hold, the program names the rule and
// where it was broken on standard error and aborts. The checks are compiled into every
// build but the release one (CMake defines VANTOR_CHECKS for the others); compiled out, the
// condition is not evaluated.
#pragma once

namespace vantor::platform {

[[noreturn]] void BrokenRule(const char* rule, const char* file, int line) noexcept;

}  // namespace vantor::platform

#if VANTOR_CHECKS
#define VANTOR_CHECK(condition, rule) \
    ((condition) ? void(0) : ::vantor::platform::BrokenRule(rule, __FILE__, __LINE__))
#else
#define VANTOR_CHECK(condition, rule) void(sizeof((condition) ? 1 : 0))
#endif

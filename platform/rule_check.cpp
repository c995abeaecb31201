#include "rule_check.h"

#include <cstdio>
#include <cstdlib>

namespace vantor::platform {

void BrokenRule(const char* rule, const char* file, int line) noexcept {
    std::fprintf(stderr, "vantor: broken rule: %s (%s:%d)\n", rule, file, line);
    std::fflush(stderr);
    std::abort();
}

}  // namespace vantor::platform

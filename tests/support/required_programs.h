// The programs a test starts, looked for on the PATH before the test relies on them: a
// missing one fails the test at once, by name, instead of leaving it waiting for what the
// program would have done.
#pragma once

#include <initializer_list>
#include <string>

namespace vantor::testing {

// "" when every program is on the PATH; otherwise a sentence naming the missing ones.
std::string MissingPrograms(std::initializer_list<const char*> programs);

}  // namespace vantor::testing

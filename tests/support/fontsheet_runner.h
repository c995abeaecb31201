// Runs the built fontsheet program as a user would, headless, in a scratch directory of
// its own, and collects its exit status and what it printed on standard error.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vantor::testing {

// A fresh directory under the system's temporary directory, removed with its contents.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

struct FontsheetRun {
    int exitStatus = -1;      // -1 when the program did not exit normally
    std::string errorOutput;  // everything written on standard error
    std::string output;       // everything written on standard output
};

// Runs fontsheet in `directory` with VANTOR_VIDEO=headless, the fixture fonts and the
// given extra variables (for example VANTOR_KEYS); a variable given an empty value is
// removed from the program's environment. With `removeDirectory` the directory is
// removed once the program has entered it, so nothing can be created in it.
FontsheetRun RunFontsheet(const std::string& directory,
                          const std::map<std::string, std::string>& variables,
                          bool removeDirectory = false);
// The same for the framework demo, with one command-line argument or none (null).
FontsheetRun RunDemo(const char* argument, const std::string& directory,
                     const std::map<std::string, std::string>& variables);
// The same for any program.
FontsheetRun RunProgram(const char* program, const char* argument, const std::string& directory,
                        const std::map<std::string, std::string>& variables, bool removeDirectory);

// The same with these arguments, and with neither a display nor VANTOR_VIDEO unless the
// variables give them: the tool's command line, which must not need a screen.
FontsheetRun RunFontsheetCommand(const std::string& directory,
                                 const std::vector<std::string>& arguments,
                                 std::map<std::string, std::string> variables = {});

// The fontconfig configuration naming the fixture fonts.
std::string FixtureFontConfig();

}  // namespace vantor::testing

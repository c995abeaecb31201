// The command line's two halves, the Linux entry point quoting each argument as Windows
// would and the programs splitting the line by the Windows rules, and the options read from it.
#include <gtest/gtest.h>

#include "launch/command_line_words.h"
#include "tool/command_line.h"
#include "windows_command_line.h"

namespace {

TEST(CommandLineTest, EveryArgumentComesBackFromTheLineTheEntryPointMakes) {
    const std::vector<std::string> arguments = {
        "plain",   "two words", "",          "say \"hi\"", "trailing\\",
        "two\\\\", "\\\"",      "tab\there", "a\\\\\"b",   "--font=DejaVu \"Sans\"  Mono",
        "\"",      "\\\\\\"};
    std::vector<char*> argv = {const_cast<char*>("fontsheet")};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    const std::string line =
        vantor::platform::WindowsCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(SplitCommandLine(line.c_str()), arguments) << line;
}

// Lines as the Windows documentation splits them.
TEST(CommandLineTest, SplitsAsWindowsDoes) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {R"("abc" d e)", {"abc", "d", "e"}},
        {R"(a\\\b d"e f"g h)", {R"(a\\\b)", "de fg", "h"}},
        {R"(a\\\"b c d)", {R"(a\"b)", "c", "d"}},
        {R"(a\\\\"b c" d e)", {R"(a\\b c)", "d", "e"}},
        {R"("a ""b"" c")", {R"(a "b" c)"}},
        {"  \t ", {}},
        {R"(x "" y)", {"x", "", "y"}},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(SplitCommandLine(line), expected) << line;
}

TEST(CommandLineTest, ReadsTheOptionsOfASheet) {
    const ToolCommand command = ParseCommand(
        {"--font=DejaVu Sans", "--charset", "russian", "-o", "x.PNG", "--descriptor=xml"});
    EXPECT_EQ(command.usageError, "");
    EXPECT_EQ(command.action, ToolAction::OneSheet);
    EXPECT_EQ(command.font, "DejaVu Sans");
    EXPECT_EQ(command.charset, "russian");
    EXPECT_EQ(command.format, SheetFormat::Png);
    EXPECT_EQ(command.descriptor, DescriptorForm::Xml);
    EXPECT_EQ(ParseCommand({"--font", "3"}).output, "Font.bmp");
    EXPECT_EQ(ParseCommand({"--all", "-osheets", "--format=png"}).format, SheetFormat::Png);
    EXPECT_EQ(ParseCommand({"--list", "--help"}).action, ToolAction::Help);
}

TEST(CommandLineTest, NamesTheFirstMistake) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--font"}, "option '--font' needs a value"},
        {{"--font", ""}, "option '--font' needs a value"},
        {{"--font", "a", "--font", "b"}, "option '--font' given twice"},
        {{"--list", "--list"}, "option '--list' given twice"},
        {{"--list", "--all", "-o", "d"}, "options '--list' and '--all' do not go together"},
        {{"--list", "-o", "x.bmp"}, "option '--list' takes no other options"},
        {{"--list=yes"}, "option '--list' takes no value"},
        {{"--bogus", "--help"}, "unknown option '--bogus'"},
        {{"Font.bmp"}, "unexpected argument 'Font.bmp'"},
        {{"-o", "x.bmp"}, "say what to do: --list, --font or --all"},
        {{"--font", "1", "-o", "x.gif"}, "the file name must end in .bmp or .png"},
        {{"--font", "1", "--charset", "ANSI"}, "option '--charset' goes with a face name"},
        {{"--font", "1", "--format", "png"}, "option '--format' goes with '--all'"},
        {{"--all"}, "option '--all' needs '-o DIR'"},
        {{"--all", "-o", "d", "--format", "gif"}, "unknown format 'gif'"},
        {{"--font", "1", "--descriptor=json"}, "unknown descriptor form 'json'"},
    };
    for (const auto& [arguments, problem] : cases) {
        const std::string error = ParseCommand(arguments).usageError;
        EXPECT_NE(error.find(problem), std::string::npos) << arguments[0] << ": " << error;
    }
}

}  // namespace

#include "tool/command_line.h"

#include <cctype>
#include <optional>

namespace {

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Reads the arguments one by one into a command; the first problem found is kept.
class CommandReader {
public:
    explicit CommandReader(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    ToolCommand Read() {
        for (next_ = 0; next_ < arguments_.size() && command_.usageError.empty();) ReadOption();
        if (command_.usageError.empty()) Check();
        return command_;
    }

private:
    void Fail(const std::string& problem) {
        if (command_.usageError.empty()) command_.usageError = problem;
    }

    // The option's value: after '=' in the same argument, else the next argument.
    std::optional<std::string> Value(const std::string& option,
                                     const std::optional<std::string>& attached) {
        if (attached) return attached;
        if (next_ >= arguments_.size()) {
            Fail("option '" + option + "' needs a value");
            return std::nullopt;
        }
        return arguments_[next_++];
    }

    void SetAction(ToolAction action, const std::string& option) {
        if (actionOption_ == option) return Fail("option '" + option + "' given twice");
        if (!actionOption_.empty())
            return Fail("options '" + actionOption_ + "' and '" + option + "' do not go together");
        actionOption_ = option;
        command_.action = action;
    }

    void SetOnce(std::string& field, bool& given, const std::string& option,
                 const std::optional<std::string>& value) {
        if (!value) return;
        if (given) return Fail("option '" + option + "' given twice");
        if (value->empty()) return Fail("option '" + option + "' needs a value");
        given = true;
        field = *value;
    }

    void ReadOption() {
        const std::string argument = arguments_[next_++];
        std::string name = argument;
        std::optional<std::string> attached;
        if (const size_t equals = argument.find('=');
            argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = argument.substr(0, equals);
            attached = argument.substr(equals + 1);
        } else if (argument.size() > 2 && argument.rfind("-o", 0) == 0) {
            name = "-o";
            attached = argument.substr(2);
        }
        const bool takesNoValue = name == "-h" || name == "--help" || name == "--version" ||
                                  name == "--list" || name == "--all";
        if (takesNoValue && attached) return Fail("option '" + name + "' takes no value");

        if (name == "-h" || name == "--help") return Finish(ToolAction::Help);
        if (name == "--version") return Finish(ToolAction::Version);
        if (name == "--list") return SetAction(ToolAction::List, name);
        if (name == "--all") return SetAction(ToolAction::AllSheets, name);
        if (name == "--font") {
            SetAction(ToolAction::OneSheet, name);
            return SetOnce(command_.font, fontGiven_, name, Value(name, attached));
        }
        if (name == "--charset")
            return SetOnce(command_.charset, charsetGiven_, name, Value(name, attached));
        if (name == "-o" || name == "--output")
            return SetOnce(command_.output, outputGiven_, name, Value(name, attached));
        if (name == "--format") return ReadFormat(name, Value(name, attached));
        if (name == "--descriptor") return ReadDescriptor(attached);
        if (argument.rfind('-', 0) == 0) return Fail("unknown option '" + argument + "'");
        Fail("unexpected argument '" + argument + "'");
    }

    // --help and --version answer at once, whatever else the line holds.
    void Finish(ToolAction action) {
        command_.action = action;
        next_ = arguments_.size();
        finished_ = true;
    }

    void ReadFormat(const std::string& option, const std::optional<std::string>& value) {
        std::string format;
        SetOnce(format, formatGiven_, option, value);
        if (format.empty()) return;
        if (Lowered(format) == "bmp")
            command_.format = SheetFormat::Bmp;
        else if (Lowered(format) == "png")
            command_.format = SheetFormat::Png;
        else
            Fail("unknown format '" + format + "' (use bmp or png)");
    }

    void ReadDescriptor(const std::optional<std::string>& form) {
        if (command_.descriptor != DescriptorForm::None)
            return Fail("option '--descriptor' given twice");
        if (!form || *form == "text")
            command_.descriptor = DescriptorForm::Text;
        else if (*form == "xml")
            command_.descriptor = DescriptorForm::Xml;
        else
            Fail("unknown descriptor form '" + *form + "' (use text or xml)");
    }

    // What the options ask for together.
    void Check() {
        if (finished_) return;
        const bool sheetOptions = outputGiven_ || formatGiven_ || charsetGiven_ ||
                                  command_.descriptor != DescriptorForm::None;
        switch (command_.action) {
            case ToolAction::Interactive: return Fail("say what to do: --list, --font or --all");
            case ToolAction::List:
                if (sheetOptions) Fail("option '--list' takes no other options");
                return;
            case ToolAction::OneSheet: return CheckOneSheet();
            case ToolAction::AllSheets:
                if (!outputGiven_) return Fail("option '--all' needs '-o DIR'");
                if (charsetGiven_) Fail("option '--charset' goes with '--font NAME'");
                return;
            default: return;
        }
    }

    void CheckOneSheet() {
        if (formatGiven_)
            return Fail("option '--format' goes with '--all'; a sheet's file name says its format");
        if (charsetGiven_ && IsIndex(command_.font))
            return Fail("option '--charset' goes with a face name, not an index");
        if (!outputGiven_) command_.output = "Font.bmp";
        if (!FormatOfFileName(command_.output, &command_.format))
            Fail("cannot write '" + command_.output + "': the file name must end in .bmp or .png");
    }

    static bool IsIndex(const std::string& text) {
        for (char c : text)
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        return !text.empty();
    }

    const std::vector<std::string>& arguments_;
    size_t next_ = 0;
    ToolCommand command_;
    std::string actionOption_;
    bool fontGiven_ = false;
    bool charsetGiven_ = false;
    bool outputGiven_ = false;
    bool formatGiven_ = false;
    bool finished_ = false;
};

}  // namespace

ToolCommand ParseCommand(const std::vector<std::string>& arguments) {
    return CommandReader(arguments).Read();
}

bool FormatOfFileName(const std::string& name, SheetFormat* format) {
    const std::string lowered = Lowered(name);
    if (EndsWith(lowered, ".bmp"))
        *format = SheetFormat::Bmp;
    else if (EndsWith(lowered, ".png"))
        *format = SheetFormat::Png;
    else
        return false;
    return true;
}

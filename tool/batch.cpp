// The command line's jobs, each on a device started without a display: the font list,
// one sheet, every sheet. The sheets are drawn by the interactive tool's own steps, on the
// same sheet surface, so they are the sheets its Enter writes.
#include "tool/batch.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "launch/parent_console.h"
#include "tool/font_records.h"
#include "tool/fontsheet.h"
#include "tool/sheet_files.h"

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

void SayError(const std::string& problem) {
    std::fprintf(stderr, "fontsheet: %s\n", problem.c_str());
}

// The font's cell height and ascent, for the descriptor's baseline.
bool MeasureRecord(const LOGFONTA& record, TEXTMETRICA* metrics) {
    IDirectDrawSurface* target = displayDevice.renderTarget;
    HDC dc = nullptr;
    if (target == nullptr || target->GetDC(&dc) != DD_OK) return false;
    HFONT made = CreateFontIndirectA(&record);
    HGDIOBJ previous = SelectObject(dc, made);
    const bool measured = GetTextMetricsA(dc, metrics) != 0;
    SelectObject(dc, previous);
    DeleteObject(made);
    target->ReleaseDC(dc);
    return measured;
}

// The sheet surface, made as the interactive tool makes it (in system memory, before any
// glyph), and the writing of one record's sheet and descriptor.
class SheetMaker {
public:
    SheetMaker() { made_ = displayDevice.MakeSurface(sheet_, kSheetWidth, kSheetHeight, -1) != 0; }

    bool Write(const LOGFONTA& record, const std::string& path, SheetFormat format,
               DescriptorForm descriptor, std::string* error) {
        if (!made_) {
            *error = "cannot make the sheet's surface";
            return false;
        }
        displayDevice.SelectSurfaceTarget(sheet_);
        displayDevice.Clear(0);
        displayDevice.SelectOffscreen();
        TEXTMETRICA metrics{};
        const bool measured = descriptor == DescriptorForm::None || MeasureRecord(record, &metrics);
        DrawGlyphSheet(sheet_, record);
        if (!WriteSheetFile(path, format)) {
            *error = "cannot write '" + path + "'";
            return false;
        }
        if (descriptor == DescriptorForm::None) return true;
        const std::string descriptorPath = DescriptorPath(path);
        const DescriptorSheet facts{std::filesystem::path(path).filename().string(), format,
                                    metrics.tmAscent, metrics.tmHeight};
        if (!measured || !WriteDescriptor(descriptorPath, descriptor, record, facts)) {
            *error = "cannot write '" + descriptorPath + "'";
            return false;
        }
        return true;
    }

private:
    Surface sheet_;
    bool made_ = false;
};

int ListRecords(const std::vector<LOGFONTA>& records) {
    for (size_t i = 0; i < records.size(); ++i) {
        const LOGFONTA& record = records[i];
        std::printf("%zu\t%s\t%s\t%u\t%ld\t%ld\t%ld\t%u\n", i, ListedFaceName(record).c_str(),
                    CharsetName(record.lfCharSet).c_str(), unsigned{record.lfCharSet},
                    long{record.lfHeight}, long{record.lfWidth}, long{record.lfWeight},
                    record.lfItalic != 0 ? 1u : 0u);
    }
    return kDone;
}

int WriteOneSheet(const std::vector<LOGFONTA>& records, const ToolCommand& command) {
    size_t index = 0;
    std::string error;
    if (!FindRecord(records, command.font, command.charset, &index, &error)) {
        SayError(error);
        return kFailed;
    }
    SheetMaker maker;
    if (maker.Write(records[index], command.output, command.format, command.descriptor, &error))
        return kDone;
    SayError(error);
    return kFailed;
}

// A face name is data from a font file: only letters, digits, '-', '+' and '_' pass into a
// file name, at most 64 of them, so no name can leave the folder or fail the write.
std::string SafeFileNamePart(const std::string& name) {
    constexpr size_t kMaxLength = 64;
    std::string safe;
    for (char c : name.substr(0, kMaxLength)) {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '_';
        safe += kept ? c : '_';
    }
    return safe.empty() ? "unnamed" : safe;
}

std::string SheetFileName(const std::vector<LOGFONTA>& records, size_t index, SheetFormat format) {
    const size_t digits = std::max<size_t>(3, std::to_string(records.size() - 1).size());
    std::string number = std::to_string(index);
    number.insert(0, digits - number.size(), '0');
    const LOGFONTA& record = records[index];
    return number + "-" + SafeFileNamePart(FaceNameOf(record)) + "-" +
           CharsetName(record.lfCharSet) + (format == SheetFormat::Png ? ".png" : ".bmp");
}

bool ErrorsOnTerminal() { return GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_CHAR; }

int WriteAllSheets(const std::vector<LOGFONTA>& records, const ToolCommand& command) {
    std::error_code madeError;
    std::filesystem::create_directories(command.output, madeError);
    if (madeError || !std::filesystem::is_directory(command.output)) {
        SayError("cannot make the folder '" + command.output + "'");
        return kFailed;
    }
    const bool progress = ErrorsOnTerminal();
    SheetMaker maker;
    size_t failed = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        if (progress)
            std::fprintf(stderr, "sheet %zu of %zu: %s\n", i + 1, records.size(),
                         ListedFaceName(records[i]).c_str());
        const std::string path =
            (std::filesystem::path(command.output) / SheetFileName(records, i, command.format))
                .string();
        std::string error;
        if (!maker.Write(records[i], path, command.format, command.descriptor, &error)) {
            SayError(error);
            ++failed;
        }
    }
    std::printf("%zu of %zu sheets written to %s", records.size() - failed, records.size(),
                command.output.c_str());
    std::printf(failed != 0 ? " (%zu failed)\n" : "\n", failed);
    return failed != 0 ? kFailed : kDone;
}

int RunJob(const ToolCommand& command) {
    if (displayDevice.InitializeWithoutDisplay(640, 480) == 0) {
        SayError("cannot draw: DirectDraw did not start");
        return kFailed;
    }
    const std::vector<LOGFONTA> records = EnumerateFontRecords();
    switch (command.action) {
        case ToolAction::List: return ListRecords(records);
        case ToolAction::OneSheet: return WriteOneSheet(records, command);
        default: return WriteAllSheets(records, command);
    }
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments) {
    UseParentConsole();
    const ToolCommand command = ParseCommand(arguments);
    if (!command.usageError.empty()) {
        SayError(command.usageError);
        std::fputs("Try 'fontsheet --help'.\n", stderr);
        return kUsageError;
    }
    if (command.action == ToolAction::Help) {
        std::fputs(HelpText(), stdout);
        return kDone;
    }
    if (command.action == ToolAction::Version) {
        std::fputs(VersionText().c_str(), stdout);
        return kDone;
    }
    return RunJob(command);
}

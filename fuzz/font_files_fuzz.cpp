// Font files: the input written as the one font in a folder the fontconfig configuration
// lists, then the fonts enumerated and text drawn and measured in every face, as the font
// sheet tool does: the sample at a 16-pixel cell and width, then every byte at the size the
// enumeration gives, then at a one-pixel em. At every size the metrics must keep the rule
// the real platform keeps: the height is the ascent and the descent together.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "testing.h"

namespace {

std::string& Folder() {
    static std::string folder;
    return folder;
}

// The input as the folder's one font file, under a new name each time, read at once.
void InstallFont(const uint8_t* data, size_t size) {
    static int count = 0;
    static std::string previous;
    if (!previous.empty()) std::remove(previous.c_str());
    previous = Folder() + "/files/input-" + std::to_string(++count) + ".ttf";
    std::ofstream(previous, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    vantor::testing::RescanFonts();
}

void RequireWholeCell(const TEXTMETRICA& metrics, const LOGFONTA& record) {
    if (metrics.tmHeight == metrics.tmAscent + metrics.tmDescent) return;
    std::fprintf(stderr, "%s at lfHeight %ld: tmHeight %ld is not tmAscent %ld + tmDescent %ld\n",
                 record.lfFaceName, long(record.lfHeight), long(metrics.tmHeight),
                 long(metrics.tmAscent), long(metrics.tmDescent));
    std::abort();
}

void DrawIn(HDC dc, const LOGFONTA& enumerated) {
    static const char kSample[] = "ABCDEFG abcdefg 1234567890";
    char everyByte[255];
    for (int i = 0; i < 255; ++i) everyByte[i] = char(i + 1);
    for (int pass = 0; pass < 3; ++pass) {
        LOGFONTA record = enumerated;
        if (pass == 0) record.lfWidth = record.lfHeight = 16;
        if (pass == 2) record.lfWidth = 0, record.lfHeight = -1;
        HFONT font = CreateFontIndirectA(&record);
        HGDIOBJ previous = SelectObject(dc, font);
        TextOutA(dc, 0, 0, kSample, int(sizeof kSample - 1));
        TextOutA(dc, 0, 20, everyByte, int(sizeof everyByte));
        SIZE extent;
        GetTextExtentPoint32A(dc, everyByte, int(sizeof everyByte), &extent);
        TEXTMETRICA metrics;
        if (GetTextMetricsA(dc, &metrics)) RequireWholeCell(metrics, record);
        SelectObject(dc, previous);
        DeleteObject(font);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/vantor-fuzz-fonts-XXXXXX";
    if (!mkdtemp(pattern)) return 0;
    Folder() = pattern;
    mkdir((Folder() + "/files").c_str(), 0700);
    vantor::fuzz::UseOnlyFontsIn(Folder() + "/files");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vantor::fuzz::StartPlatform();
    InstallFont(data, size);
    HWND window = vantor::fuzz::MakeWindow();
    vantor::fuzz::TextSurface canvas;
    if (canvas.Open(window, 16, 256, 64)) {
        std::vector<LOGFONTA> fonts;
        LOGFONTA every{};
        every.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExA(
            canvas.dc, &every,
            [](const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD, LPARAM context) {
                RequireWholeCell(*metrics, *font);
                auto* fonts = reinterpret_cast<std::vector<LOGFONTA>*>(context);
                fonts->push_back(*font);
                return fonts->size() < 32 ? 1 : 0;
            },
            reinterpret_cast<LPARAM>(&fonts), 0);
        for (const LOGFONTA& font : fonts) DrawIn(canvas.dc, font);
    }
    canvas.Close();
    DestroyWindow(window);
    vantor::fuzz::FinishInput("font_files");
    return 0;
}

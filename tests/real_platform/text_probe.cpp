// The text probe: writes what the system relies on from the platform's fonts, one fact per
// line, so that two platforms' answers can be compared line by line. Built from this one
// source for Windows (run on Wine) and against the stand-in.
//
//   enum <face> <charset> index=<n> <field>=<value> ...
//                                           every record EnumFontFamiliesExA delivers for
//                                           DEFAULT_CHARSET, with its text metrics and type
//   font <name> metrics <field>=<value> ... GetTextMetricsA of a chosen font
//   font <name> char <code> <cx>x<cy>       GetTextExtentPoint32A of one character
//   font <name> pair <code> <cx>x<cy>       ... of the character followed by its zero byte
//   font <name> sample <cx>x<cy>            ... of the tool's sample line
//
// The chosen fonts are an all-zero record and the first enumerated record of each face in
// kChosenFaces. The one argument is the file to write.
#include <cstdio>
#include <string>
#include <vector>

#include "win32.h"

namespace {

constexpr const char* kChosenFaces[] = {"DejaVu Sans", "DejaVu Sans Mono", "DejaVu Serif",
                                        "DejaVu Sans Condensed"};
constexpr char kSample[] = "ABCDEFG abcdefg 1234567890";

struct Enumerated {
    ENUMLOGFONTEXA font;
    NEWTEXTMETRICEXA metrics;
    DWORD type;
};

// Bytes of a fixed-size name up to its first zero.
std::string Name(const void* bytes, size_t size) {
    const char* text = static_cast<const char*>(bytes);
    size_t length = 0;
    while (length < size && text[length] != '\0') ++length;
    return std::string(text, length);
}

void WriteLogFont(FILE* out, const LOGFONTA& f) {
    std::fprintf(
        out,
        " lfHeight=%ld lfWidth=%ld lfEscapement=%ld lfOrientation=%ld lfWeight=%ld lfItalic=%u"
        " lfUnderline=%u lfStrikeOut=%u lfCharSet=%u lfOutPrecision=%u lfClipPrecision=%u"
        " lfQuality=%u lfPitchAndFamily=%u lfFaceName=\"%s\"",
        long(f.lfHeight), long(f.lfWidth), long(f.lfEscapement), long(f.lfOrientation),
        long(f.lfWeight), f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfCharSet, f.lfOutPrecision,
        f.lfClipPrecision, f.lfQuality, f.lfPitchAndFamily,
        Name(f.lfFaceName, sizeof f.lfFaceName).c_str());
}

// The fields TEXTMETRICA and NEWTEXTMETRICA share, which come first in both.
template <typename Metrics>
void WriteTextMetrics(FILE* out, const Metrics& m) {
    std::fprintf(
        out,
        " tmHeight=%ld tmAscent=%ld tmDescent=%ld tmInternalLeading=%ld tmExternalLeading=%ld"
        " tmAveCharWidth=%ld tmMaxCharWidth=%ld tmWeight=%ld tmOverhang=%ld tmDigitizedAspectX=%ld"
        " tmDigitizedAspectY=%ld tmFirstChar=%u tmLastChar=%u tmDefaultChar=%u tmBreakChar=%u"
        " tmItalic=%u tmUnderlined=%u tmStruckOut=%u tmPitchAndFamily=%u tmCharSet=%u",
        long(m.tmHeight), long(m.tmAscent), long(m.tmDescent), long(m.tmInternalLeading),
        long(m.tmExternalLeading), long(m.tmAveCharWidth), long(m.tmMaxCharWidth), long(m.tmWeight),
        long(m.tmOverhang), long(m.tmDigitizedAspectX), long(m.tmDigitizedAspectY), m.tmFirstChar,
        m.tmLastChar, m.tmDefaultChar, m.tmBreakChar, m.tmItalic, m.tmUnderlined, m.tmStruckOut,
        m.tmPitchAndFamily, m.tmCharSet);
}

void WriteEnumerated(FILE* out, size_t index, const Enumerated& e) {
    const LOGFONTA& f = e.font.elfLogFont;
    std::fprintf(out, "enum \"%s\" %u index=%zu", Name(f.lfFaceName, sizeof f.lfFaceName).c_str(),
                 f.lfCharSet, index);
    WriteLogFont(out, f);
    std::fprintf(out, " elfFullName=\"%s\" elfStyle=\"%s\" elfScript=\"%s\"",
                 Name(e.font.elfFullName, sizeof e.font.elfFullName).c_str(),
                 Name(e.font.elfStyle, sizeof e.font.elfStyle).c_str(),
                 Name(e.font.elfScript, sizeof e.font.elfScript).c_str());
    const NEWTEXTMETRICA& m = e.metrics.ntmTm;
    WriteTextMetrics(out, m);
    std::fprintf(out, " ntmFlags=%#lx ntmSizeEM=%u ntmCellHeight=%u ntmAvgWidth=%u",
                 static_cast<unsigned long>(m.ntmFlags), m.ntmSizeEM, m.ntmCellHeight,
                 m.ntmAvgWidth);
    const FONTSIGNATURE& s = e.metrics.ntmFontSig;
    std::fprintf(out, " fsUsb=%08lx,%08lx,%08lx,%08lx fsCsb=%08lx,%08lx FontType=%lu\n",
                 static_cast<unsigned long>(s.fsUsb[0]), static_cast<unsigned long>(s.fsUsb[1]),
                 static_cast<unsigned long>(s.fsUsb[2]), static_cast<unsigned long>(s.fsUsb[3]),
                 static_cast<unsigned long>(s.fsCsb[0]), static_cast<unsigned long>(s.fsCsb[1]),
                 static_cast<unsigned long>(e.type));
}

// The records are copied whole: the platform's own are only valid during the callback.
// Only TrueType records carry the extended metrics.
int CALLBACK CollectFont(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD type,
                         LPARAM context) {
    Enumerated record{};
    record.font = *reinterpret_cast<const ENUMLOGFONTEXA*>(font);
    if (type & TRUETYPE_FONTTYPE)
        record.metrics = *reinterpret_cast<const NEWTEXTMETRICEXA*>(metrics);
    else
        *reinterpret_cast<TEXTMETRICA*>(&record.metrics.ntmTm) = *metrics;
    record.type = type;
    reinterpret_cast<std::vector<Enumerated>*>(context)->push_back(record);
    return 1;
}

void WriteExtent(FILE* out, HDC dc, const std::string& label, const char* text, int length) {
    SIZE size = {-1, -1};
    if (!GetTextExtentPoint32A(dc, text, length, &size)) size = {-1, -1};
    std::fprintf(out, "%s %ldx%ld\n", label.c_str(), long(size.cx), long(size.cy));
}

void WriteChosenFont(FILE* out, HDC dc, const std::string& name, const LOGFONTA& record) {
    HFONT font = CreateFontIndirectA(&record);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    std::fprintf(out, "font %s metrics", name.c_str());
    if (GetTextMetricsA(dc, &metrics))
        WriteTextMetrics(out, metrics);
    else
        std::fprintf(out, " failed");
    std::fprintf(out, "\n");
    for (int code = 1; code <= 255; ++code) {
        const char text[2] = {static_cast<char>(code), 0};
        WriteExtent(out, dc, "font " + name + " char " + std::to_string(code), text, 1);
        WriteExtent(out, dc, "font " + name + " pair " + std::to_string(code), text, 2);
    }
    WriteExtent(out, dc, "font " + name + " sample", kSample, static_cast<int>(sizeof kSample - 1));
    SelectObject(dc, previous);
    DeleteObject(font);
}

void WriteProbe(FILE* out, HDC dc) {
    LOGFONTA everyFont{};
    everyFont.lfCharSet = DEFAULT_CHARSET;
    std::vector<Enumerated> records;
    EnumFontFamiliesExA(dc, &everyFont, CollectFont, reinterpret_cast<LPARAM>(&records), 0);
    for (size_t i = 0; i < records.size(); ++i) WriteEnumerated(out, i, records[i]);

    WriteChosenFont(out, dc, "\"all-zero\"", LOGFONTA{});
    for (const char* face : kChosenFaces) {
        for (const Enumerated& record : records) {
            if (Name(record.font.elfLogFont.lfFaceName, LF_FACESIZE) != face) continue;
            WriteChosenFont(out, dc, std::string("\"") + face + "\"", record.font.elfLogFont);
            break;
        }
    }
}

// A device context of a small system-memory surface, as the tool draws its text.
int ProbeOnSurface(FILE* out) {
    IDirectDraw* first = nullptr;
    if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK) return 3;
    IDirectDraw2* directDraw = nullptr;
    const HRESULT queried =
        first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&directDraw));
    first->Release();
    if (queried != DD_OK) return 3;
    int status = 3;
    IDirectDrawSurface* surface = nullptr;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = 64;
    desc.dwHeight = 64;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    HDC dc = nullptr;
    if (directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL) == DD_OK &&
        directDraw->CreateSurface(&desc, &surface, nullptr) == DD_OK &&
        surface->GetDC(&dc) == DD_OK) {
        WriteProbe(out, dc);
        surface->ReleaseDC(dc);
        status = 0;
    }
    if (surface) surface->Release();
    directDraw->Release();
    return status;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    // Binary, so that Windows writes the same line ends as Linux.
    FILE* out = std::fopen(commandLine, "wb");
    if (!out) return 2;
    const int status = ProbeOnSurface(out);
    return std::fclose(out) == 0 ? status : 2;
}

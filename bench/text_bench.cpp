// Text as the font sheet tool draws it, from a cold and a warm font cache: one frame of the
// font list (30 rows of index, face name and the 26-character sample at 16 x 16) and the
// 255 characters of a glyph sheet; beside them the same 30 rows drawn with SDL_ttf into an
// SDL surface of the same 640 x 480 x 16 format.
#include <SDL.h>
#include <SDL_ttf.h>
#include <benchmark/benchmark.h>
#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "display/display_device.h"
#include "gdi/font_cache.h"
#include "testing.h"

namespace {

constexpr int kRows = 30;
constexpr char kSample[] = "ABCDEFG abcdefg 1234567890";

int CALLBACK GatherRows(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM context) {
    auto* rows = reinterpret_cast<std::vector<LOGFONTA>*>(context);
    if (rows->size() < kRows) rows->push_back(*font);
    return 1;
}

// The display at 640 x 480 x 16 drawing into its off-screen buffer, and the first 30
// fonts the platform enumerates.
class TextScene {
public:
    TextScene() {
        vantor::testing::Reset();
        device_ = std::make_unique<DisplayDevice>();
        HWND window = device_->CreateAppWindow(nullptr, "Text benchmarks", 640, 480);
        if (!window || device_->Initialize(window, 640, 480, 16, 1) != 1) std::abort();
        HDC dc = nullptr;
        if (FAILED(target()->GetDC(&dc))) std::abort();
        LOGFONTA all{};
        all.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExA(dc, &all, GatherRows, reinterpret_cast<LPARAM>(&rows_), 0);
        target()->ReleaseDC(dc);
    }
    ~TextScene() {
        device_.reset();
        vantor::testing::Reset();
    }

    IDirectDrawSurface* target() const { return device_->renderTarget; }
    const std::vector<LOGFONTA>& rows() const { return rows_; }

private:
    std::unique_ptr<DisplayDevice> device_;
    std::vector<LOGFONTA> rows_;
};

void DrawListFrame(HDC dc, const std::vector<LOGFONTA>& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const int y = static_cast<int>(i) * 16;
        const std::string index = std::to_string(i);
        TextOutA(dc, 0, y, index.c_str(), static_cast<int>(index.size()));
        TextOutA(dc, 32, y, rows[i].lfFaceName, static_cast<int>(std::strlen(rows[i].lfFaceName)));
        LOGFONTA sample = rows[i];
        sample.lfWidth = 16;
        sample.lfHeight = 16;
        HFONT font = CreateFontIndirectA(&sample);
        HGDIOBJ previous = SelectObject(dc, font);
        TextOutA(dc, 280, y, kSample, 26);
        SelectObject(dc, previous);
        DeleteObject(font);
    }
}

// Characters 1..255 each drawn and measured in their own context, as the sheet does.
void DrawSheetCharacters(IDirectDrawSurface* target, const LOGFONTA& record) {
    for (int code = 1; code < 256; ++code) {
        char text[2] = {static_cast<char>(code), 0};
        HDC dc = nullptr;
        if (FAILED(target->GetDC(&dc))) return;
        HFONT font = CreateFontIndirectA(&record);
        HGDIOBJ previous = SelectObject(dc, font);
        SetTextColor(dc, 0xFFFFFF);
        SetBkColor(dc, 0);
        TextOutA(dc, 0, 2, text, 1);
        SIZE size{};
        GetTextExtentPoint32A(dc, text, 2, &size);
        benchmark::DoNotOptimize(size);
        SelectObject(dc, previous);
        DeleteObject(font);
        target->ReleaseDC(dc);
    }
}

template <typename Draw>
void Measure(benchmark::State& state, bool cold, int64_t itemsPerIteration, Draw draw) {
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            vantor::platform::ForgetRealizedFonts();
            state.ResumeTiming();
        }
        draw();
    }
    state.SetItemsProcessed(state.iterations() * itemsPerIteration);
}

void OursList(benchmark::State& state, bool cold) {
    TextScene scene;
    HDC dc = nullptr;
    if (FAILED(scene.target()->GetDC(&dc))) return state.SkipWithError("no device context");
    Measure(state, cold, kRows, [&] { DrawListFrame(dc, scene.rows()); });
    scene.target()->ReleaseDC(dc);
}

void OursSheet(benchmark::State& state, bool cold) {
    TextScene scene;
    if (scene.rows().empty()) return state.SkipWithError("no fonts");
    Measure(state, cold, 255, [&] { DrawSheetCharacters(scene.target(), scene.rows()[0]); });
}

// The font file fontconfig picks for a family name (or a pattern such as "sans:bold").
std::string FileFor(const std::string& pattern) {
    FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
    FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result;
    FcPattern* found = FcFontMatch(nullptr, wanted, &result);
    std::string path;
    FcChar8* file = nullptr;
    if (found && FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch)
        path = reinterpret_cast<char*>(file);
    if (found) FcPatternDestroy(found);
    FcPatternDestroy(wanted);
    return path;
}

void SdlTtfList(benchmark::State& state) {
    std::vector<LOGFONTA> rows;
    {
        TextScene scene;
        rows = scene.rows();
    }
    if (TTF_Init() != 0) return state.SkipWithError(TTF_GetError());
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 16, SDL_PIXELFORMAT_RGB565);
    std::map<std::string, TTF_Font*> fonts;
    auto open = [&](const std::string& pattern) {
        TTF_Font*& font = fonts[pattern];
        if (!font) font = TTF_OpenFont(FileFor(pattern).c_str(), 14);
        return font;
    };
    TTF_Font* label = open("sans:bold");
    std::vector<TTF_Font*> samples;
    for (const LOGFONTA& row : rows) samples.push_back(open(row.lfFaceName));
    if (!target || !label) return state.SkipWithError("SDL_ttf could not start");
    const SDL_Color black{0, 0, 0, 255}, white{255, 255, 255, 255};
    auto draw = [&](TTF_Font* font, const char* text, int x, int y) {
        SDL_Surface* line = TTF_RenderText_Shaded(font, text, black, white);
        if (!line) return;
        SDL_Rect place{x, y, 0, 0};
        SDL_BlitSurface(line, nullptr, target, &place);
        SDL_FreeSurface(line);
    };
    for (auto _ : state) {
        for (size_t i = 0; i < rows.size(); ++i) {
            const int y = static_cast<int>(i) * 16;
            draw(label, std::to_string(i).c_str(), 0, y);
            draw(label, rows[i].lfFaceName, 32, y);
            if (samples[i]) draw(samples[i], kSample, 280, y);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    for (auto& [pattern, font] : fonts)
        if (font) TTF_CloseFont(font);
    SDL_FreeSurface(target);
    TTF_Quit();
}

const bool kRegistered = [] {
    benchmark::RegisterBenchmark("BM_ListText/ours/cold", [](auto& s) {
        OursList(s, true);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ListText/ours/warm", [](auto& s) {
        OursList(s, false);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_ListText/sdl_ttf/warm", SdlTtfList)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_SheetText/ours/cold", [](auto& s) {
        OursSheet(s, true);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_SheetText/ours/warm", [](auto& s) {
        OursSheet(s, false);
    })->Unit(benchmark::kMicrosecond);
    return true;
}();

}  // namespace

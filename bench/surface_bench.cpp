// The hardware blits and the bitmap export beside their peers in one run: SDL's software
// blitter, stretcher and bitmap writer, pixman's copy, and memcpy as the limit.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "surfaces/surface.h"

namespace {

// The display the tool uses, started once for the whole run.
DisplayDevice& Device() {
    static DisplayDevice* device = [] {
        setenv("VANTOR_VIDEO", "headless", 0);
        auto* made = new DisplayDevice;
        HWND window = made->CreateAppWindow(nullptr, "Surface benchmarks", 640, 480);
        if (!window || made->Initialize(window, 640, 480, 16, 1) != 1) std::abort();
        return made;
    }();
    return *device;
}

// A Surface of the given size with a varied pattern, keyed pixels (0) included.
void MakePatterned(Surface& surface, int32_t width, int32_t height) {
    if (Device().MakeSurface(surface, width, height, -1) != 1) std::abort();
    uint16_t* pixels = reinterpret_cast<uint16_t*>(surface.Lock(1));
    for (int32_t i = 0; i < width * height; ++i)
        pixels[i] = static_cast<uint16_t>(i % 7 ? i * 2654435761u : 0);
    surface.Unlock();
}

SDL_Surface* SdlPatterned(int32_t width, int32_t height) {
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, SDL_PIXELFORMAT_RGB565);
    uint16_t* pixels = static_cast<uint16_t*>(surface->pixels);
    for (int32_t i = 0; i < width * height; ++i)
        pixels[i] = static_cast<uint16_t>(i % 7 ? i * 2654435761u : 0);
    return surface;
}

// ---- DrawSurface ----------------------------------------------------------------------

// Full screen onto the off-screen buffer; a 19 x 19 crop walking along the 4096 x 20 sheet.
struct DrawCase {
    int32_t width, height;
    int32_t targetWidth, targetHeight;
    int32_t step;  // x advance per draw; 0 keeps the corner
};
constexpr DrawCase kScreen{640, 480, 640, 480, 0};
constexpr DrawCase kCrop{19, 19, 4096, 20, 16};

void VantorDraw(benchmark::State& state, DrawCase c, int32_t key) {
    DisplayDevice& device = Device();
    Surface target, tile;
    MakePatterned(target, c.targetWidth, c.targetHeight);
    MakePatterned(tile, c.width, c.height);
    device.SelectSurfaceTarget(target);
    int32_t x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(device.DrawSurface(tile, x, 0, key, 1));
        x = c.step ? (x + c.step) % c.targetWidth : 0;
    }
    device.SelectTarget(static_cast<int32_t>(TargetKind::Offscreen));
    state.SetItemsProcessed(state.iterations() * c.width * c.height);
}

void SdlDraw(benchmark::State& state, DrawCase c, int32_t key) {
    SDL_Surface* target = SdlPatterned(c.targetWidth, c.targetHeight);
    SDL_Surface* tile = SdlPatterned(c.width, c.height);
    SDL_SetColorKey(tile, key >= 0 ? SDL_TRUE : SDL_FALSE, static_cast<Uint32>(key));
    int32_t x = 0;
    for (auto _ : state) {
        SDL_Rect place{x, 0, c.width, c.height};
        benchmark::DoNotOptimize(SDL_BlitSurface(tile, nullptr, target, &place));
        x = c.step ? (x + c.step) % c.targetWidth : 0;
    }
    SDL_FreeSurface(tile);
    SDL_FreeSurface(target);
    state.SetItemsProcessed(state.iterations() * c.width * c.height);
}

void PixmanDraw(benchmark::State& state, DrawCase c) {
    // pixman_blt takes strides in 32-bit words; clipping at the sheet's end is done here.
    std::vector<uint32_t> target(static_cast<size_t>(c.targetWidth) * c.targetHeight / 2 + 1);
    std::vector<uint32_t> tile(static_cast<size_t>((c.width + 1) / 2) * c.height + 1);
    int32_t x = 0;
    for (auto _ : state) {
        int32_t width = std::min(c.width, c.targetWidth - x);
        benchmark::DoNotOptimize(pixman_blt(tile.data(), target.data(), (c.width + 1) / 2,
                                            c.targetWidth / 2, 16, 16, 0, 0, x, 0, width,
                                            c.height));
        x = c.step ? (x + c.step) % c.targetWidth : 0;
    }
    state.SetItemsProcessed(state.iterations() * c.width * c.height);
}

// The limit: the same rows copied with memcpy, clipped at the sheet's end.
void MemcpyDraw(benchmark::State& state, DrawCase c) {
    std::vector<uint16_t> target(static_cast<size_t>(c.targetWidth) * c.targetHeight);
    std::vector<uint16_t> tile(static_cast<size_t>(c.width) * c.height);
    int32_t x = 0;
    for (auto _ : state) {
        size_t bytes = sizeof(uint16_t) * std::min(c.width, c.targetWidth - x);
        for (int32_t row = 0; row < c.height; ++row)
            std::memcpy(&target[static_cast<size_t>(row) * c.targetWidth + x],
                        &tile[static_cast<size_t>(row) * c.width], bytes);
        benchmark::ClobberMemory();
        x = c.step ? (x + c.step) % c.targetWidth : 0;
    }
    state.SetItemsProcessed(state.iterations() * c.width * c.height);
}

// ---- DrawStretched --------------------------------------------------------------------

struct StretchCase {
    int32_t width, height, toWidth, toHeight;
};

void VantorStretch(benchmark::State& state, StretchCase c) {
    DisplayDevice& device = Device();
    Surface glyph;
    MakePatterned(glyph, c.width, c.height);
    device.SelectTarget(static_cast<int32_t>(TargetKind::Offscreen));
    for (auto _ : state)
        benchmark::DoNotOptimize(device.DrawStretched(glyph, 0, 0, c.toWidth, c.toHeight, -1, 1));
    state.SetItemsProcessed(state.iterations() * c.toWidth * c.toHeight);
}

void SdlStretch(benchmark::State& state, StretchCase c) {
    SDL_Surface* target = SdlPatterned(640, 480);
    SDL_Surface* glyph = SdlPatterned(c.width, c.height);
    SDL_Rect to{0, 0, c.toWidth, c.toHeight};
    for (auto _ : state) benchmark::DoNotOptimize(SDL_SoftStretch(glyph, nullptr, target, &to));
    SDL_FreeSurface(glyph);
    SDL_FreeSurface(target);
    state.SetItemsProcessed(state.iterations() * c.toWidth * c.toHeight);
}

// ---- SaveBitmap -----------------------------------------------------------------------

// A file on disk, and one in memory-backed storage where the writing costs least.
const std::string kDiskFile = "/tmp/vantor-bench-sheet.bmp";
const std::string kMemoryFile = "/dev/shm/vantor-bench-sheet.bmp";

void VantorSave(benchmark::State& state, const std::string& path) {
    DisplayDevice& device = Device();
    Surface sheet;
    MakePatterned(sheet, 4096, 20);
    device.SelectSurfaceTarget(sheet);
    for (auto _ : state)
        if (device.SaveBitmap(path.c_str()) != 1) state.SkipWithError("SaveBitmap failed");
    device.SelectTarget(static_cast<int32_t>(TargetKind::Offscreen));
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * 4096 * 20);
}

void SdlSaveToFile(benchmark::State& state, const std::string& path) {
    SDL_Surface* sheet = SdlPatterned(4096, 20);
    for (auto _ : state) benchmark::DoNotOptimize(SDL_SaveBMP(sheet, path.c_str()));
    SDL_FreeSurface(sheet);
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * 4096 * 20);
}

void SdlSaveToMemory(benchmark::State& state) {
    SDL_Surface* sheet = SdlPatterned(4096, 20);
    std::vector<uint8_t> memory(1 << 20);
    for (auto _ : state) {
        SDL_RWops* out = SDL_RWFromMem(memory.data(), static_cast<int>(memory.size()));
        benchmark::DoNotOptimize(SDL_SaveBMP_RW(sheet, out, 1));
    }
    SDL_FreeSurface(sheet);
    state.SetItemsProcessed(state.iterations() * 4096 * 20);
}

// ---- Registration ---------------------------------------------------------------------

void Register(const std::string& name, auto function) {
    benchmark::RegisterBenchmark(name.c_str(), function);
}

const bool kRegistered = [] {
    const std::pair<std::string, DrawCase> draws[] = {{"640x480", kScreen}, {"19x19", kCrop}};
    for (const auto& [size, c] : draws) {
        Register("BM_DrawSurface/vantor/" + size, [c](auto& s) { VantorDraw(s, c, -1); });
        Register("BM_DrawSurface/sdl_blit/" + size, [c](auto& s) { SdlDraw(s, c, -1); });
        Register("BM_DrawSurface/pixman_blt/" + size, [c](auto& s) { PixmanDraw(s, c); });
        Register("BM_DrawSurface/memcpy/" + size, [c](auto& s) { MemcpyDraw(s, c); });
        Register("BM_DrawSurfaceKeyed/vantor/" + size, [c](auto& s) { VantorDraw(s, c, 0); });
        Register("BM_DrawSurfaceKeyed/sdl_blit/" + size, [c](auto& s) { SdlDraw(s, c, 0); });
    }
    const std::pair<std::string, StretchCase> stretches[] = {{"10x20-24x20", {10, 20, 24, 20}},
                                                             {"16x16-32x32", {16, 16, 32, 32}}};
    for (const auto& [size, c] : stretches) {
        Register("BM_DrawStretched/vantor/" + size, [c](auto& s) { VantorStretch(s, c); });
        Register("BM_DrawStretched/sdl_softstretch/" + size, [c](auto& s) { SdlStretch(s, c); });
    }
    Register("BM_SaveBitmap/vantor/4096x20-file", [](auto& s) { VantorSave(s, kDiskFile); });
    Register("BM_SaveBitmap/sdl_savebmp/4096x20-file",
             [](auto& s) { SdlSaveToFile(s, kDiskFile); });
    Register("BM_SaveBitmap/vantor/4096x20-memory", [](auto& s) { VantorSave(s, kMemoryFile); });
    Register("BM_SaveBitmap/sdl_savebmp/4096x20-memory", [](auto& s) { SdlSaveToMemory(s); });
    return true;
}();

}  // namespace

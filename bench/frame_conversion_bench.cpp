// Turning a presented frame into what the screen shows (0x00RRGGBB per pixel), beside
// SDL2's own pixel conversion in the same run and memcpy of the frame as the limit.
//
// Names are family/contender/size (see bench/run.sh): contender "ours" is this platform,
// "memcpy" the limit, "sdl" the peer.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "present/presenter.h"

namespace {

using vantor::platform::PixelView;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Source {
    int bitsPerPixel;
    uint32_t red, green, blue;
    Uint32 sdlFormat;
};

constexpr Source k565{16, 0xF800, 0x07E0, 0x001F, SDL_PIXELFORMAT_RGB565};
constexpr Source k8888{32, 0xFF0000, 0x00FF00, 0x0000FF, SDL_PIXELFORMAT_RGB888};

// The same varied bytes for every contender.
std::vector<uint8_t> FramePixels(int bitsPerPixel) {
    std::vector<uint8_t> bytes(size_t(kWidth) * kHeight * (bitsPerPixel / 8));
    uint32_t state = 12345;
    for (uint8_t& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = uint8_t(state >> 24);
    }
    return bytes;
}

void Count(benchmark::State& state) {
    state.SetItemsProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}

void Ours(benchmark::State& state, Source source) {
    std::vector<uint8_t> pixels = FramePixels(source.bitsPerPixel);
    std::vector<uint32_t> rgb(size_t(kWidth) * kHeight);
    PixelView view{pixels.data(),
                   kWidth,
                   kHeight,
                   kWidth * source.bitsPerPixel / 8,
                   source.bitsPerPixel,
                   source.red,
                   source.green,
                   source.blue,
                   nullptr};
    for (auto _ : state) {
        vantor::platform::FrameToRgb(view, rgb.data());
        benchmark::DoNotOptimize(rgb.data());
    }
    Count(state);
}

void Sdl(benchmark::State& state, Source source) {
    std::vector<uint8_t> pixels = FramePixels(source.bitsPerPixel);
    std::vector<uint32_t> rgb(size_t(kWidth) * kHeight);
    int pitch = kWidth * source.bitsPerPixel / 8;
    for (auto _ : state) {
        SDL_ConvertPixels(kWidth, kHeight, source.sdlFormat, pixels.data(), pitch,
                          SDL_PIXELFORMAT_RGB888, rgb.data(), kWidth * 4);
        benchmark::DoNotOptimize(rgb.data());
    }
    Count(state);
}

// Reading the frame and writing the converted one: the bytes any conversion moves.
void Limit(benchmark::State& state, Source source) {
    std::vector<uint8_t> pixels = FramePixels(source.bitsPerPixel);
    std::vector<uint32_t> rgb(size_t(kWidth) * kHeight);
    for (auto _ : state) {
        std::memcpy(rgb.data(), pixels.data(), pixels.size());
        benchmark::DoNotOptimize(rgb.data());
    }
    Count(state);
}

void Indexed(benchmark::State& state, bool sdl) {
    std::vector<uint8_t> pixels = FramePixels(8);
    std::vector<uint32_t> rgb(size_t(kWidth) * kHeight);
    PALETTEENTRY palette[256];
    SDL_Color colours[256];
    for (int i = 0; i < 256; ++i) {
        palette[i] = PALETTEENTRY{BYTE(i), BYTE(255 - i), BYTE(i * 7), 0};
        colours[i] = SDL_Color{BYTE(i), BYTE(255 - i), BYTE(i * 7), 255};
    }
    SDL_Surface* from = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kWidth, kHeight, 8,
                                                           kWidth, SDL_PIXELFORMAT_INDEX8);
    SDL_Surface* to = SDL_CreateRGBSurfaceWithFormatFrom(rgb.data(), kWidth, kHeight, 32,
                                                         kWidth * 4, SDL_PIXELFORMAT_RGB888);
    SDL_SetPaletteColors(from->format->palette, colours, 0, 256);
    PixelView view{pixels.data(), kWidth, kHeight, kWidth, 8, 0, 0, 0, palette};
    for (auto _ : state) {
        if (sdl)
            SDL_BlitSurface(from, nullptr, to, nullptr);
        else
            vantor::platform::FrameToRgb(view, rgb.data());
        benchmark::DoNotOptimize(rgb.data());
    }
    SDL_FreeSurface(from);
    SDL_FreeSurface(to);
    Count(state);
}

BENCHMARK_CAPTURE(Ours, 565, k565)->Name("BM_FrameToRgb565/ours/640x480");
BENCHMARK_CAPTURE(Sdl, 565, k565)->Name("BM_FrameToRgb565/sdl/640x480");
BENCHMARK_CAPTURE(Limit, 565, k565)->Name("BM_FrameToRgb565/memcpy/640x480");
BENCHMARK_CAPTURE(Ours, 8888, k8888)->Name("BM_FrameToRgb32/ours/640x480");
BENCHMARK_CAPTURE(Sdl, 8888, k8888)->Name("BM_FrameToRgb32/sdl/640x480");
BENCHMARK_CAPTURE(Limit, 8888, k8888)->Name("BM_FrameToRgb32/memcpy/640x480");
BENCHMARK_CAPTURE(Indexed, ours, false)->Name("BM_FrameToRgb8/ours/640x480");
BENCHMARK_CAPTURE(Indexed, sdl, true)->Name("BM_FrameToRgb8/sdl/640x480");

}  // namespace

// The software blends beside their peers in one run: DrawBlended in 5-6-5, 5-5-5 and 32-bit
// (its backdrop copy included) and DrawCheckered in 8-bit, against SDL's 50 % alpha blit,
// pixman's OVER through a 50 % solid mask, and memcpy of the same bytes as the limit.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "surfaces/blend_rows.h"
#include "surfaces/surface.h"
#include "testing.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

struct Layout {
    const char* name;
    int32_t bitsPerPixel;
    bool layout555;
    Uint32 sdlFormat;
    pixman_format_code_t pixmanFormat;
    vantor::BlendForm form;
};

const Layout kLayouts[] = {
    {"BM_Blend565", 16, false, SDL_PIXELFORMAT_RGB565, PIXMAN_r5g6b5, vantor::BlendForm::Rgb565},
    {"BM_Blend555", 16, true, SDL_PIXELFORMAT_RGB555, PIXMAN_x1r5g5b5, vantor::BlendForm::Rgb555},
    {"BM_Blend32", 32, false, SDL_PIXELFORMAT_RGB888, PIXMAN_x8r8g8b8, vantor::BlendForm::Rgb32},
};

// Varied pixel bytes, the same for every contestant.
void FillPattern(uint8_t* bytes, std::size_t size, uint32_t seed) {
    for (std::size_t i = 0; i < size; ++i) bytes[i] = uint8_t((i * 2654435761u + seed) >> 13);
}

// A display in the given mode on a fresh platform, for one benchmark run, with a patterned
// 640 x 480 Surface and the off-screen buffer as the render target.
class BlendScene {
public:
    BlendScene(int32_t bitsPerPixel, bool layout555) {
        vantor::testing::Reset();
        vantor::testing::Use555(layout555);
        device_ = std::make_unique<DisplayDevice>();
        HWND window = device_->CreateAppWindow(nullptr, "Blend benchmarks", kWidth, kHeight);
        if (window == nullptr || device_->Initialize(window, kWidth, kHeight, bitsPerPixel, 1) != 1)
            std::abort();
        if (device_->MakeSurface(surface_, kWidth, kHeight, 0) != 1) std::abort();
        FillPattern(surface_.Lock(1), std::size_t(kWidth) * kHeight * (bitsPerPixel / 8), 1);
        surface_.Unlock();
    }
    ~BlendScene() {
        surface_.Release();
        device_.reset();
        vantor::testing::Reset();
    }

    DisplayDevice& device() { return *device_; }
    Surface& surface() { return surface_; }

private:
    std::unique_ptr<DisplayDevice> device_;
    Surface surface_;
};

void SetPixels(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void OursBlend(benchmark::State& state, const Layout& layout) {
    BlendScene scene(layout.bitsPerPixel, layout.layout555);
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.device().DrawBlended(scene.surface(), 0, 0, -1, 1));
    SetPixels(state);
}

// The row kernel alone on plain memory: what DrawBlended costs without its backdrop copy.
void OursKernel(benchmark::State& state, const Layout& layout) {
    const std::size_t row = std::size_t(kWidth) * (layout.bitsPerPixel / 8);
    std::vector<uint8_t> source(row * kHeight), backdrop(row * kHeight), target(row * kHeight);
    FillPattern(source.data(), source.size(), 1);
    FillPattern(backdrop.data(), backdrop.size(), 2);
    const vantor::BlendRow blend = vantor::ChooseBlendRow(layout.form, -1);
    for (auto _ : state) {
        for (int32_t r = 0; r < kHeight; ++r)
            blend(target.data() + r * row, source.data() + r * row, backdrop.data() + r * row,
                  kWidth, 0);
        benchmark::ClobberMemory();
    }
    SetPixels(state);
}

void SdlBlend(benchmark::State& state, const Layout& layout) {
    SDL_Surface* source =
        SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, layout.bitsPerPixel, layout.sdlFormat);
    SDL_Surface* target =
        SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, layout.bitsPerPixel, layout.sdlFormat);
    FillPattern(static_cast<uint8_t*>(source->pixels), std::size_t(source->pitch) * kHeight, 1);
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceAlphaMod(source, 128);
    for (auto _ : state) {
        SDL_Rect place{0, 0, kWidth, kHeight};
        if (SDL_BlitSurface(source, nullptr, target, &place) != 0)
            state.SkipWithError(SDL_GetError());
    }
    SDL_FreeSurface(source);
    SDL_FreeSurface(target);
    SetPixels(state);
}

void PixmanBlend(benchmark::State& state, const Layout& layout) {
    const int stride = kWidth * (layout.bitsPerPixel / 8);
    std::vector<uint32_t> sourceBits(std::size_t(stride) * kHeight / 4),
        targetBits(sourceBits.size());
    FillPattern(reinterpret_cast<uint8_t*>(sourceBits.data()), sourceBits.size() * 4, 1);
    pixman_image_t* source =
        pixman_image_create_bits(layout.pixmanFormat, kWidth, kHeight, sourceBits.data(), stride);
    pixman_image_t* target =
        pixman_image_create_bits(layout.pixmanFormat, kWidth, kHeight, targetBits.data(), stride);
    const pixman_color_t half{0, 0, 0, 0x8000};
    pixman_image_t* mask = pixman_image_create_solid_fill(&half);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, source, mask, target, 0, 0, 0, 0, 0, 0, kWidth,
                                 kHeight);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(mask);
    pixman_image_unref(target);
    pixman_image_unref(source);
    SetPixels(state);
}

void MemcpyLimit(benchmark::State& state, int32_t bytesPerPixel) {
    std::vector<uint8_t> source(std::size_t(kWidth) * kHeight * bytesPerPixel, 1),
        target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::ClobberMemory();
    }
    SetPixels(state);
}

void OursChecker8(benchmark::State& state) {
    BlendScene scene(8, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.device().DrawCheckered(scene.surface(), 0, 0, -1, 1));
    SetPixels(state);
}

const bool kRegistered = [] {
    for (const Layout& layout : kLayouts) {
        const std::string name = layout.name;
        const Layout* l = &layout;
        benchmark::RegisterBenchmark((name + "/ours/640x480").c_str(),
                                     [l](auto& s) { OursBlend(s, *l); });
        benchmark::RegisterBenchmark((name + "/ours_rows/640x480").c_str(),
                                     [l](auto& s) { OursKernel(s, *l); });
        benchmark::RegisterBenchmark((name + "/sdl/640x480").c_str(),
                                     [l](auto& s) { SdlBlend(s, *l); });
        benchmark::RegisterBenchmark((name + "/pixman/640x480").c_str(),
                                     [l](auto& s) { PixmanBlend(s, *l); });
        benchmark::RegisterBenchmark((name + "/memcpy/640x480").c_str(),
                                     [l](auto& s) { MemcpyLimit(s, l->bitsPerPixel / 8); });
    }
    benchmark::RegisterBenchmark("BM_Checker8/ours/640x480", OursChecker8);
    benchmark::RegisterBenchmark("BM_Checker8/memcpy/640x480", [](auto& s) { MemcpyLimit(s, 1); });
    return true;
}();

}  // namespace

// The platform blitter beside its peers in one run, at 16 bits per pixel (5-6-5): colour
// fill, copy, keyed copy and point-sampled stretch through the real Blt and BltFast, against
// memset/memcpy as the limit, SDL2's software surfaces and pixman.
//
// Names are family/contender/size (see bench/run.sh): contender "ours" is this platform,
// "memset" and "memcpy" the limits, anything else a peer.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "win32.h"

namespace {

constexpr int kBytes = 2;
constexpr uint32_t kKey = 0x001F;

struct Size {
    int width;
    int height;
};

// Varied pixels with some runs of the key colour, the same for every contestant.
void FillPattern(uint8_t* bytes, int width, int height, int pitch) {
    for (int y = 0; y < height; ++y) {
        uint16_t* row = reinterpret_cast<uint16_t*>(bytes + size_t(y) * pitch);
        for (int x = 0; x < width; ++x)
            row[x] = (x / 3 + y) % 4 == 0 ? kKey : uint16_t((x * 2654435761u + y) >> 11);
    }
}

// ---- Ours: DirectDraw surfaces -----------------------------------------------------------

IDirectDraw2* OurDirectDraw() {
    static IDirectDraw2* directDraw = [] {
        IDirectDraw* first = nullptr;
        IDirectDraw2* second = nullptr;
        if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK ||
            first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&second)) != DD_OK ||
            second->SetCooperativeLevel(nullptr, DDSCL_NORMAL) != DD_OK)
            std::abort();
        first->Release();
        return second;
    }();
    return directDraw;
}

IDirectDrawSurface* OurSurface(Size size) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = DWORD(size.width);
    desc.dwHeight = DWORD(size.height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.ddpfPixelFormat = {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 16, 0xF800, 0x07E0, 0x001F, 0};
    IDirectDrawSurface* surface = nullptr;
    if (OurDirectDraw()->CreateSurface(&desc, &surface, nullptr) != DD_OK) std::abort();
    DDSURFACEDESC locked{};
    locked.dwSize = sizeof locked;
    if (surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) != DD_OK) std::abort();
    FillPattern(static_cast<uint8_t*>(locked.lpSurface), size.width, size.height, locked.lPitch);
    surface->Unlock(nullptr);
    DDCOLORKEY key = {kKey, kKey};
    surface->SetColorKey(DDCKEY_SRCBLT, &key);
    return surface;
}

void Count(benchmark::State& state, Size box) {
    state.SetItemsProcessed(state.iterations() * box.width * box.height);
}

void OursFill(benchmark::State& state, Size target, Size box) {
    IDirectDrawSurface* dst = OurSurface(target);
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0x1234;
    RECT rect = {0, 0, box.width, box.height};
    for (auto _ : state) {
        // Two values in turn: a whole-surface fill of the value the surface already holds
        // writes only what was drawn since, and here nothing was.
        fx.dwFillColor ^= 1;
        if (dst->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx) != DD_OK)
            std::abort();
        benchmark::ClobberMemory();
    }
    Count(state, box);
    dst->Release();
}

void OursCopy(benchmark::State& state, Size target, Size box, DWORD transfer) {
    IDirectDrawSurface* dst = OurSurface(target);
    IDirectDrawSurface* src = OurSurface(box);
    for (auto _ : state) {
        if (dst->BltFast(0, 0, src, nullptr, transfer | DDBLTFAST_WAIT) != DD_OK) std::abort();
        benchmark::ClobberMemory();
    }
    Count(state, box);
    dst->Release();
    src->Release();
}

// Stretches onto a box of `to`, alternating between two sources. Of the same size (widen
// 0), the kernel keeps the row plan of the last geometry; one pixel apart in width (widen 1),
// each call works its plan out anew while the pixels written stay the same.
void OursStretch(benchmark::State& state, Size from, Size to, int widen) {
    IDirectDrawSurface* dst = OurSurface({640, 480});
    IDirectDrawSurface* sources[2] = {OurSurface(from),
                                      OurSurface({from.width + widen, from.height})};
    RECT rect = {0, 0, to.width, to.height};
    int next = 0;
    for (auto _ : state) {
        if (dst->Blt(&rect, sources[next], nullptr, DDBLT_WAIT, nullptr) != DD_OK) std::abort();
        next ^= 1;
        benchmark::ClobberMemory();
    }
    Count(state, to);
    dst->Release();
    for (IDirectDrawSurface* src : sources) src->Release();
}

// ---- The limits --------------------------------------------------------------------------

struct Plain {
    std::vector<uint8_t> bytes;
    int pitch;
    Plain(Size size)
        : bytes(size_t(size.width) * size.height * kBytes), pitch(size.width * kBytes) {
        FillPattern(bytes.data(), size.width, size.height, pitch);
    }
};

void MemsetLimit(benchmark::State& state, Size target, Size box) {
    Plain dst(target);
    for (auto _ : state) {
        for (int y = 0; y < box.height; ++y)
            std::memset(dst.bytes.data() + size_t(y) * dst.pitch, 0x34, box.width * kBytes);
        benchmark::ClobberMemory();
    }
    Count(state, box);
}

void MemcpyLimit(benchmark::State& state, Size target, Size box) {
    Plain dst(target), src(box);
    for (auto _ : state) {
        for (int y = 0; y < box.height; ++y)
            std::memcpy(dst.bytes.data() + size_t(y) * dst.pitch,
                        src.bytes.data() + size_t(y) * src.pitch, box.width * kBytes);
        benchmark::ClobberMemory();
    }
    Count(state, box);
}

// ---- SDL2 software surfaces --------------------------------------------------------------

SDL_Surface* SdlSurface(Size size) {
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, size.width, size.height, 16, SDL_PIXELFORMAT_RGB565);
    if (!surface) std::abort();
    FillPattern(static_cast<uint8_t*>(surface->pixels), size.width, size.height, surface->pitch);
    SDL_SetSurfaceBlendMode(surface, SDL_BLENDMODE_NONE);
    return surface;
}

void SdlFill(benchmark::State& state, Size target, Size box) {
    SDL_Surface* dst = SdlSurface(target);
    SDL_Rect rect = {0, 0, box.width, box.height};
    for (auto _ : state) {
        SDL_FillRect(dst, &rect, 0x1234);
        benchmark::ClobberMemory();
    }
    Count(state, box);
    SDL_FreeSurface(dst);
}

void SdlCopy(benchmark::State& state, Size target, Size box, bool keyed) {
    SDL_Surface* dst = SdlSurface(target);
    SDL_Surface* src = SdlSurface(box);
    if (keyed) SDL_SetColorKey(src, SDL_TRUE, kKey);
    for (auto _ : state) {
        SDL_Rect to = {0, 0, box.width, box.height};
        SDL_BlitSurface(src, nullptr, dst, &to);
        benchmark::ClobberMemory();
    }
    Count(state, box);
    SDL_FreeSurface(dst);
    SDL_FreeSurface(src);
}

void SdlStretch(benchmark::State& state, Size from, Size to) {
    SDL_Surface* dst = SdlSurface({640, 480});
    SDL_Surface* src = SdlSurface(from);
    SDL_Rect source = {0, 0, from.width, from.height}, target = {0, 0, to.width, to.height};
    for (auto _ : state) {
        SDL_SoftStretch(src, &source, dst, &target);
        benchmark::ClobberMemory();
    }
    Count(state, to);
    SDL_FreeSurface(dst);
    SDL_FreeSurface(src);
}

// ---- pixman ------------------------------------------------------------------------------

struct PixmanImage {
    std::vector<uint32_t> words;
    int strideWords;
    pixman_image_t* image;
    PixmanImage(Size size)
        : words(size_t(size.width * kBytes + 3) / 4 * size.height),
          strideWords((size.width * kBytes + 3) / 4) {
        FillPattern(reinterpret_cast<uint8_t*>(words.data()), size.width, size.height,
                    strideWords * 4);
        image = pixman_image_create_bits(PIXMAN_r5g6b5, size.width, size.height, words.data(),
                                         strideWords * 4);
    }
    ~PixmanImage() { pixman_image_unref(image); }
};

void PixmanFill(benchmark::State& state, Size target, Size box) {
    PixmanImage dst(target);
    for (auto _ : state) {
        if (!pixman_fill(dst.words.data(), dst.strideWords, 16, 0, 0, box.width, box.height,
                         0x1234))
            std::abort();
        benchmark::ClobberMemory();
    }
    Count(state, box);
}

void PixmanCopy(benchmark::State& state, Size target, Size box) {
    PixmanImage dst(target), src(box);
    for (auto _ : state) {
        if (!pixman_blt(src.words.data(), dst.words.data(), src.strideWords, dst.strideWords, 16,
                        16, 0, 0, 0, 0, box.width, box.height))
            std::abort();
        benchmark::ClobberMemory();
    }
    Count(state, box);
}

void PixmanStretch(benchmark::State& state, Size from, Size to) {
    PixmanImage dst({640, 480}), src(from);
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(double(from.width) / to.width),
                                pixman_double_to_fixed(double(from.height) / to.height));
    pixman_image_set_transform(src.image, &scale);
    pixman_image_set_filter(src.image, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0,
                                 to.width, to.height);
        benchmark::ClobberMemory();
    }
    Count(state, to);
}

// ---- Registration ------------------------------------------------------------------------

template <typename Run>
void Register(const std::string& name, Run run) {
    benchmark::RegisterBenchmark(name.c_str(), run);
}

std::string Name(Size size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

int RegisterAll() {
    const Size screen = {640, 480}, strip = {4096, 20};
    struct Area {
        Size target;
        Size box;
    };
    for (Area a : {Area{screen, screen}, Area{strip, {19, 19}}}) {
        const std::string size = Name(a.box);
        Register("BM_Fill/ours/" + size, [a](auto& s) { OursFill(s, a.target, a.box); });
        Register("BM_Fill/memset/" + size, [a](auto& s) { MemsetLimit(s, a.target, a.box); });
        Register("BM_Fill/sdl/" + size, [a](auto& s) { SdlFill(s, a.target, a.box); });
        Register("BM_Fill/pixman/" + size, [a](auto& s) { PixmanFill(s, a.target, a.box); });
        Register("BM_Copy/ours/" + size, [a](auto& s) { OursCopy(s, a.target, a.box, 0); });
        Register("BM_Copy/memcpy/" + size, [a](auto& s) { MemcpyLimit(s, a.target, a.box); });
        Register("BM_Copy/sdl/" + size, [a](auto& s) { SdlCopy(s, a.target, a.box, false); });
        Register("BM_Copy/pixman/" + size, [a](auto& s) { PixmanCopy(s, a.target, a.box); });
        Register("BM_KeyedCopy/ours/" + size,
                 [a](auto& s) { OursCopy(s, a.target, a.box, DDBLTFAST_SRCCOLORKEY); });
        Register("BM_KeyedCopy/memcpy/" + size, [a](auto& s) { MemcpyLimit(s, a.target, a.box); });
        Register("BM_KeyedCopy/sdl/" + size, [a](auto& s) { SdlCopy(s, a.target, a.box, true); });
    }
    struct Scale {
        Size from;
        Size to;
    };
    for (Scale c : {Scale{{10, 20}, {24, 20}}, Scale{{16, 16}, {32, 32}}, Scale{screen, {320, 240}},
                    Scale{{320, 240}, screen}}) {
        const std::string size = Name(c.from) + "-" + Name(c.to);
        Register("BM_Stretch/ours/" + size, [c](auto& s) { OursStretch(s, c.from, c.to, 0); });
        Register("BM_Stretch/ours_replanned/" + size,
                 [c](auto& s) { OursStretch(s, c.from, c.to, 1); });
        Register("BM_Stretch/memcpy/" + size,
                 [c, screen](auto& s) { MemcpyLimit(s, screen, c.to); });
        Register("BM_Stretch/sdl/" + size, [c](auto& s) { SdlStretch(s, c.from, c.to); });
        Register("BM_Stretch/pixman/" + size, [c](auto& s) { PixmanStretch(s, c.from, c.to); });
    }
    return 0;
}

const int registered = RegisterAll();

}  // namespace

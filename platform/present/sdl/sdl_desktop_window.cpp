#include "sdl_desktop_window.h"

#include <algorithm>

#include "sdl_video.h"

namespace vantor::platform {
namespace {

// SDL makes no window of no size; an empty client area still has a one-pixel window.
int AtLeastOne(int side) { return std::max(side, 1); }

}  // namespace

bool SdlDesktopWindow::Place(const ScreenArea& client, const char* title) {
    const int width = AtLeastOne(client.width), height = AtLeastOne(client.height);
    if (!window_) {
        window_ = SDL_CreateWindow(title, client.x, client.y, width, height, SDL_WINDOW_BORDERLESS);
        if (!window_) return ReportSdlFailure("cannot open a window on the desktop");
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (!renderer_) {
            ReportSdlFailure("cannot draw into the window on the desktop");
            Close();
            return false;
        }
    } else {
        SDL_SetWindowPosition(window_, client.x, client.y);
        SDL_SetWindowSize(window_, width, height);
    }
    placed_ = client;
    return true;
}

void DestroyWindowParts(SDL_Texture*& texture, SDL_Renderer*& renderer, SDL_Window*& window) {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
}

void SdlDesktopWindow::Close() {
    DestroyWindowParts(texture_, renderer_, window_);
    rgb_.clear();
    rgb_.shrink_to_fit();
}

bool SdlDesktopWindow::MakeTexture(int width, int height) {
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 width, height);
    if (!texture_) return false;
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
    return true;
}

void SdlDesktopWindow::Show(const PixelView& desktop, const ScreenArea& client) {
    if (!window_ || client.width <= 0 || client.height <= 0) return;
    int textureWidth = 0, textureHeight = 0;
    if (texture_) SDL_QueryTexture(texture_, nullptr, nullptr, &textureWidth, &textureHeight);
    if ((textureWidth != client.width || textureHeight != client.height) &&
        !MakeTexture(client.width, client.height))
        return;
    // The client area's pixels row by row; those off the desktop stay black.
    rgb_.assign(static_cast<size_t>(client.width) * client.height, 0);
    const int left = std::max(client.x, 0), top = std::max(client.y, 0);
    const int right = std::min<int64_t>(int64_t(client.x) + client.width, desktop.width);
    const int bottom = std::min<int64_t>(int64_t(client.y) + client.height, desktop.height);
    if (right > left && bottom > top) {
        PixelView part = desktop;
        part.pixels += static_cast<ptrdiff_t>(top) * desktop.pitch +
                       static_cast<ptrdiff_t>(left) * (desktop.bitsPerPixel / 8);
        part.width = right - left;
        part.height = bottom - top;
        std::vector<uint32_t> visible(static_cast<size_t>(part.width) * part.height);
        FrameToRgb(part, visible.data());
        for (int y = 0; y < part.height; ++y)
            std::copy_n(visible.begin() + static_cast<ptrdiff_t>(y) * part.width, part.width,
                        rgb_.begin() + static_cast<ptrdiff_t>(top - client.y + y) * client.width +
                            (left - client.x));
    }
    SDL_UpdateTexture(texture_, nullptr, rgb_.data(), client.width * 4);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

bool SdlDesktopWindow::Moved(const SDL_WindowEvent& windowEvent, PresenterEvent* event) {
    if (!window_ || windowEvent.windowID != SDL_GetWindowID(window_)) return false;
    if (windowEvent.event != SDL_WINDOWEVENT_MOVED &&
        windowEvent.event != SDL_WINDOWEVENT_SIZE_CHANGED)
        return false;
    ScreenArea now{0, 0, 0, 0};
    SDL_GetWindowPosition(window_, &now.x, &now.y);
    SDL_GetWindowSize(window_, &now.width, &now.height);
    if (now.x == placed_.x && now.y == placed_.y && now.width == AtLeastOne(placed_.width) &&
        now.height == AtLeastOne(placed_.height))
        return false;
    placed_ = now;
    *event =
        PresenterEvent{PresenterEventKind::WindowPlaced, 0, now.x, now.y, now.width, now.height};
    return true;
}

}  // namespace vantor::platform

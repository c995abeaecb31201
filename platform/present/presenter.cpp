// The presenter in use, and the layer every platform part reaches it through. Whichever
// presenter shows the frames, the layer counts them, keeps the last one for the testing
// hooks once they have reset the platform, writes it to VANTOR_SCREENSHOT and hands out the
// events tests inject before the presenter's own.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>

#include "environment.h"
#include "modules.h"
#include "orderly_end.h"
#include "presenter_internal.h"

namespace vantor::platform {
namespace {

// The last frame shown, copied row by row in its own format.
struct KeptFrame {
    PixelView view{};
    std::vector<uint8_t> pixels;
    PALETTEENTRY palette[256] = {};
};

// The part of the desktop under a client area: a view into the desktop's memory, empty
// when the client area is wholly off the desktop.
PixelView VisiblePart(const PixelView& desktop, const ScreenArea& client) {
    const int64_t left = std::max<int64_t>(client.x, 0);
    const int64_t top = std::max<int64_t>(client.y, 0);
    const int64_t right = std::min<int64_t>(int64_t(client.x) + client.width, desktop.width);
    const int64_t bottom = std::min<int64_t>(int64_t(client.y) + client.height, desktop.height);
    PixelView part = desktop;
    part.width = right > left ? int32_t(right - left) : 0;
    part.height = bottom > top ? int32_t(bottom - top) : 0;
    if (part.width > 0 && part.height > 0)
        part.pixels += top * desktop.pitch + left * (desktop.bitsPerPixel / 8);
    return part;
}

std::unique_ptr<Presenter> ChoosePresenter() {
    const std::string& video = CurrentEnvironment().video;
    if (video == "headless") return MakeHeadlessPresenter();
    if (std::unique_ptr<Presenter> sdl = MakeSdlPresenter(video == "window")) return sdl;
    if (video == "sdl" || video == "window")
        std::fprintf(stderr,
                     "VANTOR_VIDEO: %s asked for, but no display answers; running headless\n",
                     video.c_str());
    else
        std::fprintf(stderr, "vantor: no display answers; running headless\n");
    return MakeHeadlessPresenter();
}

class PresenterLayer final : public Presenter {
public:
    void Use(std::unique_ptr<Presenter> presenter) {
        inner_ = std::move(presenter);
        PassName();
    }
    void EnsureChosen() {
        if (inner_) return;
        inner_ = ChoosePresenter();
        PassName();
    }
    void Reset() {
        inner_ = MakeHeadlessPresenter();
        title_.clear();
        className_.clear();
        injected_.clear();
        framesShown_ = 0;
        kept_.reset();
        keepFrames_ = true;
        screenshotFailed_ = false;
    }
    void Inject(const PresenterEvent& event) { injected_.push_back(event); }
    int FramesShown() const { return framesShown_; }
    const KeptFrame* LastFrame() const { return kept_.get(); }

    const char* Name() const override { return inner_->Name(); }
    // Taking the screen is when an interruption must end the program by its own path,
    // which gives the screen back.
    bool SetMode(int width, int height, int bitsPerPixel) override {
        InstallInterruptHandlers();
        return inner_->SetMode(width, height, bitsPerPixel);
    }
    void RestoreDesktop() override { inner_->RestoreDesktop(); }
    void Show(const PixelView& frame, bool waitForVsync) override {
        if (!WellFormedFrame(frame)) return;
        inner_->Show(frame, waitForVsync);
        ++framesShown_;
        Keep(frame);
        WriteScreenshotIfAsked(frame);
    }
    bool PollEvent(PresenterEvent* event) override {
        if (injected_.empty()) return inner_->PollEvent(event);
        *event = injected_.front();
        injected_.pop_front();
        return true;
    }
    void SetCursorVisible(bool visible) override { inner_->SetCursorVisible(visible); }
    bool CanShowDialogs() const override { return inner_->CanShowDialogs(); }
    void ShowDialog(const char* caption, const char* text) override {
        inner_->ShowDialog(caption, text);
    }
    void NameWindow(const char* title, const char* className) override {
        title_ = title;
        className_ = className;
        PassName();
    }

    ScreenArea Desktop() const override { return inner_->Desktop(); }
    // A window on the desktop, like a taken screen, is given back on an interruption.
    bool PlaceDesktopWindow(const ScreenArea& client) override {
        InstallInterruptHandlers();
        return inner_->PlaceDesktopWindow(client);
    }
    void CloseDesktopWindow() override { inner_->CloseDesktopWindow(); }
    // The frame kept and written is the part of the client area that is on the desktop.
    void ShowDesktop(const PixelView& desktop, const ScreenArea& client) override {
        if (!WellFormedFrame(desktop)) return;
        const PixelView visible = VisiblePart(desktop, client);
        if (visible.width <= 0 || visible.height <= 0) return;
        inner_->ShowDesktop(desktop, client);
        ++framesShown_;
        Keep(visible);
        WriteScreenshotIfAsked(visible);
    }

private:
    void PassName() {
        if (inner_ && !className_.empty()) inner_->NameWindow(title_.c_str(), className_.c_str());
    }

    // A copy of a whole frame is a screen's worth of memory written at every flip: it is
    // made only for a process whose tests may look at it.
    void Keep(const PixelView& frame) {
        if (!keepFrames_) return;
        if (!kept_) kept_ = std::make_unique<KeptFrame>();
        size_t rowBytes =
            static_cast<size_t>(frame.width) * static_cast<size_t>(frame.bitsPerPixel / 8);
        kept_->pixels.resize(rowBytes * static_cast<size_t>(frame.height));
        for (int32_t y = 0; y < frame.height; ++y)
            std::memcpy(kept_->pixels.data() + rowBytes * y,
                        frame.pixels + static_cast<ptrdiff_t>(frame.pitch) * y, rowBytes);
        kept_->view = frame;
        kept_->view.pixels = kept_->pixels.data();
        kept_->view.pitch = static_cast<int32_t>(rowBytes);
        if (frame.palette) {
            std::memcpy(kept_->palette, frame.palette, sizeof kept_->palette);
            kept_->view.palette = kept_->palette;
        }
    }

    // A file that cannot be written is reported once, not on every frame.
    void WriteScreenshotIfAsked(const PixelView& frame) {
        const std::string& path = CurrentEnvironment().screenshotPath;
        if (path.empty() || WriteScreenshot(path.c_str(), frame) || screenshotFailed_) return;
        screenshotFailed_ = true;
        std::fprintf(stderr, "VANTOR_SCREENSHOT: cannot write \"%s\"\n", path.c_str());
    }

    std::unique_ptr<Presenter> inner_;
    std::deque<PresenterEvent> injected_;
    int framesShown_ = 0;
    std::unique_ptr<KeptFrame> kept_;
    bool keepFrames_ = false;  // from the first reset of the platform on
    bool screenshotFailed_ = false;
    std::string title_;  // of the window the screen shows, once named
    std::string className_;
};

// Never destroyed: the static device's destructor still gives the screen back at exit.
PresenterLayer& Layer() {
    static PresenterLayer* layer = new PresenterLayer;
    return *layer;
}

}  // namespace

bool KeysCanArrive() {
    const Environment& environment = CurrentEnvironment();
    if (environment.keysScripted || !environment.video.empty()) return true;
    std::unique_ptr<Presenter> sdl = MakeSdlPresenter();
    if (!sdl) return false;
    UsePresenter(std::move(sdl));
    return true;
}

Presenter& CurrentPresenter() {
    Layer().EnsureChosen();
    return Layer();
}

void UsePresenter(std::unique_ptr<Presenter> presenter) { Layer().Use(std::move(presenter)); }

void NameScreenWindow(const std::string& title, const std::string& className) {
    Layer().NameWindow(title.c_str(), className.c_str());
}

void ResetPresenter() { Layer().Reset(); }

void InjectPresenterEvent(const PresenterEvent& event) { Layer().Inject(event); }

int FramesShown() { return Layer().FramesShown(); }

bool LastFrameShown(int* width, int* height, std::vector<uint32_t>* rgb) {
    const KeptFrame* kept = Layer().LastFrame();
    if (!kept) return false;
    *width = kept->view.width;
    *height = kept->view.height;
    rgb->resize(static_cast<size_t>(kept->view.width) * static_cast<size_t>(kept->view.height));
    FrameToRgb(kept->view, rgb->data());
    return true;
}

}  // namespace vantor::platform

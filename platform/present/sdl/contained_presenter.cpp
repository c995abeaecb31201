#include "contained_presenter.h"

#include <cstdio>
#include <exception>

namespace vantor::platform {
namespace {

// Runs the work; what it throws ends here, said on standard error, and `failure` is the
// answer.
template <typename Result, typename Work>
Result Catching(const char* method, Result failure, Work&& work) noexcept {
    try {
        return work();
    } catch (const std::exception& thrown) {
        std::fprintf(stderr, "sdl: %s failed: %s\n", method, thrown.what());
    } catch (...) {
        std::fprintf(stderr, "sdl: %s failed\n", method);
    }
    return failure;
}

template <typename Work>
void Catching(const char* method, Work&& work) noexcept {
    Catching(method, true, [&] {
        work();
        return true;
    });
}

class ContainedPresenter final : public Presenter {
public:
    explicit ContainedPresenter(std::unique_ptr<Presenter> inner) : inner_(std::move(inner)) {}

    const char* Name() const override { return inner_->Name(); }
    bool SetMode(int width, int height, int bitsPerPixel) override {
        return Catching("SetMode", false,
                        [&] { return inner_->SetMode(width, height, bitsPerPixel); });
    }
    void RestoreDesktop() override {
        Catching("RestoreDesktop", [&] { inner_->RestoreDesktop(); });
    }
    void Show(const PixelView& frame, bool waitForVsync) override {
        Catching("Show", [&] { inner_->Show(frame, waitForVsync); });
    }
    bool PollEvent(PresenterEvent* event) override {
        return Catching("PollEvent", false, [&] { return inner_->PollEvent(event); });
    }
    void SetCursorVisible(bool visible) override {
        Catching("SetCursorVisible", [&] { inner_->SetCursorVisible(visible); });
    }
    bool CanShowDialogs() const override {
        return Catching("CanShowDialogs", false, [&] { return inner_->CanShowDialogs(); });
    }
    void ShowDialog(const char* caption, const char* text) override {
        Catching("ShowDialog", [&] { inner_->ShowDialog(caption, text); });
    }
    void NameWindow(const char* title, const char* className) override {
        Catching("NameWindow", [&] { inner_->NameWindow(title, className); });
    }
    ScreenArea Desktop() const override {
        return Catching("Desktop", Presenter::Desktop(), [&] { return inner_->Desktop(); });
    }
    bool PlaceDesktopWindow(const ScreenArea& client) override {
        return Catching("PlaceDesktopWindow", false,
                        [&] { return inner_->PlaceDesktopWindow(client); });
    }
    void CloseDesktopWindow() override {
        Catching("CloseDesktopWindow", [&] { inner_->CloseDesktopWindow(); });
    }
    void ShowDesktop(const PixelView& desktop, const ScreenArea& client) override {
        Catching("ShowDesktop", [&] { inner_->ShowDesktop(desktop, client); });
    }

private:
    std::unique_ptr<Presenter> inner_;
};

}  // namespace

std::unique_ptr<Presenter> Contained(std::unique_ptr<Presenter> inner) {
    return std::make_unique<ContainedPresenter>(std::move(inner));
}

}  // namespace vantor::platform

// The screen when there is none: no window, nothing to wait for, no dialogs. What it is
// shown is kept by the presenter layer, as for every presenter.
#include "presenter.h"

namespace vantor::platform {
namespace {

class HeadlessPresenter final : public Presenter {
public:
    const char* Name() const override { return "headless"; }
    bool SetMode(int width, int height, int bitsPerPixel) override {
        bool knownDepth =
            bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
        return width > 0 && height > 0 && knownDepth;
    }
    void RestoreDesktop() override {}
    void Show(const PixelView&, bool) override {}
    bool PollEvent(PresenterEvent*) override { return false; }
    void SetCursorVisible(bool) override {}
    bool CanShowDialogs() const override { return false; }
    void ShowDialog(const char*, const char*) override {}
};

}  // namespace

std::unique_ptr<Presenter> MakeHeadlessPresenter() { return std::make_unique<HeadlessPresenter>(); }

}  // namespace vantor::platform

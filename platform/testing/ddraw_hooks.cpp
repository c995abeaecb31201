// The testing hooks DirectDraw answers: the 5-5-5 layout, surface loss, the mode on screen.
#include "ddraw/ddraw_state.h"
#include "ddraw/directdraw_object.h"
#include "testing.h"

namespace vantor::testing {

void Use555(bool on) { platform::Ddraw().use555 = on; }

void LoseSurfaces() {
    for (platform::DirectDrawObject* object : platform::Ddraw().objects)
        object->LoseVideoSurfaces();
}

DisplayMode CurrentDisplayMode() {
    const platform::DdrawState& state = platform::Ddraw();
    if (!state.showingProgramMode) return {0, 0, 0};
    return {state.shownMode.width, state.shownMode.height, state.shownMode.layout.bitsPerPixel};
}

bool ExclusiveMode() { return platform::Ddraw().exclusiveOwner != nullptr; }

int DirectDrawShellsHeld() { return platform::Ddraw().shellsMade; }

}  // namespace vantor::testing

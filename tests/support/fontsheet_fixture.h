// Tests of the built font sheet tool beside a display of the test's own, on which the
// expected pictures are worked out: the fixture fonts in use, the display taken, the
// fonts as the platform enumerates them, and a scratch directory for the tool's runs.
#pragma once

#include <string>
#include <vector>

#include "support/device_fixture.h"
#include "support/fontsheet_runner.h"

namespace vantor::testing {

class FontsheetTest : public DeviceTest {
protected:
    void SetUp() override;

    // The surface the expected sheets are drawn on: the display's off-screen buffer.
    IDirectDrawSurface* Canvas() const { return device->offscreenBuffer; }

    ScratchDirectory scratch;
    std::vector<LOGFONTA> fonts;
};

// `times` key script steps of `step`, separated by spaces.
std::string RepeatStep(const std::string& step, int times);

}  // namespace vantor::testing

#include "support/fontsheet_fixture.h"

#include "support/glyph_sheet_reference.h"

namespace vantor::testing {

void FontsheetTest::SetUp() {
    DeviceTest::SetUp();
    StartDevice();
    fonts = EnumeratedFonts(Canvas());
    ASSERT_GE(fonts.size(), 6u) << "the fixture fonts are missing";
}

std::string RepeatStep(const std::string& step, int times) {
    std::string keys;
    for (int i = 0; i < times; ++i) keys += (i > 0 ? " " : "") + step;
    return keys;
}

}  // namespace vantor::testing

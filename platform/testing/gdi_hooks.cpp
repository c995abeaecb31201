#include "gdi/font_cache.h"
#include "gdi/font_config.h"
#include "gdi/font_counters.h"
#include "testing.h"

namespace vantor::testing {

int FontFilesOpened() { return platform::FontFilesOpenedSoFar(); }
int FontDirectoryScans() { return platform::FontDirectoryScansSoFar(); }
void RescanFonts() { platform::ReloadFontconfig(); }
size_t RenderedFontBytes() { return platform::RealizedFontBytes(); }

}  // namespace vantor::testing

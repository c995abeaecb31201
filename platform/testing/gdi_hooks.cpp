#include "gdi/font_cache.h"
#include "gdi/font_config.h"
#include "gdi/font_counters.h"
#include "testing.h"

namespace vantor::platform {
namespace {

int filesOpened = 0;
int directoryScans = 0;

}  // namespace

void CountFontFileOpened() { ++filesOpened; }
void CountFontDirectoryScan() { ++directoryScans; }
void ResetFontCounters() {
    filesOpened = 0;
    directoryScans = 0;
}

}  // namespace vantor::platform

namespace vantor::testing {

int FontFilesOpened() { return platform::filesOpened; }
int FontDirectoryScans() { return platform::directoryScans; }
void RescanFonts() { platform::ReloadFontconfig(); }
size_t RenderedFontBytes() { return platform::RealizedFontBytes(); }

}  // namespace vantor::testing

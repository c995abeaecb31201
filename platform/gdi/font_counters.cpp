#include "font_counters.h"

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

int FontFilesOpenedSoFar() { return filesOpened; }
int FontDirectoryScansSoFar() { return directoryScans; }

}  // namespace vantor::platform

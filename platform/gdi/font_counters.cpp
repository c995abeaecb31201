#include "font_counters.h"

namespace vantor::platform {
namespace {

int filesOpened = 0;
int directoryScans = 0;
int defaultFaceMatches = 0;

}  // namespace

void CountFontFileOpened() { ++filesOpened; }
void CountFontDirectoryScan() { ++directoryScans; }
void CountDefaultFaceMatch() { ++defaultFaceMatches; }
void ResetFontCounters() {
    filesOpened = 0;
    directoryScans = 0;
    defaultFaceMatches = 0;
}

int FontFilesOpenedSoFar() { return filesOpened; }
int FontDirectoryScansSoFar() { return directoryScans; }
int DefaultFaceMatchesSoFar() { return defaultFaceMatches; }

}  // namespace vantor::platform

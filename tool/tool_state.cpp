// The tool's process-wide state (fontsheet.h), apart from its entry point, so that tests and
// benchmarks linking the tool's library have it without a WinMain.
#include "tool/fontsheet.h"

DisplayDevice displayDevice;

int32_t listY = 0;
int32_t fontCount = 0;
int32_t selectedFont = 0;
int32_t skipTableFill = 1;
LOGFONTA fontTable[kFontTableSize] = {};

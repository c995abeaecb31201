// Counts of the costly work behind text, kept for the testing hooks: a warm frame of text
// must open no font file and scan no font directory.
#pragma once

namespace vantor::platform {

void CountFontFileOpened();
void CountFontDirectoryScan();
void ResetFontCounters();

int FontFilesOpenedSoFar();
int FontDirectoryScansSoFar();

}  // namespace vantor::platform

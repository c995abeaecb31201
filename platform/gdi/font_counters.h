// Counts of the costly work behind text, kept for the testing hooks: a warm frame of text
// must open no font file and scan no font directory.
#pragma once

namespace vantor::platform {

void CountFontFileOpened();
void CountFontDirectoryScan();
void CountDefaultFaceMatch();  // fontconfig asked to score every font for the default face
void ResetFontCounters();

int FontFilesOpenedSoFar();
int FontDirectoryScansSoFar();
int DefaultFaceMatchesSoFar();

}  // namespace vantor::platform

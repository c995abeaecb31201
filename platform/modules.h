// How the parts of the stand-in reach each other without knowing each other's insides,
// and what each part gives the testing hooks.
#pragma once

#include "base_types.h"

namespace vantor::platform {

// DirectDraw
int DdrawLiveObjects();
void ResetDdraw();
// The application lost or regained the foreground: in exclusive mode the primary chain
// and video-memory surfaces are lost and the desktop mode shown; on return the
// application's mode is set again (the surfaces stay lost until restored).
void DdrawFocusLost();
void DdrawFocusGained();

// USER
int UserLiveObjects();
void ResetUser();
// SetCooperativeLevel brings the window to the foreground: WM_ACTIVATE(WA_ACTIVE) is sent.
void ActivateWindow(HWND window);
// Exclusive mode shows the window on the screen: the presenter's window takes its title
// and class name, and follows the title while it changes.
void PutWindowOnScreen(HWND window);
bool ValidWindow(HWND window);
bool ApplicationInForeground();
// The instance handle main() passes to WinMain.
HINSTANCE ProgramInstance();

// GDI
int GdiLiveObjects();
void ResetGdi();

// Presenter
void ResetPresenter();

}  // namespace vantor::platform

// A palette: 256 entries, copied in and out (palette.cpp).
// Released palettes and stale pointers to them: released_shells.h.
//
// Call log details:
//   SetEntries           "flags=0 start=0 count=256"   GetEntries the same
#pragma once

#include "ddraw/ddraw_state.h"
#include "ddraw/owned_child.h"

namespace vantor::platform {

class DdPalette final : public IDirectDrawPalette, public OwnedChild<DdPalette> {
public:
    DdPalette(DirectDrawObject* owner, DWORD caps, const PALETTEENTRY* entries);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return ProgramAddRef(); }
    ULONG Release() override { return ProgramRelease(); }
    HRESULT GetCaps(LPDWORD caps) override;
    HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) override;
    HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY entries) override;

    const PALETTEENTRY* Entries() const { return entries_; }
    void SetOnPrimary(bool onPrimary) { onPrimary_ = onPrimary; }
    void FreeContents() {}

private:
    bool onPrimary_ = false;
    DWORD caps_;
    PALETTEENTRY entries_[256];
};

}  // namespace vantor::platform

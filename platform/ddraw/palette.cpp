// Palettes: 256 entries, copied in and out. Without DDPCAPS_ALLOW256 the first and last
// entries stay black and white, as the screen's system colours.
#include <algorithm>

#include "ddraw/palette_object.h"

namespace vantor::platform {
namespace {

constexpr PALETTEENTRY kBlack = {0, 0, 0, 0};
constexpr PALETTEENTRY kWhite = {255, 255, 255, 0};

// A range of entries inside the 256, computed without overflow.
bool ValidRange(DWORD start, DWORD count) { return start <= 256 && count <= 256 - start; }

}  // namespace

DdPalette::DdPalette(DirectDrawObject* owner, DWORD caps, const PALETTEENTRY* entries)
    : OwnedChild(owner), caps_(caps) {
    std::copy_n(entries, 256, entries_);
    if (!(caps_ & DDPCAPS_ALLOW256)) {
        entries_[0] = kBlack;
        entries_[255] = kWhite;
    }
}

HRESULT DdPalette::QueryInterface(REFIID, void** object) {
    return NoOtherInterface(this, released_, object);
}

HRESULT DdPalette::GetCaps(LPDWORD caps) {
    CallTicket call = BeginCall("GetCaps", this);
    return RunCall(call, released_, [&]() -> HRESULT {
        if (!caps) return DDERR_INVALIDPARAMS;
        *caps = caps_ | (onPrimary_ ? DDPCAPS_PRIMARYSURFACE : 0);
        return DD_OK;
    });
}

HRESULT DdPalette::GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) {
    CallTicket call = BeginCall("GetEntries", this, [&] {
        return Format("flags=%#x start=%u count=%u", flags, base, count);
    });
    return RunCall(call, released_, [&]() -> HRESULT {
        if (flags || !entries || !ValidRange(base, count)) return DDERR_INVALIDPARAMS;
        std::copy_n(entries_ + base, count, entries);
        return DD_OK;
    });
}

// The change is immediate: views of 8-bit surfaces point at these entries.
HRESULT DdPalette::SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY entries) {
    CallTicket call = BeginCall("SetEntries", this, [&] {
        return Format("flags=%#x start=%u count=%u", flags, start, count);
    });
    return RunCall(call, released_, [&]() -> HRESULT {
        if (flags || !entries || !ValidRange(start, count)) return DDERR_INVALIDPARAMS;
        const PALETTEENTRY first = entries_[0];
        const PALETTEENTRY last = entries_[255];
        std::copy_n(entries, count, entries_ + start);
        if (!(caps_ & DDPCAPS_ALLOW256)) {
            entries_[0] = first;
            entries_[255] = last;
        }
        return DD_OK;
    });
}

}  // namespace vantor::platform

// What this start knows of fontconfig's font list, worked out once per generation of it
// (font_config.h): kept by an earlier start under the list's key, or made now and kept.
#pragma once

#include <memory>

#include "font_list_digest.h"

namespace vantor::platform {

// The digest of the current font list; null only where the fonts cannot be listed at all.
std::shared_ptr<const FontListDigest> CurrentFontList();

}  // namespace vantor::platform

// The default face fontconfig matched for a request, kept between starts. Matching it scores
// every installed font (with thousands installed, a sixth of a start) and the answer changes
// only with what AnswerKey (font_config.h) holds: a request's answer is kept under that key,
// so a changed configuration or font folder, another fontconfig or another request simply
// finds nothing. A few keys are kept, the latest first, so that programs that see different
// font sets in turn each find theirs.
//
// The file lives beside the face-facts cache (face_facts_cache.h), is replaced only once
// whole, and is checked before anything in it is used; an unsound file reads as empty.
#pragma once

#include <optional>
#include <string>

namespace vantor::platform {

struct RememberedFace {
    std::string path;
    int index = 0;
    std::string family;  // the name GDI knows it by
};

// The face kept for the key; nothing when none is, or the file cannot be read.
std::optional<RememberedFace> RememberedDefaultFace(const std::string& key);

// Keeps the face for the key, first, before the others kept; past a bound the oldest go.
void RememberDefaultFace(const std::string& key, const RememberedFace& face);

}  // namespace vantor::platform

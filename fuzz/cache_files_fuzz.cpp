// The platform's cache files, as a user's cache folder may hold them after any accident: the
// first byte chooses the face-facts file, the file of default faces or that of font-list
// digests, the rest is its content. Every face the file says it holds is read and looked up
// by its key; the default faces and the digests are looked up, and one added must then be
// found.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_support.h"
#include "gdi/default_face_cache.h"
#include "gdi/face_facts_cache.h"
#include "gdi/face_facts_file.h"
#include "gdi/font_list_digest.h"

namespace {

// A scratch cache folder, made once per process.
const std::string& CacheFolder() {
    static const std::string folder = [] {
        char name[] = "/tmp/vantor-cache-fuzz-XXXXXX";
        const std::string made = mkdtemp(name) ? name : "/tmp";
        setenv("XDG_CACHE_HOME", made.c_str(), 1);
        return made;
    }();
    return folder;
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void ReadFaceFacts(const std::string& path) {
    const vantor::platform::FaceFactsFile file(path);
    // Bounded: a header may claim a million faces.
    for (uint32_t number = 0; number < file.Count() && number < 4096; ++number) {
        if (const auto face = file.FaceAt(number)) file.Find(face->first);
    }
    file.Find("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf#0");
}

void ReadDefaultFaces() {
    using namespace vantor::platform;
    RememberedDefaultFace("fontconfig 21401\nsans");
    RememberDefaultFace("fontconfig 21401\nserif", {"/fonts/a.ttf", 0, "A"});
    if (!RememberedDefaultFace("fontconfig 21401\nserif")) std::abort();  // just kept
}

// The lists a file of font-list digests may hold: each key the sample digest uses, then one
// kept beside them, which must then be found.
void ReadFontLists() {
    using namespace vantor::platform;
    const FontSetSizes sizes{{4, 1}};
    for (const char* key : {"fontconfig 21401", "fontconfig 21401\n/fonts"})
        if (const auto digest = FontListDigest::Kept(key, sizes))
            for (const DigestFamily& family : digest->families())
                for (const DigestFace& face : digest->FacesOf(family))
                    if (face.path.empty()) std::abort();
    FontListWriter writer("fontconfig 21401\nkept", sizes);
    writer.AddFamily("Kept");
    writer.AddFace("/fonts/kept.ttf", 0, "Regular", "");
    FontListDigest::Keep("fontconfig 21401\nkept", writer.Finish());
    if (!FontListDigest::Kept("fontconfig 21401\nkept", sizes)) std::abort();  // just kept
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string folder = CacheFolder() + "/vantor";
    std::filesystem::create_directories(folder);
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size > 0 && data[0] % 2 == 0) {
        Write(folder + "/face-facts", bytes.substr(1));
        ReadFaceFacts(folder + "/face-facts");
    } else if (size > 0 && data[0] % 4 == 3) {
        Write(folder + "/font-lists", bytes.substr(1));
        ReadFontLists();
    } else {
        Write(folder + "/default-faces", size > 0 ? bytes.substr(1) : "");
        ReadDefaultFaces();
    }
    return 0;
}

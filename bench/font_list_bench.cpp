// One pass of the font sheet tool's list over a long font list: 3,000 enumerated
// (family, character set) records, from a font set made here (one collection file of
// DejaVu Sans faces, each under a family name of its own), with the font caches warm.
//
// A program of its own: fontconfig reads its configuration once per process.
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gdi/code_pages.h"
#include "support/font_collection.h"
#include "testing.h"
#include "tool/fontsheet.h"
#include "tool_workplace.h"

namespace {

using namespace vantor::bench;

constexpr int kRecords = 3000;
const char kSourceFace[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// How many character sets enumeration lists a face of the file under.
int CharsetsOfFace(const char* path) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int count = 0;
    if (FT_Init_FreeType(&library) == 0 && FT_New_Face(library, path, 0, &face) == 0) {
        if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)))
            count = vantor::platform::CharsetsOfCodePages(uint32_t(os2->ulCodePageRange1)).count;
        FT_Done_Face(face);
    }
    if (library) FT_Done_FreeType(library);
    return count;
}

struct GeneratedFonts : Workplace {
    GeneratedFonts() : Workplace("font_list_bench") {
        std::ifstream source(kSourceFace, std::ios::binary);
        const std::vector<uint8_t> font((std::istreambuf_iterator<char>(source)),
                                        std::istreambuf_iterator<char>());
        const int perFamily = CharsetsOfFace(kSourceFace);
        if (font.empty() || perFamily == 0) std::abort();
        std::vector<std::string> families;
        for (int i = 0; i < (kRecords + perFamily - 1) / perFamily; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Generated %04d", i);
            families.push_back(name);
        }
        const std::vector<uint8_t> collection = vantor::testing::FontCollection(font, families);
        fs::create_directories(Path("fonts"));
        std::ofstream(Path("fonts/generated.ttc"), std::ios::binary)
            .write(reinterpret_cast<const char*>(collection.data()),
                   std::streamsize(collection.size()));
        setenv("FONTCONFIG_FILE", FontConfig("generated", {Path("fonts")}).c_str(), 1);
    }
};

void GeneratedListPass(benchmark::State& state) {
    static GeneratedFonts fonts;
    ListPass(state);
}

const bool registered = [] {
    benchmark::RegisterBenchmark("BM_ListPass/ours/3000-records", GeneratedListPass)
        ->Unit(benchmark::kMicrosecond);
    return true;
}();

}  // namespace

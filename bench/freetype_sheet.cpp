// The hand-written peer of the font sheet tool's whole job: the plainest program that does
// the same visible work. It opens one font file with FreeType, renders characters 1 to 255
// white on black at 32 pixels per em, scales each from its box (advance wide, ascent plus
// descent with 2 rows above and below high) into 24 x 20 by nearest neighbour, keeps the
// top-left 16 x 19 of it in its 16-pixel cell of a 4096 x 20 strip, and writes the strip to
// Font.bmp in the current directory as a 24-bit BMP. Given a folder and several faces, it
// writes one such sheet per face into the folder in one run, as 000.bmp, 001.bmp, ...: the
// peer of the tool writing every record's sheet. A face named twice in a row is opened once.
// Every sheet maps the bytes through Windows-1252: another code page changes which glyphs are
// drawn, not how much work a sheet is.
//
// Usage: freetype_sheet FONT_FILE
//        freetype_sheet -o FOLDER FONT_FILE[:FACE_INDEX]...
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kSheetWidth = 4096;
constexpr int kSheetHeight = 20;
constexpr int kCellWidth = 16;
constexpr int kCellHeight = 19;
constexpr int kBoxWidth = 24;
constexpr int kBoxHeight = 20;
constexpr int kPixelsPerEm = 32;
constexpr int kGlyphTop = 2;

// Windows-1252's characters 0x80..0x9F; the rest of the code page is Latin-1.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

FT_ULong CodePoint(int code) {
    return code >= 0x80 && code < 0xA0 ? kHighControls[code - 0x80] : FT_ULong(code);
}

// The character drawn into its box (one byte of coverage per pixel), scaled into the cell
// at column 16 * code of the sheet (three bytes per pixel, bottom-up rows).
void DrawCharacter(FT_Face face, int code, int ascent, int boxHeight, std::vector<uint8_t>& box,
                   std::vector<uint8_t>& sheet) {
    if (FT_Load_Char(face, CodePoint(code), FT_LOAD_RENDER) != 0) return;
    const FT_GlyphSlot slot = face->glyph;
    const int boxWidth = std::max(1, int((slot->advance.x + 32) >> 6));
    box.assign(size_t(boxWidth) * boxHeight, 0);
    const FT_Bitmap& bitmap = slot->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const int y = kGlyphTop + ascent - slot->bitmap_top + int(row);
        if (y < 0 || y >= boxHeight) continue;
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const int x = slot->bitmap_left + int(column);
            if (x >= 0 && x < boxWidth)
                box[size_t(y) * boxWidth + x] = bitmap.buffer[row * bitmap.pitch + column];
        }
    }
    for (int y = 0; y < kCellHeight; ++y) {
        const uint8_t* from = &box[size_t(y * boxHeight / kBoxHeight) * boxWidth];
        uint8_t* to =
            &sheet[size_t(kSheetHeight - 1 - y) * kSheetWidth * 3 + size_t(kCellWidth) * code * 3];
        const int width = std::min(kCellWidth, kSheetWidth - kCellWidth * code);
        for (int x = 0; x < width; ++x)
            to[3 * x] = to[3 * x + 1] = to[3 * x + 2] = from[x * boxWidth / kBoxWidth];
    }
}

void PutLittleEndian(uint8_t* at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = uint8_t(value >> (8 * i));
}

bool WriteBitmap(const char* path, const std::vector<uint8_t>& pixels) {
    uint8_t header[54] = {'B', 'M'};
    PutLittleEndian(header + 2, uint32_t(sizeof header + pixels.size()), 4);
    PutLittleEndian(header + 10, sizeof header, 4);
    PutLittleEndian(header + 14, 40, 4);
    PutLittleEndian(header + 18, kSheetWidth, 4);
    PutLittleEndian(header + 22, kSheetHeight, 4);
    PutLittleEndian(header + 26, 1, 2);
    PutLittleEndian(header + 28, 24, 2);
    PutLittleEndian(header + 34, uint32_t(pixels.size()), 4);
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    const bool written = std::fwrite(header, sizeof header, 1, file) == 1 &&
                         std::fwrite(pixels.data(), pixels.size(), 1, file) == 1;
    return std::fclose(file) == 0 && written;
}

// One face at 32 pixels per em, and its sheet drawn into `sheet`.
class FaceSheet {
public:
    explicit FaceSheet(FT_Library library) : library_(library) {}
    ~FaceSheet() { Close(); }

    // FILE or FILE:INDEX; the face stays open while the next sheet names it again.
    bool Open(const std::string& name) {
        if (face_ != nullptr && name == name_) return true;
        Close();
        const size_t colon = name.rfind(':');
        const bool indexed = colon != std::string::npos && colon + 1 < name.size() &&
                             name.find_first_not_of("0123456789", colon + 1) == std::string::npos;
        const std::string file = indexed ? name.substr(0, colon) : name;
        const FT_Long index = indexed ? std::atol(name.c_str() + colon + 1) : 0;
        if (FT_New_Face(library_, file.c_str(), index, &face_) != 0) {
            face_ = nullptr;
            return false;
        }
        name_ = name;
        return FT_Set_Pixel_Sizes(face_, 0, kPixelsPerEm) == 0;
    }

    void Draw(std::vector<uint8_t>& sheet) {
        const int ascent = int(face_->size->metrics.ascender >> 6);
        const int descent = int(-face_->size->metrics.descender >> 6);
        const int boxHeight = ascent + descent + 2 * kGlyphTop;
        sheet.assign(size_t(kSheetWidth) * kSheetHeight * 3, 0);
        for (int code = 1; code <= 255; ++code)
            DrawCharacter(face_, code, ascent, boxHeight, box_, sheet);
    }

private:
    void Close() {
        if (face_ != nullptr) FT_Done_Face(face_);
        face_ = nullptr;
    }

    FT_Library library_;
    FT_Face face_ = nullptr;
    std::string name_;
    std::vector<uint8_t> box_;
};

std::string SheetPath(const std::string& folder, int number) {
    char name[16];
    std::snprintf(name, sizeof name, "/%03d.bmp", number);
    return folder + name;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: freetype_sheet FONT_FILE\n"
                 "       freetype_sheet -o FOLDER FONT_FILE[:FACE_INDEX]...\n"
                 "(fonts FreeType can open)\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool several = argc >= 4 && std::string(argv[1]) == "-o";
    if (argc != 2 && !several) return Usage();
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return Usage();
    int status = 0;
    {
        FaceSheet face(library);
        std::vector<uint8_t> sheet;
        const int first = several ? 3 : 1;
        for (int i = first; i < argc && status == 0; ++i) {
            if (!face.Open(argv[i])) {
                status = Usage();
                break;
            }
            face.Draw(sheet);
            const std::string path = several ? SheetPath(argv[2], i - first) : "Font.bmp";
            if (!WriteBitmap(path.c_str(), sheet)) status = 1;
        }
    }
    FT_Done_FreeType(library);
    return status;
}

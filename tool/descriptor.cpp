// The bitmap-font descriptor: the lines of the format's text form (info, common, page,
// chars, one char per character) with their fields in the order the format's
// documentation lists them, since some readers parse by position; or the same values in
// its XML form. One page, the sheet itself; each character's cell is its glyph.
#include <filesystem>
#include <string>
#include <vector>

#include "surfaces/replacing_file.h"
#include "tool/font_records.h"
#include "tool/fontsheet.h"
#include "tool/sheet_files.h"

namespace {

// Channel values of the format: the glyph is in the channel, or the channel is all one.
constexpr int kGlyphChannel = 0;
constexpr int kChannelIsOne = 4;
constexpr int kAllChannels = 15;

struct Field {
    const char* name;
    std::string value;
    bool quoted = false;
};

struct Line {
    const char* tag;
    std::vector<Field> fields;
};

// The code page the record's bytes are read in, as text output reads them.
UINT CodePageOf(BYTE charset) {
    CHARSETINFO info{};
    if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<uintptr_t>(charset)), &info,
                             TCI_SRCCHARSET))
        return info.ciACP;
    return charset == OEM_CHARSET ? CP_OEMCP : CP_ACP;
}

// Codes 1..255 with the character each stands for in the record's character set; a
// character two codes share is listed for the first.
std::vector<std::pair<uint32_t, int32_t>> CharactersOf(BYTE charset) {
    const UINT codePage = CodePageOf(charset);
    std::vector<std::pair<uint32_t, int32_t>> characters;
    std::vector<bool> seen(0x10000, false);
    for (int32_t code = 1; code <= 255; ++code) {
        const char byte = static_cast<char>(code);
        WCHAR wide = 0;
        if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) != 1) continue;
        const auto id = static_cast<uint32_t>(static_cast<uint16_t>(wide));
        if (id == 0 || seen[id]) continue;
        seen[id] = true;
        characters.emplace_back(id, code);
    }
    return characters;
}

// A name both forms can carry whatever its bytes: printable ASCII but the quote; anything
// else, a byte a line or a reader could trip on, becomes '?'.
std::string SafeName(const std::string& name) {
    std::string safe;
    for (char c : name) safe += c >= 0x20 && c < 0x7F && c != '"' ? c : '?';
    return safe;
}

std::string Number(int64_t value) { return std::to_string(value); }

// The baseline row in the cell: the glyph's box and its 2 rows above and below, drawn
// with the baseline at kGlyphTop + ascent, are scaled to kBoxHeight rows.
int64_t BaselineRow(const DescriptorSheet& sheet) {
    const int64_t boxRows = int64_t{sheet.height} + 2 * kGlyphTop;
    if (boxRows <= 0) return 0;
    return ((int64_t{kGlyphTop} + sheet.ascent) * kBoxHeight + boxRows / 2) / boxRows;
}

std::vector<Line> DescriptorLines(const LOGFONTA& record, const DescriptorSheet& sheet) {
    const bool png = sheet.format == SheetFormat::Png;
    const std::string colour = Number(png ? kChannelIsOne : kGlyphChannel);
    std::vector<Line> lines = {
        {"info",
         {{"face", SafeName(FaceNameOf(record)), true},
          {"size", Number(record.lfHeight)},
          {"bold", Number(record.lfWeight >= FW_BOLD ? 1 : 0)},
          {"italic", Number(record.lfItalic != 0 ? 1 : 0)},
          {"charset", "", true},
          {"unicode", "1"},
          {"stretchH", "100"},
          {"smooth", "1"},
          {"aa", "1"},
          {"padding", "0,0,0,0"},
          {"spacing", "0,0"},
          {"outline", "0"}}},
        {"common",
         {{"lineHeight", Number(kSheetHeight)},
          {"base", Number(BaselineRow(sheet))},
          {"scaleW", Number(kSheetWidth)},
          {"scaleH", Number(kSheetHeight)},
          {"pages", "1"},
          {"packed", "0"},
          {"alphaChnl", Number(png ? kGlyphChannel : kChannelIsOne)},
          {"redChnl", colour},
          {"greenChnl", colour},
          {"blueChnl", colour}}},
        {"page", {{"id", "0"}, {"file", SafeName(sheet.imageName), true}}},
    };
    const auto characters = CharactersOf(record.lfCharSet);
    lines.push_back({"chars", {{"count", Number(static_cast<int64_t>(characters.size()))}}});
    for (const auto& [id, code] : characters)
        lines.push_back({"char",
                         {{"id", Number(id)},
                          {"x", Number(int64_t{kCellWidth} * code)},
                          {"y", "0"},
                          {"width", Number(kCellWidth)},
                          {"height", Number(kSheetHeight)},
                          {"xoffset", "0"},
                          {"yoffset", "0"},
                          {"xadvance", Number(kCellWidth)},
                          {"page", "0"},
                          {"chnl", Number(kAllChannels)}}});
    return lines;
}

std::string TextForm(const std::vector<Line>& lines) {
    std::string text;
    for (const Line& line : lines) {
        text += line.tag;
        for (const Field& field : line.fields)
            text += std::string(" ") + field.name + "=" +
                    (field.quoted ? "\"" + field.value + "\"" : field.value);
        text += "\n";
    }
    return text;
}

std::string XmlEscaped(const std::string& value) {
    std::string escaped;
    for (char c : value) {
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '>')
            escaped += "&gt;";
        else if (c == '\'')
            escaped += "&apos;";
        else
            escaped += c;
    }
    return escaped;
}

std::string XmlElement(const Line& line, const char* indent) {
    std::string element = std::string(indent) + "<" + line.tag;
    for (const Field& field : line.fields)
        element += std::string(" ") + field.name + "=\"" + XmlEscaped(field.value) + "\"";
    return element;
}

// <font> holds info, common, the pages and the chars, each list in an element of its own.
std::string XmlForm(const std::vector<Line>& lines) {
    std::string xml = "<?xml version=\"1.0\"?>\n<font>\n";
    for (const Line& line : lines) {
        const std::string tag = line.tag;
        if (tag == "page")
            xml += "  <pages>\n" + XmlElement(line, "    ") + "/>\n  </pages>\n";
        else if (tag == "chars")
            xml += XmlElement(line, "  ") + ">\n";
        else if (tag == "char")
            xml += XmlElement(line, "    ") + "/>\n";
        else
            xml += XmlElement(line, "  ") + "/>\n";
    }
    return xml + "  </chars>\n</font>\n";
}

}  // namespace

std::string DescriptorPath(const std::string& imagePath) {
    return std::filesystem::path(imagePath).replace_extension(".fnt").string();
}

bool WriteDescriptor(const std::string& path, DescriptorForm form, const LOGFONTA& record,
                     const DescriptorSheet& sheet) {
    const std::vector<Line> lines = DescriptorLines(record, sheet);
    const std::string text = form == DescriptorForm::Xml ? XmlForm(lines) : TextForm(lines);
    ReplacingFile file(path);
    return file.IsOpen() && file.Write(text.data(), text.size()) && file.Commit();
}

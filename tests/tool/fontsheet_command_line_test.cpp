// The tool from its command line, black-box, with no display and no VANTOR_VIDEO: its
// sheets against the interactive tool's, its errors and statuses, --all past a failure,
// the PNG against the BMP, and the descriptor read back by a reader of the format's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/bitmap_reader.h"
#include "support/font_collection.h"
#include "support/fontsheet_runner.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::istringstream stream(line);
    for (std::string field; std::getline(stream, field, separator);) fields.push_back(field);
    return fields;
}

// A folder of fonts of its own: DejaVu Sans Mono, and the same faces renamed as listed.
class FontFolder {
public:
    explicit FontFolder(const std::vector<std::string>& families) {
        const fs::path files = fs::path(scratch_.Path()) / "files";
        fs::create_directories(files);
        fs::copy_file(fs::path(VANTOR_BINARY_DIR) / "fonts/files/DejaVuSansMono.ttf",
                      files / "mono.ttf");
        const std::vector<uint8_t> mono = ReadFileBytes(files / "mono.ttf");
        if (!families.empty()) {
            const std::vector<uint8_t> renamed = FontCollection(mono, families);
            std::ofstream(files / "renamed.ttc", std::ios::binary)
                .write(reinterpret_cast<const char*>(renamed.data()),
                       static_cast<std::streamsize>(renamed.size()));
        }
        std::ofstream(scratch_.File("fonts.conf"))
            << "<?xml version=\"1.0\"?>\n<fontconfig><dir>" << files.string() << "</dir><cachedir>"
            << scratch_.Path() << "/cache</cachedir></fontconfig>\n";
    }
    std::map<std::string, std::string> Variables() const {
        return {{"FONTCONFIG_FILE", scratch_.File("fonts.conf")}};
    }

private:
    ScratchDirectory scratch_;
};

// The text descriptor as a reader of the format sees it: a tag and its fields in order.
struct DescriptorLine {
    std::string tag;
    std::vector<std::pair<std::string, std::string>> fields;
    std::string Value(const std::string& name) const {
        for (const auto& [field, value] : fields)
            if (field == name) return value;
        return "<missing>";
    }
    int Number(const std::string& name) const { return std::stoi(Value(name)); }
};

// Fields are name=value separated by spaces; a quoted value runs to the next quote.
std::vector<DescriptorLine> ReadDescriptor(const std::string& text) {
    std::vector<DescriptorLine> lines;
    for (const std::string& line : Lines(text)) {
        DescriptorLine read;
        size_t at = line.find(' ');
        read.tag = line.substr(0, at);
        while (at != std::string::npos && at < line.size()) {
            const size_t equals = line.find('=', at + 1);
            if (equals == std::string::npos) break;
            const std::string name = line.substr(at + 1, equals - at - 1);
            size_t end = line[equals + 1] == '"' ? line.find('"', equals + 2) + 1
                                                 : line.find(' ', equals + 1);
            std::string value =
                line.substr(equals + 1, end == std::string::npos ? end : end - equals - 1);
            if (!value.empty() && value.front() == '"') value = value.substr(1, value.size() - 2);
            read.fields.emplace_back(name, value);
            at = end;
        }
        lines.push_back(read);
    }
    return lines;
}

std::vector<std::string> FieldNames(const DescriptorLine& line) {
    std::vector<std::string> names;
    for (const auto& field : line.fields) names.push_back(field.first);
    return names;
}

TEST(CommandLineRunTest, TheSheetIsTheOneTheInteractiveEnterWrites) {
    const ScratchDirectory scratch;
    ASSERT_EQ(RunFontsheet(scratch.Path(), {{"VANTOR_KEYS", "- Down Down Return"}}).exitStatus, 0);
    const std::vector<uint8_t> interactive = ReadFileBytes(scratch.File("Font.bmp"));
    ASSERT_FALSE(interactive.empty());

    const FontsheetRun run = RunFontsheetCommand(scratch.Path(), {"--font", "2", "-o", "two.bmp"});
    EXPECT_EQ(run.exitStatus, 0) << run.errorOutput;
    // Nothing said: no presenter was ever chosen, not even a headless one.
    EXPECT_EQ(run.errorOutput, "");
    EXPECT_EQ(run.output, "");
    EXPECT_TRUE(ReadFileBytes(scratch.File("two.bmp")) == interactive);

    // The default name, replaced whole: the same sheet again.
    std::ofstream(scratch.File("Font.bmp")) << "an older sheet, much shorter";
    EXPECT_EQ(RunFontsheetCommand(scratch.Path(), {"--font", "2"}).exitStatus, 0);
    EXPECT_TRUE(ReadFileBytes(scratch.File("Font.bmp")) == interactive);
}

TEST(CommandLineRunTest, MistakesExitTwoAndFailuresOne) {
    const ScratchDirectory scratch;
    FontsheetRun run = RunFontsheetCommand(scratch.Path(), {"--font"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.errorOutput,
              "fontsheet: option '--font' needs a value\nTry 'fontsheet --help'.\n");
    EXPECT_EQ(run.output, "");

    run = RunFontsheetCommand(scratch.Path(), {"--font", "dejavu sans mnoo"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.errorOutput.find("'DejaVu Sans Mono'"), std::string::npos) << run.errorOutput;

    run = RunFontsheetCommand(scratch.Path(), {"--font", "0", "-o", "no/such/folder/x.bmp"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.errorOutput.find("no/such/folder/x.bmp"), std::string::npos) << run.errorOutput;
    EXPECT_TRUE(fs::is_empty(scratch.Path()));

    // With no arguments, nothing to show the list on and nothing to press its keys.
    run = RunFontsheetCommand(scratch.Path(), {});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(Lines(run.errorOutput).size(), 1u) << run.errorOutput;
    EXPECT_NE(run.errorOutput.find("--help"), std::string::npos) << run.errorOutput;

    run = RunFontsheetCommand(scratch.Path(), {"--help"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.output.rfind("Usage: fontsheet [OPTION]...\n", 0), 0u);
    run = RunFontsheetCommand(scratch.Path(), {"--version"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.output.rfind("fontsheet (Vantor) ", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("MIT"), std::string::npos) << run.output;
}

// Face names are data from font files: spaces and quotes reach --font whole through the
// command line, and control bytes, '<', '&', slashes and ".." break no line of the list
// or the descriptor and no file name.
TEST(CommandLineRunTest, HostileFaceNamesAreListedMatchedAndWrittenSafely) {
    const FontFolder fonts({"Say \"Hi\" <&> Mono", "Tab\there", "../../Out/..Up"});
    const ScratchDirectory scratch;
    FontsheetRun run = RunFontsheetCommand(scratch.Path(), {"--list"}, fonts.Variables());
    ASSERT_EQ(run.exitStatus, 0) << run.errorOutput;
    std::vector<std::string> faces;
    for (const std::string& line : Lines(run.output)) {
        const std::vector<std::string> fields = Fields(line, '\t');
        ASSERT_EQ(fields.size(), 8u) << line;
        EXPECT_EQ(fields[0], std::to_string(faces.size()));
        faces.push_back(fields[1]);
    }
    for (const char* face : {"Say \"Hi\" <&> Mono", "Tab\\x09here", "../../Out/..Up"})
        EXPECT_NE(std::find(faces.begin(), faces.end(), face), faces.end()) << face;

    run = RunFontsheetCommand(scratch.Path(),
                              {"--font", "say \"hi\" <&> MONO", "-o", "q.bmp", "--descriptor=xml"},
                              fonts.Variables());
    ASSERT_EQ(run.exitStatus, 0) << run.errorOutput;
    const std::vector<uint8_t> xml = ReadFileBytes(scratch.File("q.fnt"));
    EXPECT_NE(std::string(xml.begin(), xml.end()).find("face=\"Say ?Hi? &lt;&amp;&gt; Mono\""),
              std::string::npos);
    run = RunFontsheetCommand(scratch.Path(),
                              {"--font", "Tab\\x09here", "-o", "t.bmp", "--descriptor"},
                              fonts.Variables());
    ASSERT_EQ(run.exitStatus, 0) << run.errorOutput;
    const std::vector<uint8_t> text = ReadFileBytes(scratch.File("t.fnt"));
    const std::vector<DescriptorLine> lines = ReadDescriptor(std::string(text.begin(), text.end()));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].Value("face"), "Tab?here");
    EXPECT_EQ(lines[0].Value("size"), lines[0].fields[1].second);  // the line still parses in order

    run = RunFontsheetCommand(scratch.Path(), {"--all", "-o", "all"}, fonts.Variables());
    EXPECT_EQ(run.exitStatus, 0) << run.errorOutput;
    size_t written = 0;
    for (const auto& entry : fs::directory_iterator(scratch.File("all"))) {
        EXPECT_TRUE(DecodeBitmap(ReadFileBytes(entry.path())).error.empty()) << entry.path();
        ++written;
    }
    EXPECT_EQ(written, faces.size());
    EXPECT_FALSE(fs::exists(fs::path(scratch.Path()).parent_path() / "Out"));
}

TEST(CommandLineRunTest, AllSheetsGoOnPastOneThatCannotBeWritten) {
    const FontFolder fonts({});
    const ScratchDirectory scratch;
    FontsheetRun run = RunFontsheetCommand(scratch.Path(), {"--list"}, fonts.Variables());
    const std::vector<std::string> records = Lines(run.output);
    ASSERT_GE(records.size(), 3u);
    // A folder where the second sheet's file belongs: that one write fails.
    const std::vector<std::string> second = Fields(records[1], '\t');
    std::string face = second[1];
    std::replace(face.begin(), face.end(), ' ', '_');
    const std::string blocked = "001-" + face + "-" + second[2] + ".bmp";
    fs::create_directories(scratch.File("sheets/" + blocked));

    run = RunFontsheetCommand(scratch.Path(), {"--all", "-o", "sheets"}, fonts.Variables());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.errorOutput.find(blocked), std::string::npos) << run.errorOutput;
    EXPECT_EQ(run.output, std::to_string(records.size() - 1) + " of " +
                              std::to_string(records.size()) +
                              " sheets written to sheets (1 failed)\n");
    size_t sheets = 0;
    for (const auto& entry : fs::directory_iterator(scratch.File("sheets")))
        if (entry.is_regular_file()) {
            EXPECT_TRUE(DecodeBitmap(ReadFileBytes(entry.path())).error.empty()) << entry.path();
            ++sheets;
        }
    EXPECT_EQ(sheets, records.size() - 1);
}

TEST(CommandLineRunTest, ThePngsAlphaIsTheBmpsGreyAtFullRange) {
    const ScratchDirectory scratch;
    ASSERT_EQ(RunFontsheetCommand(scratch.Path(), {"--font", "2", "-o", "s.bmp"}).exitStatus, 0);
    ASSERT_EQ(RunFontsheetCommand(scratch.Path(), {"--font", "2", "-o", "s.png"}).exitStatus, 0);
    const BitmapImage bmp = DecodeBitmap(ReadFileBytes(scratch.File("s.bmp")));
    ASSERT_TRUE(bmp.error.empty()) << bmp.error;
    const std::vector<uint8_t> file = ReadFileBytes(scratch.File("s.png"));
    int width = 0, height = 0, channels = 0;
    stbi_uc* png = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width,
                                         &height, &channels, 4);
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(channels, 4);
    ASSERT_EQ(width, bmp.width);
    ASSERT_EQ(height, bmp.height);
    // 16-bit white is green 252 in the bitmap: the grey levels are its steps of 4.
    int mismatches = 0, opaque = 0, partial = 0;
    for (int i = 0; i < width * height; ++i) {
        const stbi_uc* pixel = png + 4 * i;
        const uint32_t green = (bmp.rgb[i] >> 8) & 0xFF;
        mismatches += pixel[0] != 255 || pixel[1] != 255 || pixel[2] != 255 ||
                      pixel[3] != (green * 255 + 126) / 252;
        opaque += pixel[3] == 255;
        partial += pixel[3] != 0 && pixel[3] != 255;
    }
    stbi_image_free(png);
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(opaque, 0);
    EXPECT_GT(partial, 0);  // antialiased edges keep their coverage
}

TEST(CommandLineRunTest, TheDescriptorReadsBackInTheFormatsOrder) {
    const ScratchDirectory scratch;
    const FontsheetRun run = RunFontsheetCommand(
        scratch.Path(),
        {"--font", "DejaVu Sans", "--charset", "RUSSIAN", "-o", "r.png", "--descriptor"});
    ASSERT_EQ(run.exitStatus, 0) << run.errorOutput;
    const std::vector<uint8_t> bytes = ReadFileBytes(scratch.File("r.fnt"));
    const std::vector<DescriptorLine> lines =
        ReadDescriptor(std::string(bytes.begin(), bytes.end()));
    ASSERT_GE(lines.size(), 5u);
    const std::vector<std::pair<std::string, std::vector<std::string>>> order = {
        {"info",
         {"face", "size", "bold", "italic", "charset", "unicode", "stretchH", "smooth", "aa",
          "padding", "spacing", "outline"}},
        {"common",
         {"lineHeight", "base", "scaleW", "scaleH", "pages", "packed", "alphaChnl", "redChnl",
          "greenChnl", "blueChnl"}},
        {"page", {"id", "file"}},
        {"chars", {"count"}}};
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(lines[i].tag, order[i].first);
        EXPECT_EQ(FieldNames(lines[i]), order[i].second) << order[i].first;
    }
    EXPECT_EQ(lines[0].Value("face"), "DejaVu Sans");
    EXPECT_EQ(lines[0].Value("unicode"), "1");
    const DescriptorLine& common = lines[1];
    EXPECT_EQ(common.Value("alphaChnl"), "0");  // the glyph in the alpha, colour at one
    EXPECT_EQ(common.Value("redChnl"), "4");
    EXPECT_GT(common.Number("base"), 0);
    EXPECT_LT(common.Number("base"), common.Number("lineHeight"));
    EXPECT_EQ(lines[2].Value("file"), "r.png");

    const std::vector<std::string> charFields = {
        "id", "x", "y", "width", "height", "xoffset", "yoffset", "xadvance", "page", "chnl"};
    std::map<int, int> idAtCode;
    for (size_t i = 4; i < lines.size(); ++i) {
        const DescriptorLine& line = lines[i];
        ASSERT_EQ(line.tag, "char");
        ASSERT_EQ(FieldNames(line), charFields);
        EXPECT_LE(line.Number("x") + line.Number("width"), common.Number("scaleW"));
        EXPECT_LE(line.Number("y") + line.Number("height"), common.Number("scaleH"));
        EXPECT_GE(line.Number("x"), 16);  // cell 0 holds no character
        idAtCode[line.Number("x") / 16] = line.Number("id");
    }
    EXPECT_EQ(static_cast<size_t>(lines[3].Number("count")), lines.size() - 4);
    // Code page 1251: the Latin letters stay, 0xC0 is Cyrillic A, 0xB9 the numero sign.
    EXPECT_EQ(idAtCode['A'], 'A');
    EXPECT_EQ(idAtCode[0xC0], 0x0410);
    EXPECT_EQ(idAtCode[0xB9], 0x2116);
    EXPECT_EQ(idAtCode[0xFF], 0x044F);
}

}  // namespace
}  // namespace vantor::testing

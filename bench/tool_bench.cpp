// The font sheet tool's own work: one pass of the font list and the glyph sheet, in this
// process, and as a user runs it, as whole processes: the whole job (start, two passes of
// the list, Return, "Font.bmp" written, exit) beside a hand-written FreeType program and a
// Pillow script doing the same job, and the start to the first frame of the list; and the
// command line's sheets: one record's, and every record's, beside the FreeType program
// writing the same sheets, and every record's as PNG beside the same as BMP.
//
// The whole job uses the DejaVu faces (without the math face, so that font 0 is DejaVu
// Sans, the face the peers get) through a fontconfig file of the benchmark's own; the start
// is measured with those and with a desktop's set of some three hundred font files, and with
// the two sets used in turn.
#include <benchmark/benchmark.h>
#include <fontconfig/fontconfig.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/font_collection.h"
#include "testing.h"
#include "tool/fontsheet.h"
#include "tool_workplace.h"

namespace {

using namespace vantor::bench;

const fs::path kFaceDirectory = "/usr/share/fonts/truetype/dejavu";
const fs::path kFirstFace = kFaceDirectory / "DejaVuSans.ttf";
// Debian's fonts-noto-core, fonts-liberation2 and fonts-freefont-ttf, beside DejaVu.
const std::vector<fs::path> kDesktopDirectories = {"/usr/share/fonts/truetype/noto",
                                                   "/usr/share/fonts/truetype/liberation2",
                                                   "/usr/share/fonts/truetype/freefont"};
const fs::path kManySource = "/usr/share/fonts/truetype/freefont/FreeMonoBold.ttf";

struct ToolWorkplace : Workplace {
    std::string dejavuConfig;   // the DejaVu faces but the math face
    std::string desktopConfig;  // those and the desktop's

    ToolWorkplace() : Workplace("tool_bench") {
        const fs::path dejavu = Path("dejavu");
        fs::create_directories(dejavu);
        for (const auto& entry : fs::directory_iterator(kFaceDirectory)) {
            const std::string name = entry.path().filename().string();
            if (entry.path().extension() == ".ttf" && name.find("Math") == std::string::npos)
                fs::create_symlink(entry.path(), dejavu / name);
        }
        dejavuConfig = FontConfig("dejavu", {dejavu});
        std::vector<fs::path> desktop = kDesktopDirectories;
        desktop.push_back(dejavu);
        desktopConfig = FontConfig("desktop", desktop);
        setenv("FONTCONFIG_FILE", dejavuConfig.c_str(), 1);
    }
};

ToolWorkplace& TheWorkplace() {
    static ToolWorkplace workplace;
    return workplace;
}

// A process's time is the processor time it used, which the load of the machine leaves
// alone; the wall-clock time is kept beside it. `done` says whether a run did its job.
template <typename Done>
void TimeProcess(benchmark::State& state, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& variables, Done&& done) {
    double wall = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        double cpu = 0;
        const int status = RunToEnd(arguments, variables, cpu);
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!done(status)) {
            state.SkipWithError("the process did not do its job");
            break;
        }
        state.SetIterationTime(cpu);
    }
    state.counters["wall_ms"] = benchmark::Counter(wall * 1000, benchmark::Counter::kAvgIterations);
}

// Whether a whole job ended well and wrote the sheet, which is then removed for the next.
bool SheetWritten(int status) {
    const bool written =
        status == 0 && fs::exists("Font.bmp") && fs::file_size("Font.bmp") == 245814;
    fs::remove("Font.bmp");
    return written;
}

void WholeJob(benchmark::State& state, const std::vector<std::string>& arguments,
              const std::vector<std::string>& variables) {
    TheWorkplace();
    fs::remove("Font.bmp");
    TimeProcess(state, arguments, variables, SheetWritten);
}

std::vector<std::string> OursArguments() { return {VANTOR_FONTSHEET}; }
std::vector<std::string> OursVariables() {
    return {"VANTOR_VIDEO=headless", "VANTOR_KEYS=- - Return",
            "FONTCONFIG_FILE=" + TheWorkplace().dejavuConfig};
}
std::vector<std::string> FreeTypeArguments() {
    return {VANTOR_FREETYPE_SHEET, kFirstFace.string()};
}

void OursWholeJob(benchmark::State& state) { WholeJob(state, OursArguments(), OursVariables()); }
void FreeTypeWholeJob(benchmark::State& state) { WholeJob(state, FreeTypeArguments(), {}); }

// A program run as a process, and whether a run of it did its job.
struct Process {
    std::vector<std::string> arguments;
    std::vector<std::string> variables;
    std::function<bool(int)> done;
};

// Ours and a peer in turn, so that both meet the same load of the machine: separate runs of
// each measure them minutes apart, while the machine's speed for a short process drifts by
// a tenth and more. The time is ours; "<peer>_ms" is the peer's and "x_<peer>" our processor
// time over the peer's in the same iterations.
// Runs a round of ours and the peer's per iteration: the time is ours, <peerName>_ms the
// peer's and x_<peerName> ours over it. A round that fails ends the benchmark with `failure`.
using Round = std::function<bool(double& oursCpu, double& peerCpu)>;
void TimeRounds(benchmark::State& state, const Round& round, const std::string& peerName,
                const char* failure) {
    double oursTotal = 0, peerTotal = 0;
    for (auto _ : state) {
        double oursCpu = 0, peerCpu = 0;
        if (!round(oursCpu, peerCpu)) {
            state.SkipWithError(failure);
            break;
        }
        oursTotal += oursCpu;
        peerTotal += peerCpu;
        state.SetIterationTime(oursCpu);
    }
    state.counters[peerName + "_ms"] =
        benchmark::Counter(peerTotal * 1000, benchmark::Counter::kAvgIterations);
    state.counters["x_" + peerName] = peerTotal > 0 ? oursTotal / peerTotal : 0;
}

void Interleaved(benchmark::State& state, const Process& ours, const Process& peer,
                 const std::string& peerName) {
    const Round round = [&](double& oursCpu, double& peerCpu) {
        return ours.done(RunToEnd(ours.arguments, ours.variables, oursCpu)) &&
               peer.done(RunToEnd(peer.arguments, peer.variables, peerCpu));
    };
    TimeRounds(state, round, peerName, "a process did not do its job");
}

// Our whole job and the FreeType program's in turn.
void OursAgainstFreeType(benchmark::State& state) {
    TheWorkplace();
    fs::remove("Font.bmp");
    Interleaved(state, {OursArguments(), OursVariables(), SheetWritten},
                {FreeTypeArguments(), {}, SheetWritten}, "freetype");
}

// The command line's sheets. Its jobs need no display and no keys.
std::vector<std::string> BatchVariables() {
    return {"FONTCONFIG_FILE=" + TheWorkplace().dejavuConfig};
}

// `fontsheet --font 0 -o x.bmp`, beside the FreeType program writing Font.bmp.
void OneSheetAgainstFreeType(benchmark::State& state) {
    TheWorkplace();
    fs::remove("Font.bmp");
    const auto written = [](int status) {
        const bool done = status == 0 && fs::exists("x.bmp") && fs::file_size("x.bmp") == 245814;
        fs::remove("x.bmp");
        return done;
    };
    Interleaved(state,
                {{VANTOR_FONTSHEET, "--font", "0", "-o", "x.bmp"}, BatchVariables(), written},
                {FreeTypeArguments(), {}, SheetWritten}, "freetype");
}

std::vector<std::string> Fields(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::istringstream stream(line);
    for (std::string field; std::getline(stream, field, separator);) fields.push_back(field);
    return fields;
}

// The face of each record `fontsheet --list` prints (FILE:INDEX), as fontconfig matches
// the record's face name, weight and slant: what the FreeType program is given to write
// the same sheets.
std::vector<std::string> RecordFaces() {
    std::vector<std::string> faces;
    FcConfig* config = FcInitLoadConfigAndFonts();
    FILE* list = popen(VANTOR_FONTSHEET " --list", "r");
    char line[512];
    while (config != nullptr && list != nullptr && std::fgets(line, sizeof line, list)) {
        // index, face, character set name and number, height, width, weight, italic
        const std::vector<std::string> fields = Fields(line, '\t');
        if (fields.size() != 8) break;
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(fields[1].c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::stoi(fields[6])));
        FcPatternAddInteger(pattern, FC_SLANT, fields[7] == "1\n" ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        FcChar8* file = nullptr;
        int index = 0;
        if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            std::string face = reinterpret_cast<const char*>(file);
            face += ':';
            face += std::to_string(index);
            faces.push_back(face);
        }
        if (match != nullptr) FcPatternDestroy(match);
        FcPatternDestroy(pattern);
    }
    if (list != nullptr) pclose(list);
    if (config != nullptr) FcConfigDestroy(config);
    return faces;
}

// Whether a run ended well and left `count` files in the folder, which are then removed.
std::function<bool(int)> SheetsWritten(const std::string& folder, size_t count) {
    return [folder, count](int status) {
        size_t found = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            found += entry.is_regular_file() && fs::file_size(entry.path()) > 0;
            fs::remove(entry.path());
        }
        return status == 0 && found == count;
    };
}

// Every record's sheet, `fontsheet --all -o ours-sheets`, beside the FreeType program
// writing as many sheets of the same faces in one run.
void AllSheetsAgainstFreeType(benchmark::State& state) {
    TheWorkplace();
    const std::vector<std::string> faces = RecordFaces();
    if (faces.empty()) {
        state.SkipWithError("no font records");
        return;
    }
    fs::create_directories("ours-sheets");
    fs::create_directories("peer-sheets");
    std::vector<std::string> peer = {VANTOR_FREETYPE_SHEET, "-o", "peer-sheets"};
    peer.insert(peer.end(), faces.begin(), faces.end());
    Interleaved(state,
                {{VANTOR_FONTSHEET, "--all", "-o", "ours-sheets"}, BatchVariables(),
                 SheetsWritten("ours-sheets", faces.size())},
                {peer, {}, SheetsWritten("peer-sheets", faces.size())}, "freetype");
    state.counters["sheets"] = double(faces.size());
}

// Every record's sheet as PNG beside the same as BMP: what the PNG form costs per sheet.
void PngAgainstBmp(benchmark::State& state) {
    TheWorkplace();
    fs::create_directories("sheets");
    const size_t sheets = RecordFaces().size();
    const std::vector<std::string> all = {VANTOR_FONTSHEET, "--all", "-o", "sheets"};
    std::vector<std::string> png = all;
    png.insert(png.end(), {"--format", "png"});
    Interleaved(state, {png, BatchVariables(), SheetsWritten("sheets", sheets)},
                {all, BatchVariables(), SheetsWritten("sheets", sheets)}, "bmp");
    state.counters["sheets"] = double(sheets);
}

void PillowWholeJob(benchmark::State& state) {
    WholeJob(state,
             {"/usr/bin/python3", VANTOR_SOURCE_DIR "/bench/pillow_sheet.py", kFirstFace.string()},
             {});
}

// From start to the first frame of the list: the tool shows one frame and leaves on the
// Escape of its second pump. The first run fills the caches; the timed runs find them warm.
void StartToList(benchmark::State& state, const std::string& fontConfig) {
    TheWorkplace();
    const std::vector<std::string> arguments = {VANTOR_FONTSHEET};
    const std::vector<std::string> variables = {"VANTOR_VIDEO=headless", "VANTOR_KEYS=- Escape",
                                                "FONTCONFIG_FILE=" + fontConfig};
    double cpu = 0;
    // Escape ends the tool with status 1.
    if (RunToEnd(arguments, variables, cpu) != 1) {
        state.SkipWithError("the tool did not start");
        return;
    }
    TimeProcess(state, arguments, variables, [](int status) { return status == 1; });
}

void DesktopStart(benchmark::State& state) { StartToList(state, TheWorkplace().desktopConfig); }
void DejaVuStart(benchmark::State& state) { StartToList(state, TheWorkplace().dejavuConfig); }

// Starts to the first list frame, each with the fonts of a fontconfig file, in turn in every
// iteration so that all meet the same load: ours, the peer's, then `after` when given (the
// set the next iteration's start of ours follows). The caches are filled by a first round.
// The time is ours; <peerName>_ms is the peer's and x_<peerName> ours over it.
void StartsInTurn(benchmark::State& state, const std::string& ours, const std::string& peer,
                  const std::string& after, const std::string& peerName) {
    const std::vector<std::string> arguments = {VANTOR_FONTSHEET};
    std::vector<std::vector<std::string>> round;
    for (const std::string& config : {ours, peer, after})
        if (!config.empty())
            round.push_back(
                {"VANTOR_VIDEO=headless", "VANTOR_KEYS=- Escape", "FONTCONFIG_FILE=" + config});
    // Escape ends the tool with status 1.
    const auto runRound = [&](double& oursCpu, double& peerCpu) {
        double cpu[3] = {};
        for (size_t i = 0; i < round.size(); ++i)
            if (RunToEnd(arguments, round[i], cpu[i]) != 1) return false;
        oursCpu = cpu[0];
        peerCpu = cpu[1];
        return true;
    };
    double oursCpu = 0, peerCpu = 0;
    if (!runRound(oursCpu, peerCpu)) {
        state.SkipWithError("the tool did not start");
        return;
    }
    TimeRounds(state, runRound, peerName, "the tool did not start");
}

// The desktop start when the tool is run in turn with two font sets (the DejaVu faces alone
// between two desktop starts) against the warm desktop start right after another.
void StartAfterAnotherSet(benchmark::State& state) {
    StartsInTurn(state, TheWorkplace().desktopConfig, TheWorkplace().desktopConfig,
                 TheWorkplace().dejavuConfig, "warm");
}

// A machine with thousands of fonts installed: 3,000 font files in 30 folders, each file
// one face of Debian's FreeMono Bold under a family name of its own.
std::string ManyFilesConfig() {
    static const std::string config = [] {
        std::ifstream source(kManySource, std::ios::binary);
        const std::vector<uint8_t> font((std::istreambuf_iterator<char>(source)),
                                        std::istreambuf_iterator<char>());
        if (font.empty()) std::abort();
        std::vector<fs::path> folders;
        for (int folder = 0; folder < 30; ++folder) {
            folders.push_back(TheWorkplace().Path("many/" + std::to_string(folder)));
            fs::create_directories(folders.back());
            for (int file = 0; file < 100; ++file) {
                const std::string family = "Many " + std::to_string(folder * 100 + file);
                const std::vector<uint8_t> face = vantor::testing::FontCollection(font, {family});
                std::ofstream(folders.back() / (std::to_string(file) + ".ttc"), std::ios::binary)
                    .write(reinterpret_cast<const char*>(face.data()),
                           std::streamsize(face.size()));
            }
        }
        return TheWorkplace().FontConfig("many", folders);
    }();
    return config;
}

// The start with 3,000 font files against the desktop start, both warm.
void ManyFilesStart(benchmark::State& state) {
    StartsInTurn(state, ManyFilesConfig(), TheWorkplace().desktopConfig, "", "desktop");
}

void OursListPass(benchmark::State& state) {
    TheWorkplace();
    ListPass(state);
    state.SetItemsProcessed(state.iterations() * 30);  // rows
}

// The 255 characters of font 0 into the sheet, and the file written.
void OursGlyphSheet(benchmark::State& state) {
    TheWorkplace();
    StartDisplay();
    skipTableFill = 0;
    listY = 0;
    DrawFontList();  // records the fonts, as the second pass of the list does
    selectedFont = 0;
    Surface sheetSurface;
    displayDevice.MakeSurface(sheetSurface, 4096, 20, -1);
    for (auto _ : state) {
        if (RenderGlyphSheet(sheetSurface) != 0) {
            state.SkipWithError("Font.bmp was not written");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 255);  // characters
    displayDevice.SelectOffscreen();                    // the sheet's surface ends here
}

const bool registered = [] {
    benchmark::RegisterBenchmark("BM_ListPass/ours/640x480", OursListPass)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_GlyphSheet/ours/4096x20", OursGlyphSheet)
        ->Unit(benchmark::kMillisecond);
    using Job = void (*)(benchmark::State&);
    const std::pair<const char*, Job> processes[] = {
        {"BM_WholeJob/ours/process", OursWholeJob},
        {"BM_WholeJob/freetype/process", FreeTypeWholeJob},
        {"BM_WholeJob/ours_against_freetype/interleaved", OursAgainstFreeType},
        {"BM_WholeJob/pillow/process", PillowWholeJob},
        {"BM_OneSheet/ours_against_freetype/interleaved", OneSheetAgainstFreeType},
        {"BM_AllSheets/ours_against_freetype/dejavu", AllSheetsAgainstFreeType},
        {"BM_AllSheets/ours_against_bmp/dejavu-png", PngAgainstBmp},
        {"BM_StartToList/ours/desktop-fonts", DesktopStart},
        {"BM_StartToList/dejavu_only/desktop-fonts", DejaVuStart},
        {"BM_StartToList/ours_against_warm/two-sets-in-turn", StartAfterAnotherSet},
        {"BM_StartToList/ours_against_desktop/3000-files", ManyFilesStart}};
    for (const auto& [name, job] : processes)
        benchmark::RegisterBenchmark(name, job)->Unit(benchmark::kMillisecond)->UseManualTime();
    return true;
}();

}  // namespace

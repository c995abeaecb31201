#include "support/image_compare.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

bool WellFormed(const ImageView& image) {
    return image.width >= 0 && image.height >= 0 &&
           image.pixels.size() == static_cast<size_t>(image.width) * image.height;
}

std::string Describe(const ImageView& image) {
    return std::to_string(image.width) + " x " + std::to_string(image.height) + " (" +
           std::to_string(image.pixels.size()) + " pixels)";
}

// <build>/test_output/<suite>.<test>/, made on first use; parameterised names lose their
// slashes.
fs::path OutputFolder() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "none";
    for (char& c : name)
        if (c == '/') c = '_';
    const fs::path folder = fs::path(VANTOR_BINARY_DIR) / "test_output" / name;
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    return folder;
}

bool WritePpm(const fs::path& path, const ImageView& image) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << image.width << ' ' << image.height << "\n255\n";
    for (uint32_t pixel : image.pixels) {
        const char rgb[3] = {char(pixel >> 16), char(pixel >> 8), char(pixel)};
        out.write(rgb, 3);
    }
    return bool(out);
}

// Writes both images, numbered so that a test comparing several times keeps each pair.
std::string WriteBoth(const ImageView& actual, const ImageView& expected) {
    static int pairs = 0;
    const fs::path folder = OutputFolder();
    const std::string stem = "image" + std::to_string(++pairs);
    const fs::path actualPath = folder / (stem + "-actual.ppm");
    const fs::path expectedPath = folder / (stem + "-expected.ppm");
    if (!WritePpm(actualPath, actual) || !WritePpm(expectedPath, expected))
        return "; the images could not be written to " + folder.string();
    return "; images written to " + actualPath.string() + " and " + expectedPath.string();
}

}  // namespace

::testing::AssertionResult SameImage(ImageView actual, ImageView expected) {
    if (!WellFormed(actual) || !WellFormed(expected) || actual.width != expected.width ||
        actual.height != expected.height)
        return ::testing::AssertionFailure()
               << "the image is " << Describe(actual) << ", expected " << Describe(expected);
    size_t differing = 0;
    size_t first = 0;
    for (size_t i = actual.pixels.size(); i-- > 0;) {
        if (actual.pixels[i] == expected.pixels[i]) continue;
        ++differing;
        first = i;
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    char where[128];
    std::snprintf(where, sizeof where, "pixel (%zu, %zu) is %06X, expected %06X",
                  first % actual.width, first / actual.width, actual.pixels[first],
                  expected.pixels[first]);
    return ::testing::AssertionFailure()
           << differing << " pixels differ, the first: " << where << WriteBoth(actual, expected);
}

}  // namespace vantor::testing

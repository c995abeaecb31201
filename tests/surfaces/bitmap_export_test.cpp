// The bitmap export: file sizes and padding, pixels read back by an independent reader in
// every display depth, and failures that leave an existing file as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/bitmap_reader.h"
#include "support/surface_device.h"
#include "testing.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

class BitmapExportTest : public SurfaceDeviceTest {
protected:
    void SetUp() override {
        SurfaceDeviceTest::SetUp();
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() /
                 ("vantor-export-" + std::to_string(getpid()) + "-" + test->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = (folder / "Font.bmp").string();
    }
    void TearDown() override {
        fs::remove_all(folder);
        SurfaceDeviceTest::TearDown();
    }

    // Makes a Surface holding the image and selects it as the render target.
    void SelectImage(const PackedImage& image) {
        MakeSurfaceWith(*device, sheet, image);
        ASSERT_EQ(device->SelectSurfaceTarget(sheet), 1);
    }
    BitmapImage SaveAndRead() {
        EXPECT_EQ(device->SaveBitmap(path.c_str()), 1);
        return DecodeBitmap(ReadFileBytes(path));
    }
    // Every pixel of the read file's width x height is the colour the device gives the
    // image's pixel.
    void ExpectColoursOf(const PackedImage& image, const BitmapImage& read) {
        ASSERT_EQ(read.error, "");
        for (int32_t y = 0; y < read.height; ++y)
            for (int32_t x = 0; x < read.width; ++x) {
                uint8_t red = 0, green = 0, blue = 0;
                device->PixelToRgb(image.Pixel(y, x), red, green, blue);
                EXPECT_EQ(read.At(x, y), uint32_t{red} << 16 | uint32_t{green} << 8 | blue)
                    << device->bitsPerPixel << " bits, pixel (" << x << ", " << y << ")";
            }
    }
    void WriteOldFile() { std::ofstream(path, std::ios::binary) << "the previous sheet"; }
    void ExpectOldFileAloneInFolder() {
        std::vector<uint8_t> bytes = ReadFileBytes(path);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "the previous sheet");
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
            << "no temporary file is left behind";
    }

    fs::path folder;
    std::string path;
    Surface sheet;
};

// An "F" in red on blue with one green pixel in the bottom-right corner: a flipped row
// order, a mirrored row or a red/blue swap each change what is read back.
constexpr const char* kShape[] = {
    "RRRRRB", "RBBBBB", "RRRBBB", "RBBBBB", "RBBBBG",
};

struct Palette {
    uint32_t red, green, blue;  // raw pixel values of the display format
};

PackedImage ShapeImage(const Palette& raw, int32_t bytesPerPixel) {
    PackedImage image(6, 5, bytesPerPixel);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            char c = kShape[y][x];
            image.SetPixel(y, x, c == 'R' ? raw.red : c == 'G' ? raw.green : raw.blue);
        }
    return image;
}

void ExpectShape(const BitmapImage& image, const Palette& rgb) {
    ASSERT_EQ(image.error, "");
    ASSERT_EQ(image.width, 6);
    ASSERT_EQ(image.height, 5);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            char c = kShape[y][x];
            EXPECT_EQ(image.At(x, y), c == 'R'   ? rgb.red
                                      : c == 'G' ? rgb.green
                                                 : rgb.blue)
                << "pixel (" << x << ", " << y << ")";
        }
}

TEST_F(BitmapExportTest, FileSizesFollowTheTarget) {
    SelectImage(PackedImage(4096, 20, 2));
    EXPECT_EQ(device->SaveBitmap(path.c_str()), 1);
    EXPECT_EQ(fs::file_size(path), 245814u);
    EXPECT_EQ(DecodeBitmap(ReadFileBytes(path)).imageSizeField, 245760u);

    ASSERT_EQ(device->SelectTarget(static_cast<int32_t>(TargetKind::Offscreen)), 1);
    EXPECT_EQ(device->SaveBitmap(path.c_str()), 1);
    EXPECT_EQ(fs::file_size(path), 921654u);

    Surface narrow;
    MakeSurfaceWith(*device, narrow, PackedImage(5, 3, 2));
    ASSERT_EQ(device->SelectSurfaceTarget(narrow), 1);
    BitmapImage image = SaveAndRead();
    EXPECT_EQ(image.error, "") << "rows padded with zeros to 16 bytes";
    EXPECT_EQ(fs::file_size(path), 54u + 3 * 16);
    EXPECT_EQ(image.imageSizeField, 48u);
}

TEST_F(BitmapExportTest, AsymmetricImageRoundTripsIn565) {
    SelectImage(ShapeImage({0xF800, 0x07E0, 0x001F}, 2));
    ExpectShape(SaveAndRead(), {0xF80000, 0x00FC00, 0x0000F8});
}

TEST_F(BitmapExportTest, ConvertsEveryDisplayDepth) {
    RestartDevice({16, true});
    SelectImage(ShapeImage({0x7C00, 0x03E0, 0x801F}, 2));  // the top bit is no colour
    ExpectShape(SaveAndRead(), {0xF80000, 0x00F800, 0x0000F8});

    RestartDevice({32, false});
    SelectImage(ShapeImage({0xAAFF8000, 0x00123456, 0xFF0000FF}, 4));  // nor is the top byte
    ExpectShape(SaveAndRead(), {0xFF8000, 0x123456, 0x0000FF});

    RestartDevice({24, false});
    SelectImage(ShapeImage({0xFF8000, 0x123456, 0x0000FF}, 3));
    ExpectShape(SaveAndRead(), {0xFF8000, 0x123456, 0x0000FF});

    RestartDevice({8, false});
    auto colourOf = [&](int index) {
        const PALETTEENTRY& entry = device->paletteEntries[index];
        return uint32_t{entry.peRed} << 16 | uint32_t{entry.peGreen} << 8 | entry.peBlue;
    };
    SelectImage(ShapeImage({42, 6, 251}, 1));
    ExpectShape(SaveAndRead(), {colourOf(42), colourOf(6), colourOf(251)});
}

// Rows long enough to be taken eight pixels at a time, mostly zero as a glyph sheet is: a
// zero pixel is the colour the format gives it (in palette modes, entry 0's).
TEST_F(BitmapExportTest, RunsOfZeroPixelsKeepTheirColourAndTheirNeighbours) {
    const std::pair<int, bool> modes[] = {{16, false}, {32, false}, {24, false}, {8, false}};
    for (const auto& [bits, rgb565] : modes) {
        RestartDevice({bits, rgb565});
        PackedImage image(29, 2, bits / 8);
        for (const auto& [x, y] : {std::pair{0, 0}, {8, 0}, {15, 0}, {16, 1}, {27, 1}, {28, 1}})
            image.SetPixel(y, x, 0x35u + uint32_t(x));
        SelectImage(image);
        const BitmapImage read = SaveAndRead();
        EXPECT_EQ(read.width * read.height, 29 * 2);
        ExpectColoursOf(image, read);
    }
}

TEST_F(BitmapExportTest, StepsRowsByThePitch) {
    PackedImage wide(10, 4, 2);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 10; ++x) wide.SetPixel(y, x, x < 5 ? 0x001F << y : 0xFFFF);
    SelectImage(wide);
    device->targetWidth = 5;  // the left half of rows 20 bytes apart
    const BitmapImage image = SaveAndRead();
    EXPECT_EQ(image.width * image.height, 5 * 4);
    ExpectColoursOf(wide, image);
}

TEST_F(BitmapExportTest, ReplacesAnExistingFile) {
    WriteOldFile();
    SelectImage(ShapeImage({0xF800, 0x07E0, 0x001F}, 2));
    ExpectShape(SaveAndRead(), {0xF80000, 0x00FC00, 0x0000F8});
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    EXPECT_EQ(device->targetLocked, 0) << "the target is unlocked again";
}

// Takes away the right to create files in a folder for as long as it lives: by its mode,
// and for the superuser, whom modes do not bind, by the file system's immutable flag.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const fs::path& folder) : folder_(folder) {
        fs::permissions(folder_,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        if (geteuid() == 0) immutable_ = SetImmutable(true);
    }
    ~UnwritableFolder() {
        if (immutable_) SetImmutable(false);
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
    }
    bool Effective() const { return geteuid() != 0 || immutable_; }

private:
    bool SetImmutable(bool on) {
        int descriptor = open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
        if (descriptor < 0) return false;
        int flags = 0;
        bool done = ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
        close(descriptor);
        return done;
    }

    fs::path folder_;
    bool immutable_ = false;
};

TEST_F(BitmapExportTest, AnUnwritableFolderKeepsTheOldFile) {
    WriteOldFile();
    SelectImage(PackedImage(64, 8, 2));
    int32_t result;
    {
        UnwritableFolder locked(folder);
        if (!locked.Effective())
            GTEST_SKIP() << "no way to keep the superuser out of the folder here";
        result = device->SaveBitmap(path.c_str());
    }
    EXPECT_EQ(result, 0);
    ExpectOldFileAloneInFolder();
    EXPECT_EQ(device->targetLocked, 0);
}

TEST_F(BitmapExportTest, AWriteFailingHalfwayKeepsTheOldFile) {
    WriteOldFile();
    ASSERT_EQ(device->SelectTarget(static_cast<int32_t>(TargetKind::Offscreen)), 1);
    // A file size limit makes the writes fail part of the way, for any user.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int32_t result = device->SaveBitmap(path.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(result, 0);
    ExpectOldFileAloneInFolder();
}

TEST_F(BitmapExportTest, ATargetThatCannotBeLockedWritesNothing) {
    WriteOldFile();
    SelectImage(PackedImage(16, 4, 2));
    FailCall("Lock");
    EXPECT_EQ(device->SaveBitmap(path.c_str()), 0);
    ExpectOldFileAloneInFolder();

    ASSERT_NE(device->LockTarget(1), nullptr);
    EXPECT_EQ(device->SaveBitmap(path.c_str()), 0) << "a target locked by the caller";
    EXPECT_EQ(device->targetLocked, 1) << "and left locked for the caller";
    device->UnlockTarget();
    ExpectOldFileAloneInFolder();
}

}  // namespace
}  // namespace vantor::testing

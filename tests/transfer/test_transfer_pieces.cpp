// The pieces under paste and save: the metafile size rule and the output
// writer's safety.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "codecs/jpeg.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/stream.h"
#include "session/output_file.h"
#include "session/paste_rules.h"

namespace morvi {
namespace {

struct LongSideCase {
    int32_t w, h, expectedW, expectedH;
};

TEST(LongSideRule, BringsTheLongSideIntoRange) {
    const LongSideCase cases[] = {
        {800, 600, 1600, 1200},   {4000, 3000, 2000, 1500}, {500, 1000, 800, 1600},
        {1000, 333, 1600, 528},   {1800, 1800, 1800, 1800}, {10, 10, 1680, 1600},
        {1600, 10, 1600, 10},     {2000, 2001, 1980, 2000}, {3, 1, 1600, 800},
    };
    for (const LongSideCase& c : cases) {
        const auto size = LongSideRule(c.w, c.h);
        ASSERT_TRUE(size) << c.w << "x" << c.h;
        EXPECT_EQ(*size, (PixelSize{c.expectedW, c.expectedH})) << c.w << "x" << c.h;
    }
}

TEST(LongSideRule, RefusesSizesWithoutALongSide) {
    EXPECT_FALSE(LongSideRule(0, 600));
    EXPECT_FALSE(LongSideRule(800, 0));
    EXPECT_FALSE(LongSideRule(-5, 10));
    // Huge reported sizes scale without overflowing.
    const auto huge = LongSideRule(2000000000, 1000000000);
    ASSERT_TRUE(huge);
    EXPECT_EQ(*huge, (PixelSize{2000, 1000}));
}


class OutputFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::path(::testing::TempDir()) / ("morvi-out-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_;
};

TEST_F(OutputFile, WritesBmpAt24BitsAndJpegAtQuality90) {
    gfx::Bitmap bitmap(5, 3, gfx::PixelFormat::pf32bit);
    bitmap.GetCanvas().brushColor = gfx::RGB(10, 200, 30);
    bitmap.GetCanvas().FillRect({0, 0, 5, 3});
    const std::string bmpPath = (folder_ / "out.bmp").string();
    WriteOutputPicture(bitmap, bmpPath, SaveType::Bmp);
    const std::vector<uint8_t> bytes = gfx::ReadWholeFile(bmpPath);
    ASSERT_GE(bytes.size(), 54u);
    uint16_t bitCount = 0;
    std::memcpy(&bitCount, &bytes[28], 2);
    EXPECT_EQ(bitCount, 24);

    const std::string jpgPath = (folder_ / "out.jpg").string();
    WriteOutputPicture(bitmap, jpgPath, SaveType::Jpeg);
    gfx::FileStream in(jpgPath, gfx::FileStream::Mode::Read);
    const auto decoded = gfx::ReadJpeg(in);
    EXPECT_EQ(decoded->Width(), 5);
    EXPECT_EQ(decoded->Height(), 3);
}

TEST_F(OutputFile, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    const std::string path = (folder_ / "keep.bmp").string();
    {
        std::ofstream old(path, std::ios::binary);
        old << "OLD CONTENT";
    }
    ::chmod(path.c_str(), 0640);
    gfx::Bitmap empty;  // a picture of no size cannot be encoded as JPEG
    EXPECT_THROW(WriteOutputPicture(empty, path, SaveType::Jpeg), gfx::Exception);
    const std::vector<uint8_t> after = gfx::ReadWholeFile(path);
    EXPECT_EQ(std::string(after.begin(), after.end()), "OLD CONTENT");
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_)) ++files;
    EXPECT_EQ(files, 1u) << "the temporary file is removed";

    gfx::Bitmap bitmap(2, 2, gfx::PixelFormat::pf32bit);
    WriteOutputPicture(bitmap, path, SaveType::Bmp);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replaced file keeps its permissions";
}

TEST_F(OutputFile, AMissingFolderIsAClearError) {
    gfx::Bitmap bitmap(2, 2, gfx::PixelFormat::pf32bit);
    const std::string path = (folder_ / "no-such-folder" / "x.jpg").string();
    try {
        WriteOutputPicture(bitmap, path, SaveType::Jpeg);
        FAIL();
    } catch (const gfx::EInOutError& e) {
        EXPECT_NE(std::string(e.what()).find("x.jpg"), std::string::npos);
    }
}

}  // namespace
}  // namespace morvi

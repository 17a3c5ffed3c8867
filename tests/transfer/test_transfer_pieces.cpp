// The pieces under copy, paste and save: the metafile size rule, the clipboard
// MIME bridge in both directions and the output writer's safety.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/clipboard_io.h"
#include "app/output_file.h"
#include "app/paste_rules.h"
#include "dib/kvdib.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/jpeg.h"
#include "gfx/stream.h"

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

QImage Pattern(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 40, y * 60, (x + y) * 20));
    return image;
}

// A packed DIB made from an image reads back through the engine with the same pixels.
TEST(ClipboardBridge, ImagesBecomePackedDIBsTheEngineReads) {
    for (const int w : {1, 2, 3, 5}) {
        const QImage image = Pattern(w, 3);
        const std::vector<uint8_t> packed = PackedDIBFromImage(image);
        kvdib::TKvDIB dib;
        dib.LoadFromClipboardFormat(gfx::CF_DIB, &packed, nullptr);
        gfx::Bitmap back;
        dib.AssignTo(back);
        ASSERT_EQ(back.Width(), w);
        ASSERT_EQ(back.Height(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb c = image.pixel(x, y);
                ASSERT_EQ(back.Pixel(x, y), gfx::RGB(qRed(c), qGreen(c), qBlue(c))) << x << "," << y;
            }
    }
}

TEST(ClipboardBridge, TransparentPartsArriveWhite) {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(1, 0, qRgba(255, 0, 0, 255));
    const std::vector<uint8_t> packed = PackedDIBFromImage(image);
    ASSERT_EQ(packed.size(), 40u + 8u);
    EXPECT_EQ(packed[40], 255);  // blue of the transparent pixel, laid on white
    EXPECT_EQ(packed[45], 255);  // red of the opaque one
    EXPECT_EQ(packed[43], 0);
}

TEST(ClipboardBridge, OffersAreReadInTheirBestForm) {
    QMimeData bmpOffer;
    QByteArray bmp("BM");
    bmp.append(QByteArray(12, '\0'));
    bmp.append("PACKED");
    bmpOffer.setData(QStringLiteral("image/bmp"), bmp);
    MimeClipboardSource bmpSource(&bmpOffer);
    EXPECT_TRUE(bmpSource.HasFormat(gfx::CF_DIB));
    const auto packed = bmpSource.GetData(gfx::CF_DIB);
    ASSERT_TRUE(packed);
    EXPECT_EQ(std::string(packed->begin(), packed->end()), "PACKED") << "the 14-byte file header is dropped";

    QMimeData pngOffer;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    Pattern(4, 2).save(&buffer, "PNG");
    pngOffer.setData(QStringLiteral("image/png"), png);
    MimeClipboardSource pngSource(&pngOffer);
    const auto fromPng = pngSource.GetData(gfx::CF_DIB);
    ASSERT_TRUE(fromPng);
    EXPECT_EQ(fromPng->size(), 40u + 2u * 12u);

    QMimeData emfOffer;
    emfOffer.setData(QStringLiteral("image/x-emf"), QByteArray("EMFDATA"));
    MimeClipboardSource emfSource(&emfOffer);
    EXPECT_FALSE(emfSource.HasFormat(gfx::CF_DIB));
    ASSERT_TRUE(emfSource.Metafile());
    EXPECT_EQ(emfSource.Metafile()->extension, QStringLiteral("emf"));

    QMimeData textOffer;
    textOffer.setText(QStringLiteral("no picture"));
    MimeClipboardSource textSource(&textOffer);
    EXPECT_FALSE(textSource.HasFormat(gfx::CF_DIB));
    EXPECT_FALSE(textSource.Metafile());
}

// A BMP whose pixels start after a gap (bfOffBits past the colour table) still
// pastes with every pixel in place.
TEST(ClipboardBridge, BmpOffersWithAGapBeforeThePixels) {
    gfx::Bitmap source(3, 2, gfx::PixelFormat::pf24bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) source.SetPixel(x, y, gfx::RGB(x * 80, y * 120, 33));
    gfx::MemoryStream stream;
    source.SaveToStream(stream);
    std::vector<uint8_t> file = stream.Bytes();
    uint32_t offBits = 0;
    std::memcpy(&offBits, &file[10], 4);
    file.insert(file.begin() + offBits, 10, 0xEE);
    offBits += 10;
    std::memcpy(&file[10], &offBits, 4);

    const auto packed = PackedDIBFromBmpFile(QByteArray(reinterpret_cast<const char*>(file.data()),
                                                        static_cast<qsizetype>(file.size())));
    ASSERT_TRUE(packed);
    kvdib::TKvDIB dib;
    dib.LoadFromClipboardFormat(gfx::CF_DIB, &*packed, nullptr);
    gfx::Bitmap back;
    dib.AssignTo(back);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(back.Pixel(x, y), source.Pixel(x, y)) << x << "," << y;
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

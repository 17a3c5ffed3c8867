// The Qt side of the framework: QImage <-> Bitmap copies and views, BMP and icon
// files read through Qt's readers, the icon blended over the canvas, and the
// order and names of the registered kinds.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QBuffer>
#include <QImageWriter>
#include <filesystem>
#include <fstream>

#include "codecs/qt/qt_readers.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/picture.h"
#include "gfx/qt/qimage_bridge.h"
#include "gfx/stream.h"
#include "session/picture_kinds.h"

namespace {

using gfx::Bitmap;
using gfx::PixelFormat;

std::unique_ptr<Bitmap> Colourful(int32_t w, int32_t h, PixelFormat format) {
    auto b = std::make_unique<Bitmap>(w, h, PixelFormat::pf32bit);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            b->SetPixel(x, y, gfx::RGB(static_cast<uint8_t>(x * 40), static_cast<uint8_t>(y * 60), static_cast<uint8_t>(x * y * 7)));
    b->SetPixelFormat(format);
    return b;
}

void ExpectSameColours(const Bitmap& a, const Bitmap& b) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int32_t y = 0; y < a.Height(); ++y)
        for (int32_t x = 0; x < a.Width(); ++x) ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
}

TEST(QImageBridge, RoundTripsEveryFormatThroughRgb32) {
    for (PixelFormat format : {PixelFormat::pf1bit, PixelFormat::pf4bit, PixelFormat::pf8bit, PixelFormat::pf16bit,
                               PixelFormat::pf24bit, PixelFormat::pf32bit}) {
        const auto original = Colourful(6, 5, format);
        const QImage image = gfx::ToQImage(*original);
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        const QRgb corner = image.pixel(5, 4);
        const gfx::Color expected = original->Pixel(5, 4);
        EXPECT_EQ(qRgb(gfx::GetRValue(expected), gfx::GetGValue(expected), gfx::GetBValue(expected)), corner);
        ExpectSameColours(*gfx::FromQImage(image), *original);
    }
}

TEST(QImageBridge, KeepsIndexedAndPackedDepths) {
    QImage indexed(3, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 0), qRgb(10, 20, 30)});
    indexed.fill(2);
    indexed.setPixel(1, 1, 1);
    auto b = gfx::FromQImage(indexed);
    EXPECT_EQ(b->Format(), PixelFormat::pf8bit);
    EXPECT_EQ(b->ScanLine(0)[0], 2) << "duplicate table entries keep their index";
    EXPECT_EQ(b->Pixel(1, 1), gfx::RGB(200, 100, 0));

    QImage mono(9, 1, QImage::Format_MonoLSB);
    mono.setColorTable({qRgb(0, 0, 255), qRgb(255, 255, 0)});
    mono.fill(0);
    mono.setPixel(8, 0, 1);
    b = gfx::FromQImage(mono);
    EXPECT_EQ(b->Format(), PixelFormat::pf1bit);
    EXPECT_EQ(b->Pixel(8, 0), gfx::RGB(255, 255, 0));
    EXPECT_EQ(b->Pixel(7, 0), gfx::RGB(0, 0, 255));

    for (QImage::Format format : {QImage::Format_RGB888, QImage::Format_BGR888}) {
        QImage packed(2, 1, format);
        packed.setPixel(0, 0, qRgb(1, 2, 3));
        packed.setPixel(1, 0, qRgb(250, 128, 7));
        b = gfx::FromQImage(packed);
        EXPECT_EQ(b->Format(), PixelFormat::pf24bit);
        EXPECT_EQ(b->Pixel(0, 0), gfx::RGB(1, 2, 3));
        EXPECT_EQ(b->Pixel(1, 0), gfx::RGB(250, 128, 7));
    }
}

TEST(QImageBridge, ViewsDeviceBitmapsWithoutCopying) {
    const auto device = Colourful(4, 3, PixelFormat::pf32bit);
    const QImage view = gfx::ViewAsQImage(*device);
    EXPECT_EQ(view.constBits(), device->ScanLine(0));
    EXPECT_EQ(view.pixel(3, 2) & 0xFFFFFF, gfx::ToQImage(*device).pixel(3, 2) & 0xFFFFFF);
    const auto packed = Colourful(4, 3, PixelFormat::pf24bit);
    EXPECT_NE(gfx::ViewAsQImage(*packed).constBits(), packed->ScanLine(0));
}

class QtFiles : public ::testing::Test {
protected:
    void SetUp() override {
        gfx::RegisterStandardFormats();
        std::string pattern = (std::filesystem::temp_directory_path() / "gfx-qt-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string Write(const std::string& name, const QByteArray& bytes) {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary).write(bytes.constData(), bytes.size());
        return path;
    }
    std::filesystem::path folder_;
};

TEST_F(QtFiles, RegistersTheKindsInDialogOrder) {
    std::vector<std::string> extensions;
    for (const gfx::FileFormat& f : gfx::PictureRegistry::FileFormats()) extensions.push_back(f.extension);
    const std::vector<std::string> expected = {"bmp", "ico",  "wmf",  "emf",  "jpg",  "jpeg", "png",
                                               "gif", "tif",  "tiff", "webp", "heic", "heif", "avif"};
    EXPECT_EQ(extensions, expected);
    EXPECT_EQ(gfx::PictureRegistry::FileFormats()[0].description, "ビットマップ");
    EXPECT_EQ(gfx::PictureRegistry::FileFormats()[1].description, "アイコン");
    EXPECT_EQ(gfx::PictureRegistry::FileFormats()[5].description, "JPEG イメージファイル");
}

TEST_F(QtFiles, ReadsBmpFilesAndRefusesOtherData) {
    for (PixelFormat format : {PixelFormat::pf1bit, PixelFormat::pf4bit, PixelFormat::pf8bit, PixelFormat::pf24bit,
                               PixelFormat::pf32bit}) {
        const auto original = Colourful(7, 3, format);
        gfx::MemoryStream out;
        original->SaveToStream(out);
        const auto& bytes = out.Bytes();
        gfx::Picture picture;
        picture.LoadFromFile(Write("Picture.BMP", QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                                              static_cast<qsizetype>(bytes.size()))));
        ASSERT_TRUE(picture.HasBitmap());
        ExpectSameColours(picture.GetBitmap(), *original);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(4, 4, QImage::Format_RGB32).save(&buffer, "png");
    for (const QByteArray& bad : {QByteArray("BM\x10\0\0\0", 6), png, QByteArray()}) {
        gfx::Picture picture;
        EXPECT_THROW(picture.LoadFromFile(Write("bad.bmp", bad)), gfx::EInvalidGraphic);
        EXPECT_EQ(picture.GetGraphic(), nullptr);
    }
}

TEST_F(QtFiles, IconsBlendTheirAlphaOverTheCanvas) {
    QImage icon(4, 2, QImage::Format_ARGB32);
    icon.fill(qRgba(255, 0, 0, 255));
    icon.setPixel(1, 0, qRgba(0, 0, 0, 0));
    icon.setPixel(2, 0, qRgba(0, 0, 255, 128));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "ico").write(icon));

    gfx::Picture picture;
    picture.LoadFromFile(Write("app.ico", bytes));
    ASSERT_EQ(picture.GetGraphic()->ClassName(), "TIcon");
    ASSERT_EQ(picture.Width(), 4);
    Bitmap white(4, 2);
    white.GetCanvas().FillRect({0, 0, 4, 2});
    white.GetCanvas().StretchDraw({0, 0, 4, 2}, *picture.GetGraphic());
    EXPECT_EQ(white.Pixel(0, 0), gfx::RGB(255, 0, 0));
    EXPECT_EQ(white.Pixel(1, 0), gfx::clWhite);
    EXPECT_EQ(white.Pixel(2, 0), gfx::RGB(127, 127, 255));

    // Reversed edges mirror the icon.
    white.GetCanvas().FillRect({0, 0, 4, 2});
    white.GetCanvas().StretchDraw({4, 0, 0, 2}, *picture.GetGraphic());
    EXPECT_EQ(white.Pixel(2, 0), gfx::clWhite);
    EXPECT_EQ(white.Pixel(1, 0), gfx::RGB(127, 127, 255));

    Bitmap assigned;
    assigned.Assign(picture.GetGraphic());
    EXPECT_EQ(assigned.Pixel(1, 0), gfx::clWhite) << "an icon becomes a bitmap drawn on white";
}

}  // namespace

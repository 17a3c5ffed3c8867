// The clipboard bridge: offers of other programs turned into packed DIBs the
// engine reads, and drawings picked out for the metafile road.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QMimeData>

#include <cstring>

#include "codecs/colour/as_shown.h"
#include "dib/kvdib.h"
#include "gfx/bitmap.h"
#include "gfx/exceptions.h"
#include "gfx/qt/qimage_bridge.h"
#include "gfx/stream.h"
#include "session/clipboard_offer.h"
#include "tests/app/test_pictures.h"

namespace gfx {
namespace {

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

// A wide picture is composed in several bands of rows; every row lands where one
// pass over the whole picture would put it, half-transparent pixels blended alike.
TEST(ClipboardBridge, AWidePictureComposedInBandsMatchesOnePassOnWhite) {
    const int w = 1 << 19, h = 5;
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) row[x] = qRgba(x * 7 + y, y * 50, x * 3, (x * 13 + y * 29) % 256);
    }
    const std::unique_ptr<gfx::Bitmap> whole = gfx::FromQImage32(image);
    gfx::ComposeOnWhite(*whole);
    const std::vector<uint8_t> packed = PackedDIBFromImage(image);
    const size_t stride = static_cast<size_t>(w) * 3;
    ASSERT_EQ(packed.size(), 40 + stride * h);
    for (int y = 0; y < h; ++y) {
        const uint8_t* expected = whole->ScanLine(y);
        const uint8_t* got = packed.data() + 40 + stride * static_cast<size_t>(h - 1 - y);
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) ASSERT_EQ(got[3 * x + c], expected[4 * x + c]) << x << "," << y << "," << c;
    }
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

// Another program's PNG is read by the bridge's own guarded reader, not by
// the mime data's image, which would hand libpng the 1.9 GB the chunk claims.
TEST(ClipboardBridge, APngOfferWithAChunkPastItsEndIsRefused) {
    const QByteArray text("Comment\0x", 9);
    QMimeData offer;
    offer.setData(QStringLiteral("image/png"), morvi::test::PngWithText(text, 1953038373u));
    MimeClipboardSource source(&offer);
    EXPECT_TRUE(source.HasFormat(gfx::CF_DIB));
    EXPECT_THROW(source.GetData(gfx::CF_DIB), gfx::EInvalidGraphic);

    QMimeData sound;
    sound.setData(QStringLiteral("image/png"), morvi::test::PngWithText(text, static_cast<uint32_t>(text.size())));
    const auto packed = MimeClipboardSource(&sound).GetData(gfx::CF_DIB);
    ASSERT_TRUE(packed);
    EXPECT_EQ(packed->size(), 40u + 4u * 12u);
}

// A picture this process put on the clipboard itself comes through its image.
TEST(ClipboardBridge, AnImageOfThisProcessIsTaken) {
    QMimeData own;
    own.setImageData(Pattern(3, 2));
    const auto packed = MimeClipboardSource(&own).GetData(gfx::CF_DIB);
    ASSERT_TRUE(packed);
    EXPECT_EQ(packed->size(), 40u + 2u * 12u);
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

}  // namespace
}  // namespace gfx

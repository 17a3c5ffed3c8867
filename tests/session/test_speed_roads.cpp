// The faster roads of the session give the results of the plain ones: a picture
// passed through the engine comes out as the engine's own round trip would give
// it, a batch file read at a reduced scale is within the JPEG's own error of the
// whole road, and a batch gives the same bytes on one thread or several.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <vector>

#include "codecs/jpeg.h"
#include "dib/kvdib.h"
#include "gfx/bitmap.h"
#include "gfx/parallel.h"
#include "gfx/picture.h"
#include "gfx/safe_save.h"
#include "gfx/stream.h"
#include "session/batch_step.h"
#include "session/dib_normalise.h"
#include "session/picture_session.h"
#include "tests/app/test_pictures.h"

namespace morvi {
namespace {

// Smooth fields, edges and fine grain, coded like a photo.
std::unique_ptr<gfx::Bitmap> Photo(int32_t w, int32_t h) {
    auto photo = std::make_unique<gfx::Bitmap>(w, h, gfx::PixelFormat::pf32bit);
    uint32_t noise = 99;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = photo->ScanLine(y);
        for (int32_t x = 0; x < w; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>((noise >> 16) & 15) - 8;
            const double wave = 60 * std::sin(x / 37.0) * std::cos(y / 53.0);
            row[4 * x + 0] = static_cast<uint8_t>(std::clamp(100 + static_cast<int>(wave) + grain, 0, 255));
            row[4 * x + 1] = static_cast<uint8_t>(std::clamp(x * 255 / w + grain, 0, 255));
            row[4 * x + 2] = static_cast<uint8_t>(((x / 91 + y / 67) % 2) ? 200 + grain : 40 + grain);
            row[4 * x + 3] = 0xFF;
        }
    }
    return photo;
}

std::unique_ptr<gfx::Bitmap> ReadBack(const QString& path) {
    const std::vector<uint8_t> bytes = gfx::ReadWholeFile(QFile::encodeName(path).toStdString());
    return gfx::ReadJpeg(bytes.data(), bytes.size());
}

double Psnr(const gfx::Bitmap& a, const gfx::Bitmap& b) {
    double sum = 0;
    for (int32_t y = 0; y < a.Height(); ++y)
        for (int32_t x = 0; x < a.Width(); ++x) {
            const gfx::Color p = a.Pixel(x, y), q = b.Pixel(x, y);
            for (int shift : {0, 8, 16}) {
                const double d = static_cast<double>((p >> shift) & 0xFF) - static_cast<double>((q >> shift) & 0xFF);
                sum += d * d;
            }
        }
    const double mse = sum / (3.0 * a.Width() * a.Height());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

class SpeedRoads : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::RegisterPictureKinds(); }
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        photo_ = dir_.filePath(QStringLiteral("photo.jpg"));
        const auto photo = Photo(1600, 1200);
        gfx::SaveFileAtomically(QFile::encodeName(photo_).toStdString(),
                                [&photo](gfx::Stream& out) { gfx::WriteJpeg(*photo, out, 90); });
    }
    QTemporaryDir dir_;
    QString photo_;
};

TEST_F(SpeedRoads, ADevicePictureComesThroughTheEngineAsTheEnginesRoundTripGivesIt) {
    const std::unique_ptr<gfx::Bitmap> photo = Photo(333, 211);
    gfx::Picture direct;
    direct.Assign(*photo);
    NormaliseThroughDIB(direct);
    gfx::Bitmap engine;
    {
        kvdib::TKvDIB dib;
        dib.Assign(photo.get());
        dib.AssignTo(engine);
    }
    const gfx::Bitmap& got = direct.GetBitmap();
    ASSERT_EQ(got.Format(), engine.Format());
    ASSERT_EQ(got.Width(), engine.Width());
    ASSERT_EQ(got.Height(), engine.Height());
    EXPECT_EQ(static_cast<bool>(got.GetPalette()), static_cast<bool>(engine.GetPalette()));
    for (int32_t y = 0; y < got.Height(); ++y)
        ASSERT_EQ(std::memcmp(got.ScanLine(y), engine.ScanLine(y), gfx::RowBytes(got.Format(), got.Width())), 0) << y;
}

TEST_F(SpeedRoads, ABatchFileReadAtAReducedScaleStaysWithinTheJpegsError) {
    struct Case {
        int position;            // magnification
        int32_t width, height;   // the output size it gives for 1600 x 1200
        int32_t readWidth;       // the width it is decoded at
    };
    for (const Case& c : {Case{-2, 800, 600, 800}, Case{-3, 660, 490, 1000}, Case{-6, 470, 350, 600},
                          Case{-8, 400, 300, 400}, Case{-9, 380, 290, 600}, Case{-10, 360, 270, 600},
                          Case{-1, 1140, 850, 1600}}) {
        const auto outputFor = [&](int32_t width, int32_t height) {
            return PictureSession::BatchOutputSize(c.position, QStringLiteral("0"), QStringLiteral("0"), width, height);
        };
        // The batch's road: read no larger than the output needs.
        PictureSession batch;
        batch.LoadForBatch(photo_, outputFor);
        EXPECT_EQ(batch.State().PictureWidth, 1600) << "the picture's own size is kept for the rules";
        EXPECT_EQ(batch.State().SourcePicture->Width(), c.readWidth) << "magnification position " << c.position;
        const Output reduced = batch.Compose(c.width, c.height);
        // The whole road: read whole, then reduced area by area.
        PictureSession whole;
        whole.Load(photo_, true);
        const Output reference = whole.Compose(c.width, c.height);
        ASSERT_NE(reduced.bitmap, nullptr);
        ASSERT_NE(reference.bitmap, nullptr);
        EXPECT_GE(Psnr(*reduced.bitmap, *reference.bitmap), 40.0) << "magnification position " << c.position;
        // The batch step itself writes that size.
        BatchSettings settings;
        settings.position = c.position;
        settings.outputFolder = dir_.filePath(QStringLiteral("out"));
        QDir().mkpath(settings.outputFolder);
        const BatchResult result = batch.BatchStep(photo_, settings);
        EXPECT_EQ(result.width, c.width) << c.position;
        EXPECT_EQ(result.height, c.height) << c.position;
        EXPECT_EQ(ReadBack(result.written)->Width(), c.width);
        // After it, the session can hold the picture at its own size again.
        EXPECT_EQ(batch.CompleteBatchPicture(), c.readWidth < 1600);
        EXPECT_EQ(batch.State().SourcePicture->Width(), 1600);
        EXPECT_FALSE(batch.CompleteBatchPicture());
    }
}

TEST_F(SpeedRoads, ABatchWritesTheSameBytesOnOneThreadOrSeveral) {
    const int threads = gfx::RowThreads();
    QByteArray written[2];
    for (int i = 0; i < 2; ++i) {
        gfx::SetRowThreads(i == 0 ? 1 : 4);
        for (const int position : {-2, -1, 1}) {
            BatchSettings settings;
            settings.position = position;
            settings.outputFolder = dir_.filePath(QStringLiteral("threads%1").arg(i));
            QDir().mkpath(settings.outputFolder);
            PictureSession session;
            written[i] += test::ReadBytes(session.BatchStep(photo_, settings).written);
        }
    }
    gfx::SetRowThreads(threads);
    EXPECT_FALSE(written[0].isEmpty());
    EXPECT_EQ(written[0], written[1]);
}

}  // namespace
}  // namespace morvi

// Metafiles exported by Inkscape from drawings of our own, compared with
// Inkscape's PNG rendering of the same drawing (tests/data/metafile/README.txt).
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "gfx/exceptions.h"
#include "gfx/stream.h"
#include "metafile/metafile.h"

namespace {

struct RealFile {
    const char* name;
    int width;
    int height;
    // Antialiasing differs between the two renderers along every edge and glyph;
    // a floor of this many dB still fails on a misplaced or missing shape.
    double minPsnr;
};
void PrintTo(const RealFile& value, std::ostream* out) { *out << value.name; }

std::string DataPath(const std::string& name) { return std::string(MORVI_SOURCE_DIR) + "/tests/data/metafile/" + name; }

// PSNR over the reference's area (the EMF frames are rounded up to whole
// millimetres by the exporter, so their pictures are a pixel or two larger).
double Psnr(const QImage& image, const QImage& reference) {
    double sum = 0;
    for (int y = 0; y < reference.height(); ++y)
        for (int x = 0; x < reference.width(); ++x) {
            const QRgb a = image.pixel(x, y), b = reference.pixel(x, y);
            const double dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
            sum += dr * dr + dg * dg + db * db;
        }
    const double mse = sum / (3.0 * reference.width() * reference.height());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

class RealFileTest : public ::testing::TestWithParam<RealFile> {};

TEST_P(RealFileTest, SizeAndRenderingMatchTheExporter) {
    const RealFile& file = GetParam();
    gfx::MetafileGraphic graphic;
    gfx::FileStream stream(DataPath(file.name), gfx::FileStream::Mode::Read);
    graphic.LoadFromStream(stream);
    EXPECT_EQ(graphic.Width(), file.width);
    EXPECT_EQ(graphic.Height(), file.height);

    QImage image(graphic.Width(), graphic.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        graphic.Paint(painter, QRectF(0, 0, image.width(), image.height()));
    }
    std::string png = file.name;
    png.replace(png.size() - 3, 3, "png");
    const QImage reference = QImage(QString::fromStdString(DataPath(png))).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(reference.isNull());
    ASSERT_LE(reference.width(), image.width());
    ASSERT_LE(reference.height(), image.height());
    EXPECT_GE(Psnr(image, reference), file.minPsnr) << file.name;
}

INSTANTIATE_TEST_SUITE_P(Inkscape, RealFileTest,
                         ::testing::Values(RealFile{"shapes.wmf", 240, 160, 35}, RealFile{"shapes.emf", 242, 162, 26},
                                           RealFile{"text.wmf", 320, 120, 32}, RealFile{"text.emf", 321, 121, 29},
                                           RealFile{"image.wmf", 200, 150, 40}, RealFile{"image.emf", 200, 151, 38}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (c == '.') c = '_';
                             return name;
                         });

TEST(RealFile, SavingWritesTheFileUnchanged) {
    for (const char* name : {"shapes.wmf", "text.emf"}) {
        const auto original = gfx::ReadWholeFile(DataPath(name));
        gfx::MetafileGraphic graphic;
        graphic.LoadFromBytes(original);
        gfx::MemoryStream out;
        graphic.SaveToStream(out);
        EXPECT_EQ(out.Bytes(), original) << name;
        auto copy = graphic.Clone();
        EXPECT_EQ(copy->Width(), graphic.Width());
        EXPECT_EQ(copy->ClassName(), "TMetafile");
    }
}

}  // namespace

namespace {

TEST(RealFile, ClipboardFormatsCarryTheFileBytes) {
    struct Case {
        uint16_t format;
        const char* name;
        bool accepted;
    };
    const Case cases[] = {{14, "text.emf", true}, {3, "shapes.wmf", true}, {8, "shapes.wmf", false}};
    for (const Case& c : cases) {
        const auto bytes = gfx::ReadWholeFile(DataPath(c.name));
        gfx::MetafileGraphic graphic;
        if (c.accepted) {
            graphic.LoadFromClipboardFormat(c.format, &bytes, nullptr);
            EXPECT_FALSE(graphic.Empty()) << c.name;
        } else {
            EXPECT_THROW(graphic.LoadFromClipboardFormat(c.format, &bytes, nullptr), gfx::EInvalidGraphic);
        }
    }
}

}  // namespace

// The kinds read through Qt's readers, the image formats plugins and libheif:
// each opens at its size with its pixels, a stored orientation comes out
// upright, a tagged picture comes out in sRGB as LittleCMS's own tools convert
// it, transparency is composed on white exactly, and broken or oversized files
// are refused with a message that says so.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "codecs/colour/embedded_look.h"
#include "codecs/decoded_picture.h"
#include "codecs/jpeg.h"
#include "gfx/bitmap.h"
#include "gfx/exceptions.h"
#include "gfx/picture.h"
#include "gfx/pixel_budget.h"
#include "gfx/qt/qimage_bridge.h"
#include "tests/app/picture_kinds.h"
#include "tests/app/test_pictures.h"

namespace {

using namespace morvi::test;

class NewKinds : public ::testing::Test {
protected:
    void SetUp() override {
        // Not the engine's dib kind: the registration order test above counts kinds.
        gfx::RegisterStandardFormats();
        ASSERT_TRUE(dir_.isValid());
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    // The picture as the session takes it: the graphic drawn as a bitmap.
    static QImage Load(const QString& path) {
        gfx::Picture picture;
        picture.LoadFromFile(QFile::encodeName(path).toStdString());
        gfx::Bitmap bitmap;
        picture.GetGraphic()->AssignTo(bitmap);
        return gfx::ToQImage(bitmap);
    }
    QTemporaryDir dir_;
};

int Distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

void ExpectCorners(const QImage& image, int w, int h, int tolerance, const QString& what) {
    ASSERT_EQ(image.size(), QSize(w, h)) << what.toStdString();
    const QPoint corners[4] = {{2, 2}, {w - 3, 2}, {2, h - 3}, {w - 3, h - 3}};
    for (int i = 0; i < 4; ++i)
        EXPECT_LE(Distance(image.pixel(corners[i]), kCornerColours[i]), tolerance) << what.toStdString() << " corner " << i;
}

struct KindCase {
    const char* file;
    bool lossy;
    int tolerance;  // per channel, for the lossy coders
};

const KindCase kKinds[] = {
    {"a.png", false, 0}, {"a.gif", false, 0},  {"a.tif", false, 0},  {"a.tiff", false, 0},
    {"a.webp", false, 0}, {"b.webp", true, 12}, {"a.heic", true, 12}, {"a.avif", true, 12},
};

TEST_F(NewKinds, EachKindOpensAtItsSizeWithItsPixels) {
    for (const KindCase& c : kKinds) {
        const QString path = Path(c.file);
        ASSERT_TRUE(WriteKind(path, CornerMarks(48, 32), c.lossy)) << c.file;
        const QImage image = Load(path);
        ExpectCorners(image, 48, 32, c.tolerance, c.file);
    }
}

TEST_F(NewKinds, OpaquePicturesComeThroughPixelForPixel) {
    QImage noise(37, 23, QImage::Format_RGB32);
    uint32_t seed = 12345;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            noise.setPixel(x, y, 0xFF000000u | (seed >> 8));
        }
    for (const char* file : {"n.png", "n.tif", "n.webp"}) {
        ASSERT_TRUE(WriteKind(Path(file), noise)) << file;
        const QImage image = Load(Path(file));
        ASSERT_EQ(image.size(), noise.size()) << file;
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                ASSERT_EQ(image.pixel(x, y), noise.pixel(x, y)) << file << " " << x << "," << y;
    }
}

TEST_F(NewKinds, TransparencyIsComposedOnWhiteExactly) {
    // (colour, alpha) -> the colour on white, rounded to the nearest value.
    struct Case {
        QRgb argb;
        QRgb expected;
    };
    const Case cases[] = {
        {qRgba(255, 0, 0, 128), qRgb(255, 127, 127)},  // 255 * 127 / 255 = 127 exactly
        {qRgba(0, 0, 0, 0), qRgb(255, 255, 255)},
        {qRgba(10, 20, 30, 255), qRgb(10, 20, 30)},
        {qRgba(0, 100, 200, 1), qRgb(254, 255, 255)},
        {qRgba(50, 150, 250, 77), qRgb(193, 223, 253)},
    };
    QImage image(static_cast<int>(std::size(cases)), 1, QImage::Format_ARGB32);
    for (int i = 0; i < image.width(); ++i) image.setPixel(i, 0, cases[i].argb);
    for (const char* file : {"t.png", "t.webp", "t.tif"}) {
        ASSERT_TRUE(WriteKind(Path(file), image)) << file;
        const QImage loaded = Load(Path(file));
        for (int i = 0; i < image.width(); ++i) {
            const QRgb c = cases[i].argb;
            const int a = qAlpha(c);
            auto on = [a](int v) { return (v * a + 255 * (255 - a) + 127) / 255; };
            EXPECT_EQ(loaded.pixel(i, 0), qRgb(on(qRed(c)), on(qGreen(c)), on(qBlue(c)))) << file << " " << i;
        }
    }
}

TEST_F(NewKinds, TransparentGifIsOnWhite) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 0));
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 16; ++y) image.setPixel(x, y, qRgb(0, 0, 255));
    ASSERT_TRUE(WriteKind(Path("t.gif"), image));
    const QImage loaded = Load(Path("t.gif"));
    EXPECT_EQ(loaded.pixel(2, 2), qRgb(0, 0, 255));
    EXPECT_EQ(loaded.pixel(12, 2), qRgb(255, 255, 255));
}

TEST_F(NewKinds, EveryOrientationComesOutUpright) {
    const QImage upright = CornerMarks(64, 32);
    for (const char* kind : {"jpg", "png", "tif", "webp"}) {
        for (int n = 1; n <= 8; ++n) {
            const QString path = Path(QStringLiteral("o%1.%2").arg(n).arg(kind));
            ASSERT_TRUE(WriteKind(path, StoredFor(upright, n)));
            ASSERT_TRUE(SetOrientation(path, n)) << kind << n;
            ExpectCorners(Load(path), 64, 32, 12, QStringLiteral("%1 orientation %2").arg(kind).arg(n));
        }
    }
}

TEST_F(NewKinds, AJpegReadSmallerIsAskedAndGivenItsUprightSize) {
    const QString path = Path("side.jpg");
    ASSERT_TRUE(WriteKind(path, StoredFor(CornerMarks(256, 512), 6)));
    ASSERT_TRUE(SetOrientation(path, 6));
    const QByteArray bytes = ReadBytes(path);
    gfx::Size asked;
    const auto decoded = gfx::ReadJpeg(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()),
                                       [&](int32_t width, int32_t height) {
                                           asked = {width, height};
                                           return gfx::Size{64, 128};
                                       });
    EXPECT_EQ(asked, (gfx::Size{256, 512}));
    EXPECT_EQ(decoded->Width(), 64) << "a quarter of the upright width";
    EXPECT_EQ(decoded->Height(), 128);
    ExpectCorners(gfx::ToQImage(*decoded), 64, 128, 16, "reduced");
}

TEST_F(NewKinds, HeifTransformationsComeOutUprightOnce) {
    // heif-enc stores the picture as it is; an EXIF orientation inside a HEIF
    // only repeats the file's own transformations and is not applied.
    ASSERT_TRUE(WriteKind(Path("p.heic"), CornerMarks(48, 32)));
    ExpectCorners(Load(Path("p.heic")), 48, 32, 12, "heic");
}

// Our conversion against LittleCMS's own tool for the same file, colour by colour.
void ExpectCloseToReference(const QImage& ours, const QImage& reference, const char* what) {
    ASSERT_EQ(ours.size(), reference.size()) << what;
    double worst = 0;
    QPoint where;
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const double e = DeltaE2000(ours.pixel(x, y), reference.pixel(x, y));
            if (e > worst) worst = e, where = QPoint(x, y);
        }
    EXPECT_LE(worst, 1.0) << what << " at " << where.x() << "," << where.y() << ": "
                          << std::hex << ours.pixel(where) << " against " << reference.pixel(where);
}

TEST_F(NewKinds, TaggedPicturesComeOutAsLittleCmsConvertsThem) {
    if (!HaveTool("tificc") || !HaveTool("jpgicc")) GTEST_SKIP() << "liblcms2-utils is not installed";
    const QImage field = ColourField(64, 48);
    struct Profile {
        const char* name;
        std::vector<uint8_t> icc;
    };
    const Profile profiles[] = {{"p3", DisplayP3Profile()}, {"adobe", AdobeRgbProfile()}};
    for (const Profile& profile : profiles) {
        // TIFF: lossless on both sides.
        const QString tif = Path(QStringLiteral("%1.tif").arg(profile.name));
        ASSERT_TRUE(WriteFile(tif, Encoded(field, "tiff")));
        ASSERT_TRUE(EmbedProfile(tif, profile.icc));
        const QString tifOut = Path(QStringLiteral("%1-ref.tif").arg(profile.name));
        ASSERT_TRUE(RunTool("tificc", {"-t1", "-b", "-o*sRGB", tif, tifOut})) << profile.name;
        ExpectCloseToReference(Load(tif), Load(tifOut), profile.name);
        // The tagged colours really differ from the untagged ones.
        const QImage ours = Load(tif);
        double largest = 0;
        for (int y = 0; y < field.height(); ++y)
            for (int x = 0; x < field.width(); ++x) largest = std::max(largest, DeltaE2000(ours.pixel(x, y), field.pixel(x, y)));
        EXPECT_GT(largest, 5.0) << profile.name;

        // JPEG: jpgicc codes its result anew, with losses of its own; the
        // reference is therefore tificc's conversion of the very pixels the
        // JPEG decodes to, read from a copy without the profile.
        const QString jpg = Path(QStringLiteral("%1.jpg").arg(profile.name));
        ASSERT_TRUE(WriteFile(jpg, Encoded(field, "jpeg", 100)));
        const QImage decoded = Load(jpg);
        ASSERT_TRUE(EmbedProfile(jpg, profile.icc));
        const QString decodedTif = Path(QStringLiteral("%1-decoded.tif").arg(profile.name));
        ASSERT_TRUE(WriteFile(decodedTif, Encoded(decoded, "tiff")));
        ASSERT_TRUE(EmbedProfile(decodedTif, profile.icc));
        const QString jpgReference = Path(QStringLiteral("%1-jpg-ref.tif").arg(profile.name));
        ASSERT_TRUE(RunTool("tificc", {"-t1", "-b", "-o*sRGB", decodedTif, jpgReference})) << profile.name;
        ExpectCloseToReference(Load(jpg), Load(jpgReference), profile.name);
        // jpgicc itself reads the same profile from the JPEG: its result is near ours.
        const QString jpgOut = Path(QStringLiteral("%1-ref.jpg").arg(profile.name));
        ASSERT_TRUE(RunTool("jpgicc", {"-t1", "-b", "-q100", "-o*sRGB", jpg, jpgOut})) << profile.name;
        EXPECT_LE(DeltaE2000(Load(jpg).pixel(10, 40), Load(jpgOut).pixel(10, 40)), 2.0) << profile.name;
    }
}

TEST_F(NewKinds, AnAvifDescribedAsDisplayP3ComesOutAsLittleCmsConvertsIt) {
    if (!HaveTool("tificc") || !HaveTool("avifenc")) GTEST_SKIP() << "liblcms2-utils or libavif-bin is not installed";
    // The same pixels coded twice, once described as sRGB and once as Display P3
    // (colour primaries 12, the sRGB curve): only the description differs.
    const QString png = Path("field.png");
    ASSERT_TRUE(WriteFile(png, Encoded(ColourField(64, 48), "png")));
    const QString srgb = Path("srgb.avif"), p3 = Path("p3.avif");
    ASSERT_TRUE(RunTool("avifenc", {"-s", "10", "--min", "2", "--max", "2", "--cicp", "1/13/6", png, srgb}));
    ASSERT_TRUE(RunTool("avifenc", {"-s", "10", "--min", "2", "--max", "2", "--cicp", "12/13/6", png, p3}));
    const QString decodedTif = Path("decoded.tif");
    ASSERT_TRUE(WriteFile(decodedTif, Encoded(Load(srgb), "tiff")));
    ASSERT_TRUE(EmbedProfile(decodedTif, DisplayP3Profile()));
    const QString reference = Path("reference.tif");
    ASSERT_TRUE(RunTool("tificc", {"-t1", "-b", "-o*sRGB", decodedTif, reference}));
    ExpectCloseToReference(Load(p3), Load(reference), "nclx p3");
}

TEST_F(NewKinds, UntaggedAndSrgbLookReadsNothing) {
    ASSERT_TRUE(WriteKind(Path("u.png"), CornerMarks(16, 16)));
    const QByteArray bytes = ReadBytes(Path("u.png"));
    const gfx::EmbeddedLook look = gfx::ReadEmbeddedLook(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())));
    EXPECT_EQ(look.orientation, gfx::kUpright);
    EXPECT_TRUE(look.iccProfile.empty());
}

TEST_F(NewKinds, LossyCodingIsKnown) {
    for (const KindCase& c : kKinds) {
        const QString path = Path(QStringLiteral("l-") + c.file);
        ASSERT_TRUE(WriteKind(path, CornerMarks(32, 32), c.lossy)) << c.file;
        gfx::Picture picture;
        picture.LoadFromFile(QFile::encodeName(path).toStdString());
        const auto* decoded = dynamic_cast<const gfx::DecodedPicture*>(picture.GetGraphic());
        ASSERT_NE(decoded, nullptr) << c.file;
        EXPECT_EQ(decoded->Lossy(), c.lossy) << c.file;
    }
}

// A little-endian TIFF whose one directory claims width x height pixels of 8-bit grey.
QByteArray TiffClaiming(uint32_t width, uint32_t height) {
    QByteArray t("II*\0\x08\0\0\0", 8);
    auto put16 = [&t](uint16_t v) { t.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8)); };
    auto put32 = [&t](uint32_t v) {
        for (int i = 0; i < 4; ++i) t.append(static_cast<char>(v >> (8 * i)));
    };
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        put16(tag);
        put16(type);
        put32(1);
        put32(value);
    };
    put16(7);
    entry(256, 4, width);
    entry(257, 4, height);
    entry(258, 3, 8);
    entry(259, 3, 1);
    entry(262, 3, 1);
    entry(273, 4, 8 + 2 + 7 * 12 + 4);
    entry(279, 4, 16);
    put32(0);
    t.append(QByteArray(16, '\0'));
    return t;
}

// A GIF whose screen and first image claim width x height.
QByteArray GifClaiming(uint16_t width, uint16_t height) {
    QByteArray g("GIF89a", 6);
    auto put16 = [&g](uint16_t v) { g.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8)); };
    put16(width);
    put16(height);
    g.append("\x80\0\0", 3).append(QByteArray("\0\0\0\xFF\xFF\xFF", 6));
    g.append(',');
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    g.append('\0').append("\x02\x02\x44\x01\0;", 6);
    return g;
}

// A WebP whose extended header claims a canvas of width x height.
QByteArray WebpClaiming(uint32_t width, uint32_t height, const QByteArray& small) {
    QByteArray vp8x("VP8X\x0a\0\0\0\0\0\0\0", 12);
    for (int i = 0; i < 3; ++i) {
        vp8x.append(static_cast<char>((width - 1) >> (8 * i)));
    }
    for (int i = 0; i < 3; ++i) vp8x.append(static_cast<char>((height - 1) >> (8 * i)));
    QByteArray body = QByteArray("WEBP") + vp8x + small.mid(12);
    QByteArray file("RIFF", 4);
    const uint32_t size = static_cast<uint32_t>(body.size());
    for (int i = 0; i < 4; ++i) file.append(static_cast<char>(size >> (8 * i)));
    return file + body;
}

// A HEIC made by heif-enc whose image size box claims width x height.
QByteArray HeifClaiming(const QByteArray& heic, uint32_t width, uint32_t height) {
    QByteArray patched = heic;
    qsizetype at = 0;
    while ((at = patched.indexOf("ispe", at)) >= 0) {
        for (int i = 0; i < 4; ++i) {
            patched[at + 8 + i] = static_cast<char>(width >> (24 - 8 * i));
            patched[at + 12 + i] = static_cast<char>(height >> (24 - 8 * i));
        }
        at += 4;
    }
    return patched;
}

TEST_F(NewKinds, OversizedPicturesAreRefusedFromTheirHeaders) {
    ASSERT_TRUE(WriteKind(Path("s.webp"), CornerMarks(16, 16)));
    ASSERT_TRUE(WriteKind(Path("s.heic"), CornerMarks(64, 64)));
    struct Case {
        const char* file;
        QByteArray bytes;
        bool budget;  // refused by the pixel budget, not by the reader itself
    };
    const Case cases[] = {
        {"big.png", PngClaiming(20000, 20000), true},
        {"big.gif", GifClaiming(65535, 65535), true},
        {"big.tif", TiffClaiming(100000, 100000), true},
        {"big.heic", HeifClaiming(ReadBytes(Path("s.heic")), 30000, 30000), true},
        // A WebP frame has at most 16384 pixels a side, the budget itself; a
        // larger canvas around one frame is refused by libwebp.
        {"big.webp", WebpClaiming(16000000, 20000, ReadBytes(Path("s.webp"))), false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFile(Path(c.file), c.bytes));
        try {
            Load(Path(c.file));
            ADD_FAILURE() << c.file << " was read";
        } catch (const gfx::EPictureTooLarge& e) {
            EXPECT_TRUE(c.budget) << c.file << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find("Picture is too large"), std::string::npos) << c.file << ": " << e.what();
        } catch (const gfx::EInvalidGraphic& e) {
            EXPECT_FALSE(c.budget) << c.file << ": " << e.what();
        }
    }
}

// libpng allocates what a text chunk claims before reading it: a few hundred
// bytes claiming 1.9 GB are refused before the reader runs, while a chunk that
// is all there is read past as before.
TEST_F(NewKinds, APngChunkClaimingMoreThanTheFileHoldsIsRefusedUpFront) {
    const QByteArray text("Comment\0a picture with a remark", 32);
    ASSERT_TRUE(WriteFile(Path("remark.png"), PngWithText(text, static_cast<uint32_t>(text.size()))));
    const QImage remark = Load(Path("remark.png"));
    EXPECT_EQ(remark.size(), QSize(4, 4));
    EXPECT_EQ(remark.pixel(3, 3), qRgb(255, 0, 0));

    ASSERT_TRUE(WriteFile(Path("claims.png"), PngWithText(text, 1953038373u)));
    try {
        Load(Path("claims.png"));
        ADD_FAILURE() << "a PNG claiming a 1.9 GB chunk was read";
    } catch (const gfx::EInvalidGraphic& e) {
        EXPECT_NE(std::string(e.what()).find("PNG data is broken"), std::string::npos) << e.what();
    }
}

TEST_F(NewKinds, BrokenFilesAreRefusedWithTheReadersReason) {
    for (const KindCase& c : kKinds) {
        const QString good = Path(QStringLiteral("g-") + c.file);
        ASSERT_TRUE(WriteKind(good, CornerMarks(64, 64), c.lossy)) << c.file;
        const QByteArray bytes = ReadBytes(good);
        struct Damage {
            const char* name;
            QByteArray bytes;
        };
        // Qt's GIF reader shows the rows that arrived, as browsers do; a GIF cut
        // inside its picture data is therefore cut inside its header here.
        const bool gif = QString::fromUtf8(c.file).endsWith(QLatin1String(".gif"));
        const Damage damages[] = {
            {"empty", QByteArray()},
            {"text", QByteArray("this is not a picture at all\n")},
            {"cut", bytes.left(gif ? 10 : bytes.size() / 4)},
        };
        for (const Damage& d : damages) {
            const QString path = Path(QStringLiteral("%1-%2").arg(d.name).arg(c.file));
            ASSERT_TRUE(WriteFile(path, d.bytes));
            try {
                Load(path);
                ADD_FAILURE() << c.file << " (" << d.name << ") was read";
            } catch (const gfx::EInvalidGraphic& e) {
                EXPECT_FALSE(std::string(e.what()).empty());
            } catch (const std::exception& e) {
                ADD_FAILURE() << c.file << " (" << d.name << "): " << e.what();
            }
        }
    }
}

}  // namespace

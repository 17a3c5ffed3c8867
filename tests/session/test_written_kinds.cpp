// The kinds besides the first six through the session: each opens by the
// dialog's, the drop's and the batch's load at its upright size; a save or a
// batch writes a PNG, WebP or TIFF source back in its own kind and every kind
// the program cannot write as a .bmp beside it; a WebP is coded as its source
// was; and nothing written carries a profile or the camera's metadata.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "codecs/colour/embedded_look.h"
#include "codecs/webp.h"
#include "session/batch_step.h"
#include "session/picture_session.h"
#include "session/save_names.h"
#include "tests/app/picture_kinds.h"
#include "tests/app/test_pictures.h"

namespace morvi {
namespace {

using namespace morvi::test;

class WrittenKinds : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterPictureKinds(); }
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString Make(const QString& name, int w = 64, int h = 32, bool lossy = false) const {
        const QString path = Path(name);
        EXPECT_TRUE(WriteKind(path, CornerMarks(w, h), lossy)) << name.toStdString();
        return path;
    }
    QTemporaryDir dir_;
    PictureSession session_;
};

std::span<const uint8_t> Bytes(const QByteArray& bytes) {
    return {reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())};
}

// The kind a file's first bytes say.
std::optional<SaveType> KindOfBytes(const QByteArray& b) {
    if (b.startsWith("BM")) return SaveType::Bmp;
    if (b.startsWith("\xFF\xD8")) return SaveType::Jpeg;
    if (b.startsWith("\x89PNG")) return SaveType::Png;
    if (b.startsWith("RIFF") && b.mid(8, 4) == "WEBP") return SaveType::Webp;
    if (b.startsWith(QByteArray("II*\0", 4)) || b.startsWith(QByteArray("MM\0*", 4))) return SaveType::Tiff;
    return std::nullopt;
}

TEST(WrittenKindNames, TheNameSaysTheKindOrTheFileBecomesABmp) {
    struct Case {
        const char* name;
        SaveType type;
        bool bmpName;
    };
    const Case cases[] = {
        {"/p/a.png", SaveType::Png, false},   {"/p/a.PNG", SaveType::Png, false},   {"/p/a.webp", SaveType::Webp, false},
        {"/p/a.tif", SaveType::Tiff, false},  {"/p/a.TIFF", SaveType::Tiff, false}, {"/p/a.gif", SaveType::Bmp, true},
        {"/p/a.heic", SaveType::Bmp, true},   {"/p/a.heif", SaveType::Bmp, true},   {"/p/a.avif", SaveType::Bmp, true},
        {"/p/a.jpeg", SaveType::Bmp, true},   {"/p/a.jpg", SaveType::Jpeg, false},  {"/p/a.bmp", SaveType::Bmp, false},
        {"/p.png/a", SaveType::Bmp, true},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(SaveTypeForName(name), c.type) << c.name;
        EXPECT_EQ(NeedsBmpName(name), c.bmpName) << c.name;
    }
}

TEST(WrittenKindNames, ANameKeepsItsExtensionOnlyForItsOwnKind) {
    struct Case {
        const char* name;
        SaveType type;
        const char* target;
    };
    const Case cases[] = {
        {"/p/a.tiff", SaveType::Tiff, "/p/a.tiff"}, {"/p/a.TIF", SaveType::Tiff, "/p/a.TIF"},
        {"/p/a.png", SaveType::Webp, "/p/a.webp"},  {"/p/a.webp", SaveType::Png, "/p/a.png"},
        {"/p/a.gif", SaveType::Png, "/p/a.png"},    {"/p/a.jpeg", SaveType::Jpeg, "/p/a.jpg"},
        {"/p/a", SaveType::Bmp, "/p/a.bmp"},        {"/p/a.heic", SaveType::Tiff, "/p/a.tif"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NameForKind(QString::fromUtf8(c.name), c.type), QString::fromUtf8(c.target)) << c.name;
    EXPECT_EQ(BatchTarget(QStringLiteral("/p/a.png"), SaveType::Png, QStringLiteral("/out")), QStringLiteral("/out/a.png"));
}

TEST_F(WrittenKinds, EachKindOpensByEveryRoadAtItsSize) {
    for (const char* name : {"k.png", "k.gif", "k.tif", "k.tiff", "k.webp", "k.heic", "k.heif", "k.avif"}) {
        const QString path = Make(QString::fromUtf8(name), 48, 80);
        for (const bool normalise : {true, false}) {
            session_.Load(path, normalise);
            EXPECT_EQ(session_.State().PictureWidth, 48) << name << normalise;
            EXPECT_EQ(session_.State().PictureHeight, 80) << name << normalise;
        }
        BatchSettings settings;
        settings.outputFolder = Path(QStringLiteral("out"));
        QDir().mkpath(settings.outputFolder);
        const BatchResult result = session_.BatchStep(path, settings);
        EXPECT_EQ(result.width, 48) << name;
        EXPECT_EQ(result.height, 80) << name;
    }
}

TEST_F(WrittenKinds, TheBatchWritesAPngWebpOrTiffBackInItsKindAndTheRestAsBmpBeside) {
    struct Case {
        const char* source;
        const char* written;
        SaveType kind;
    };
    const Case cases[] = {
        {"b.png", "b.png", SaveType::Png},   {"b.webp", "b.webp", SaveType::Webp}, {"b.tif", "b.tif", SaveType::Tiff},
        {"c.tiff", "c.tiff", SaveType::Tiff}, {"b.gif", "b.bmp", SaveType::Bmp},   {"d.heic", "d.bmp", SaveType::Bmp},
        {"e.avif", "e.bmp", SaveType::Bmp},  {"b.jpg", "b.jpg", SaveType::Jpeg},
    };
    BatchSettings half;
    half.position = -1;  // half the area
    for (const Case& c : cases) {
        const QString source = Make(QString::fromUtf8(c.source), 64, 64);
        const QByteArray before = ReadBytes(source);
        const BatchResult result = session_.BatchStep(source, half);
        EXPECT_EQ(result.written, Path(QString::fromUtf8(c.written))) << c.source;
        EXPECT_EQ(result.type, c.kind) << c.source;
        EXPECT_EQ(KindOfBytes(ReadBytes(result.written)), c.kind) << c.source;
        if (result.written != source) {
            EXPECT_EQ(ReadBytes(source), before) << c.source << " must stay as it was";
        }
    }
}

TEST_F(WrittenKinds, AWebpIsCodedAsItsSourceWas) {
    struct Case {
        const char* source;
        bool lossy;
        bool losslessWebp;
    };
    const Case cases[] = {
        {"s.png", false, true},  {"s.bmp", false, true},  {"s.tif", false, true}, {"l.webp", false, true},
        {"y.webp", true, false}, {"s.jpg", false, false}, {"s.heic", false, false},
    };
    BatchSettings toWebp;
    toWebp.type = SaveType::Webp;
    toWebp.outputFolder = Path(QStringLiteral("webp"));
    QDir().mkpath(toWebp.outputFolder);
    for (const Case& c : cases) {
        const QString name = QString::fromUtf8(c.source);
        const QString source = name.endsWith(QLatin1String(".bmp")) ? WriteBmp(Path(name), 32, 32, gfx::clWhite)
                                                                     : Make(name, 32, 32, c.lossy);
        const BatchResult result = session_.BatchStep(source, toWebp);
        EXPECT_EQ(gfx::IsLosslessWebp(Bytes(ReadBytes(result.written))), c.losslessWebp) << c.source;
    }
}

TEST_F(WrittenKinds, WrittenFilesAreUprightSrgbWithoutProfileOrOrientation) {
    // A phone photo: stored on its side with orientation 6, in Display P3.
    const QString photo = Path(QStringLiteral("phone.jpg"));
    ASSERT_TRUE(WriteKind(photo, StoredFor(CornerMarks(64, 32), 6)));
    ASSERT_TRUE(SetOrientation(photo, 6));
    ASSERT_TRUE(EmbedProfile(photo, DisplayP3Profile()));
    for (const SaveType type : {SaveType::Jpeg, SaveType::Png, SaveType::Webp, SaveType::Tiff, SaveType::Bmp}) {
        BatchSettings settings;
        settings.type = type;
        settings.outputFolder = Path(QStringLiteral("out%1").arg(static_cast<int>(type)));
        QDir().mkpath(settings.outputFolder);
        const BatchResult result = session_.BatchStep(photo, settings);
        EXPECT_EQ(result.width, 64) << static_cast<int>(type);
        EXPECT_EQ(result.height, 32) << static_cast<int>(type);
        const QByteArray written = ReadBytes(result.written);
        if (type != SaveType::Bmp) {
            const gfx::EmbeddedLook look = gfx::ReadEmbeddedLook(Bytes(written));
            EXPECT_EQ(look.orientation, gfx::kUpright) << static_cast<int>(type);
            EXPECT_TRUE(look.iccProfile.empty()) << static_cast<int>(type);
        }
        EXPECT_FALSE(written.contains("Exif")) << static_cast<int>(type);
    }
}

TEST_F(WrittenKinds, AReducedReadOfAPhotoOnItsSideIsUprightAndKnowsItsOwnSize) {
    // Stored 512 x 256 with orientation 6: upright 256 x 512, read at a quarter.
    const QString photo = Path(QStringLiteral("side.jpg"));
    ASSERT_TRUE(WriteKind(photo, StoredFor(CornerMarks(256, 512), 6)));
    ASSERT_TRUE(SetOrientation(photo, 6));
    BatchSettings settings;
    settings.width = 64;
    settings.height = 128;
    settings.type = SaveType::Png;
    settings.outputFolder = Path(QStringLiteral("small"));
    QDir().mkpath(settings.outputFolder);
    const BatchResult result = session_.BatchStep(photo, settings);
    EXPECT_EQ(result.width, 64);
    EXPECT_EQ(result.height, 128);
    EXPECT_EQ(session_.State().PictureWidth, 256) << "the picture's own upright size";
    EXPECT_EQ(session_.State().PictureHeight, 512);
    const QImage written(result.written, "png");
    const QPoint corners[4] = {{4, 4}, {59, 4}, {4, 123}, {59, 123}};
    for (int i = 0; i < 4; ++i) {
        const QRgb got = written.pixel(corners[i]), want = kCornerColours[i];
        EXPECT_LE(std::max({std::abs(qRed(got) - qRed(want)), std::abs(qGreen(got) - qGreen(want)),
                            std::abs(qBlue(got) - qBlue(want))}),
                  16)
            << "corner " << i;
    }
}

}  // namespace
}  // namespace morvi

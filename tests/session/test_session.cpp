// The picture session without a window: what each command leaves in the state,
// the pixels and the files it writes, and that a command that fails leaves the
// session exactly as it was.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <string>
#include <vector>

#include "codecs/jpeg.h"
#include "dib/kvdib.h"
#include "dib/memory.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/pixel_budget.h"
#include "gfx/stream.h"
#include "session/clipboard_offer.h"
#include "session/picture_kinds.h"
#include "session/picture_session.h"
#include "session/save_names.h"
#include "tests/app/test_pictures.h"
#include "tests/metafile/record_writer.h"

namespace morvi {
namespace {

class Session : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::RegisterPictureKinds(); }
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    QString Quadrants(const QString& name, int w, int h) const { return test::WriteQuadrants(Path(name), w, h); }

    const gfx::Bitmap& Picture() { return session_.State().SourcePicture->GetBitmap(); }

    QTemporaryDir dir_;
    PictureSession session_;
};

// What a command must leave alone when it fails.
struct Snapshot {
    explicit Snapshot(const PictureSession& session) {
        const SessionState& s = session.State();
        width = s.PictureWidth;
        height = s.PictureHeight;
        aspect = s.AspectPercent;
        name = s.CurrentFileName;
        selection = s.SelectionRect;
        active = s.SelectionActive;
        if (const auto* bitmap = dynamic_cast<const gfx::Bitmap*>(s.SourcePicture->GetGraphic())) {
            pictureSize = {bitmap->Width(), bitmap->Height()};
            for (int y = 0; y < bitmap->Height(); y += std::max(1, bitmap->Height() / 7))
                for (int x = 0; x < bitmap->Width(); x += std::max(1, bitmap->Width() / 7)) pixels.push_back(bitmap->Pixel(x, y));
        }
    }
    bool operator==(const Snapshot&) const = default;
    int32_t width, height, aspect;
    QString name;
    gfx::Rect selection;
    uint8_t active;
    std::pair<int32_t, int32_t> pictureSize{-1, -1};
    std::vector<gfx::Color> pixels;
};

TEST_F(Session, StartsEmptyWithTheStartValues) {
    const SessionState& s = session_.State();
    ASSERT_TRUE(s.SourcePicture);
    EXPECT_EQ(s.SourcePicture->GetGraphic(), nullptr);
    EXPECT_EQ(s.PictureWidth, 0);
    EXPECT_EQ(s.PictureHeight, 0);
    EXPECT_EQ(s.AspectPercent, 1);
    EXPECT_TRUE(s.CurrentFileName.isEmpty() && s.OpenDirectory.isEmpty() && s.SaveDirectory.isEmpty());
    EXPECT_EQ(s.SelectionActive, 0);
    EXPECT_EQ(s.VersionText, QStringLiteral("1.6"));
}

TEST_F(Session, EachRoadLoadsThePictureAtItsOwnSize) {
    const QString path = Quadrants(QStringLiteral("q.bmp"), 640, 480);
    struct Road {
        const char* name;
        bool normalise;
        gfx::PixelFormat format;  // through the engine a device picture comes back at 24 bits
    };
    for (const Road& road : {Road{"dialog or batch", true, gfx::PixelFormat::pf24bit},
                             Road{"drop or command line", false, gfx::pfDevice}}) {
        session_.Load(path, road.normalise);
        const SessionState& s = session_.State();
        EXPECT_EQ(s.PictureWidth, 640) << road.name;
        EXPECT_EQ(s.PictureHeight, 480) << road.name;
        EXPECT_EQ(s.AspectPercent, 133) << road.name;
        EXPECT_EQ(Picture().Format(), road.format) << road.name;
        EXPECT_EQ(Picture().Pixel(10, 10), gfx::RGB(255, 255, 30 * 3)) << road.name;
        EXPECT_EQ(Picture().Pixel(630, 470), gfx::RGB(0, 0, 630 % 7 * 30)) << road.name;
    }
}

TEST_F(Session, IconsAndMetafilesBecomeBitmapsOnWhite) {
    // An EMF of 242 x 162 pixels at 96 dpi with nothing drawn: all white.
    const metafile_test::Bytes emf = metafile_test::EmfWriter().Finish(6400, 4286, 1);
    test::WriteBytes(Path(QStringLiteral("m.emf")),
                     QByteArray(reinterpret_cast<const char*>(emf.data()), static_cast<qsizetype>(emf.size())));
    session_.Load(Path(QStringLiteral("m.emf")), true);
    ASSERT_TRUE(session_.State().SourcePicture->HasBitmap());
    EXPECT_EQ(session_.State().PictureWidth, 242);
    EXPECT_EQ(Picture().Pixel(100, 100), gfx::clWhite);
}

TEST_F(Session, AFailedLoadAtAnyStepKeepsEverything) {
    session_.Load(Quadrants(QStringLiteral("keep.bmp"), 64, 48), true);
    session_.SetCurrentFileName(QStringLiteral("/named/keep.bmp"));
    session_.SetSelectionRect({1, 2, 30, 40});
    session_.MarkSelection();
    const Snapshot before(session_);
    const metafile_test::Bytes frame = metafile_test::EmfWriter().Finish(600000, 600000, 1);
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"missing.bmp", {}},
        {"broken.bmp", QByteArray("BM not a picture")},
        {"broken.jpg", QByteArray("\xFF\xD8\xFF\xE0 cut")},
        {"unknown.xyz", QByteArray("whatever")},
        {"claims.bmp", test::RleBmp(32768, 32768, QByteArray("\0\1", 2))},
        {"frame.emf", QByteArray(reinterpret_cast<const char*>(frame.data()), static_cast<qsizetype>(frame.size()))},
    };
    for (const Case& c : cases) {
        const QString path = Path(QLatin1String(c.name));
        if (!c.bytes.isEmpty()) test::WriteBytes(path, c.bytes);
        EXPECT_THROW(session_.Load(path, true), gfx::Exception) << c.name;
        EXPECT_TRUE(Snapshot(session_) == before) << c.name;
    }
}

TEST_F(Session, ThePreviewFitsThePanelByTheWholePercentRatio) {
    struct Case {
        int w, h;
        PreviewPlacement expected;
    };
    for (const Case& c : {Case{640, 480, {1, 50, 398, 299}}, Case{480, 640, {51, 1, 298, 398}},
                          Case{400, 400, {1, 1, 398, 398}}, Case{1, 200, {200, 1, 0, 398}}}) {
        session_.Load(Quadrants(QStringLiteral("p.bmp"), c.w, c.h), false);
        const Preview preview = session_.RenderPreview(400, 400);
        EXPECT_EQ(preview.placement, c.expected) << c.w << "x" << c.h;
        EXPECT_EQ(preview.bitmap->Width(), c.expected.width);
        EXPECT_EQ(preview.bitmap->Height(), c.expected.height);
    }
    // The preview shows the picture: the red-and-green corner at the top left.
    session_.Load(Quadrants(QStringLiteral("p.bmp"), 640, 480), false);
    EXPECT_EQ(gfx::GetRValue(session_.RenderPreview(400, 400).bitmap->Pixel(5, 5)), 255);
}

TEST_F(Session, MagnificationAndKeepAspectFollowThePicture) {
    session_.Load(Quadrants(QStringLiteral("m.bmp"), 640, 480), false);
    struct Case {
        int k;
        int64_t w, h;
    };
    for (const Case& c : {Case{0, 640, 480}, Case{1, 910, 680}, Case{-1, 460, 340}, Case{2, 1280, 960},
                          Case{10, 2870, 2150}, Case{-10, 150, 110}}) {
        EXPECT_EQ(session_.MagnifiedWidth(c.k), c.w) << c.k;
        EXPECT_EQ(session_.MagnifiedHeight(c.k), c.h) << c.k;
    }
    EXPECT_EQ(session_.HeightForWidth(1024), 770);
    EXPECT_EQ(session_.WidthForHeight(300), 400);
    EXPECT_EQ(session_.HeightForWidth(-50), -30);
    session_.Load(Quadrants(QStringLiteral("thin.bmp"), 1, 200), false);
    EXPECT_FALSE(session_.HeightForWidth(100)) << "no usable ratio";
    session_.Clear();
    EXPECT_EQ(session_.MagnifiedWidth(3), 0);
}

TEST_F(Session, ComposeGivesTheOutputSizeOrTheRegionAndRefusesTheImpossible) {
    session_.Load(Quadrants(QStringLiteral("c.bmp"), 640, 480), true);
    Output out = session_.Compose(320, 240);
    ASSERT_NE(out.bitmap, nullptr);
    EXPECT_EQ(out.bitmap->Width(), 320);
    EXPECT_EQ(out.bitmap->Height(), 240);
    // A region dragged leftwards and upwards is cut upright, at its size.
    session_.SetSelectionRect({110, 70, 10, 20});
    session_.MarkSelection();
    out = session_.Compose(640, 480);
    ASSERT_NE(out.bitmap, nullptr);
    EXPECT_EQ(out.bitmap->Width(), 100);
    EXPECT_EQ(out.bitmap->Height(), 50);
    EXPECT_EQ(out.bitmap->Pixel(0, 0), Picture().Pixel(10, 20));
    EXPECT_EQ(out.bitmap->Pixel(99, 49), Picture().Pixel(109, 69));
    // A region of no width counts as none.
    session_.SetSelectionRect({5, 5, 5, 60});
    out = session_.Compose(64, 48);
    ASSERT_NE(out.bitmap, nullptr);
    EXPECT_EQ(out.bitmap->Width(), 64);

    struct Refusal {
        int32_t w, h;
        const char* start;
    };
    for (const Refusal& r : {Refusal{0, 10, "出力サイズ（幅と高さ）には 1 以上"}, Refusal{-5, 10, "出力サイズ（幅と高さ）には 1 以上"},
                             Refusal{20000, 20000, "出力サイズ 20000 x 20000 は大きすぎる"}}) {
        out = session_.Compose(r.w, r.h);
        EXPECT_EQ(out.bitmap, nullptr);
        EXPECT_TRUE(out.refusal.startsWith(QString::fromUtf8(r.start))) << out.refusal.toStdString();
    }
}

TEST_F(Session, PastedPicturesKeepTheirSizeOrFollowTheLongSideRule) {
    gfx::Bitmap small(123, 45, gfx::PixelFormat::pf24bit);
    small.GetCanvas().brushColor = gfx::RGB(1, 2, 3);
    small.GetCanvas().FillRect({0, 0, 123, 45});
    kvdib::TKvDIB dib;
    dib.Assign(&small);
    uint16_t format = 0;
    std::vector<uint8_t> packed;
    gfx::HPALETTE palette;
    dib.SaveToClipboardFormat(format, packed, palette);
    session_.PasteDib(packed, {});
    EXPECT_EQ(session_.State().PictureWidth, 123);
    EXPECT_EQ(session_.State().PictureHeight, 45);
    EXPECT_EQ(Picture().Pixel(60, 20), gfx::RGB(1, 2, 3));

    const auto svg = [](int w, int h) {
        return gfx::MetafileOffer{QStringLiteral("image/svg+xml"), QStringLiteral("svg"),
                                  QStringLiteral("<svg xmlns='http://www.w3.org/2000/svg' width='%1' height='%2'/>")
                                      .arg(w)
                                      .arg(h)
                                      .toUtf8()};
    };
    struct Case {
        int w, h, expectedW, expectedH;
    };
    for (const Case& c : {Case{800, 600, 1600, 1200}, Case{1000, 333, 1600, 528}, Case{10, 10, 1680, 1600}}) {
        ASSERT_TRUE(session_.PasteMetafile(svg(c.w, c.h)));
        EXPECT_EQ(session_.State().PictureWidth, c.expectedW) << c.w << "x" << c.h;
        EXPECT_EQ(session_.State().PictureHeight, c.expectedH) << c.w << "x" << c.h;
    }
    const Snapshot before(session_);
    EXPECT_FALSE(session_.PasteMetafile(svg(0, 100)));
    EXPECT_TRUE(Snapshot(session_) == before);
    // A block the engine refuses changes nothing either.
    EXPECT_THROW(session_.PasteDib({40, 0, 0, 0}, {}), gfx::Exception);
    EXPECT_TRUE(Snapshot(session_) == before);
}

TEST_F(Session, NamesDecideTheKindAndTheBmpName) {
    struct Case {
        const char* name;
        SaveType type;
        bool renamed;
        const char* bmpName;
    };
    const Case cases[] = {
        {"/p/photo.JPG", SaveType::Jpeg, false, "/p/photo.bmp"}, {"/p/photo.jpeg", SaveType::Bmp, true, "/p/photo.bmp"},
        {"/p/icon.ico", SaveType::Bmp, true, "/p/icon.bmp"},      {"/p/pic.Bmp", SaveType::Bmp, false, "/p/pic.bmp"},
        {"/p/noext", SaveType::Bmp, true, "/p/noext.bmp"},        {"/a.b/c", SaveType::Bmp, true, "/a.b/c.bmp"},
        {"/p/x.tar.jpg", SaveType::Jpeg, false, "/p/x.tar.bmp"},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(SaveTypeForName(name), c.type) << c.name;
        EXPECT_EQ(NeedsBmpName(name), c.renamed) << c.name;
        EXPECT_EQ(WithBmpExtension(name), QString::fromUtf8(c.bmpName)) << c.name;
    }
}

TEST_F(Session, WritingTheOutputGivesTheFileAndRemembersTheJpegFolder) {
    session_.Load(Quadrants(QStringLiteral("w.bmp"), 64, 48), true);
    const Output out = session_.Compose(32, 24);
    ASSERT_NE(out.bitmap, nullptr);
    QDir(dir_.path()).mkdir(QStringLiteral("bmps"));
    session_.SetCurrentFileName(Path(QStringLiteral("bmps/out.bmp")));
    session_.WriteOutput(*out.bitmap, SaveType::Bmp);
    EXPECT_TRUE(session_.State().SaveDirectory.isEmpty()) << "a BMP save leaves the folder alone";
    const std::vector<uint8_t> bmp = gfx::ReadWholeFile(QFile::encodeName(Path(QStringLiteral("bmps/out.bmp"))).toStdString());
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp[28], 24) << "BMP files are written at 24 bits";
    EXPECT_EQ(bmp[18], 32);

    session_.SetCurrentFileName(Path(QStringLiteral("out.jpg")));
    session_.WriteOutput(*out.bitmap, SaveType::Jpeg);
    EXPECT_EQ(session_.State().SaveDirectory, dir_.path() + QLatin1Char('/'));
    const std::vector<uint8_t> jpeg = gfx::ReadWholeFile(QFile::encodeName(Path(QStringLiteral("out.jpg"))).toStdString());
    EXPECT_EQ(gfx::ReadJpeg(jpeg.data(), jpeg.size())->Width(), 32);

    session_.SetCurrentFileName(QStringLiteral("/no/such/folder/x.jpg"));
    EXPECT_THROW(session_.WriteOutput(*out.bitmap, SaveType::Jpeg), gfx::EInOutError);
    EXPECT_EQ(session_.State().SaveDirectory, dir_.path() + QLatin1Char('/')) << "a failed save moves no folder";
}

TEST_F(Session, TurnsMirrorsAndTonesChangeThePicture) {
    session_.Load(Quadrants(QStringLiteral("t.bmp"), 64, 48), true);
    const gfx::Color topLeft = Picture().Pixel(0, 0), topRight = Picture().Pixel(63, 0);
    const gfx::Color bottomLeft = Picture().Pixel(0, 47);
    session_.Rotate(90);
    EXPECT_EQ(session_.State().PictureWidth, 48);
    EXPECT_EQ(session_.State().PictureHeight, 64);
    EXPECT_EQ(Picture().Pixel(0, 0), topRight) << "a left turn brings the top-right corner to the top left";
    EXPECT_EQ(Picture().Pixel(0, 63), topLeft);
    session_.Rotate(-90);
    EXPECT_EQ(Picture().Pixel(0, 0), topLeft);
    session_.Mirror(false);
    EXPECT_EQ(Picture().Pixel(0, 0), bottomLeft);
    session_.Mirror(false);
    session_.Mirror(true);
    EXPECT_EQ(Picture().Pixel(0, 0), topRight);

    session_.Load(test::WriteBmp(Path(QStringLiteral("grey.bmp")), 8, 8, gfx::RGB(100, 100, 100)), true);
    session_.ApplyTone(ToneCommand::Brighter);
    session_.ApplyTone(ToneCommand::Brighter);
    EXPECT_EQ(Picture().Pixel(3, 3), gfx::RGB(140, 140, 140));
    EXPECT_EQ(Picture().Format(), gfx::PixelFormat::pf24bit);
    session_.ApplyTone(ToneCommand::Darker);
    EXPECT_EQ(Picture().Pixel(3, 3), gfx::RGB(120, 120, 120));
    session_.Load(test::WriteBmp(Path(QStringLiteral("white.bmp")), 8, 8, gfx::clWhite), true);
    session_.ApplyTone(ToneCommand::Monochrome);
    EXPECT_EQ(Picture().Pixel(3, 3), gfx::RGB(253, 253, 253));
}

// Every allocation a command makes, made to fail one after the other (the
// framework's and the engine's): each failure leaves the session exactly as it
// was, until the command gets all it needs and completes.
TEST_F(Session, ACommandThatRunsOutOfMemoryAtAnyStepChangesNothing) {
    session_.Load(Quadrants(QStringLiteral("keep.bmp"), 64, 48), true);
    const QString other = Quadrants(QStringLiteral("other.bmp"), 30, 20);
    std::vector<uint8_t> packed;
    {
        kvdib::TKvDIB dib;
        gfx::Bitmap small(9, 7, gfx::PixelFormat::pf24bit);
        dib.Assign(&small);
        uint16_t format = 0;
        gfx::HPALETTE palette;
        dib.SaveToClipboardFormat(format, packed, palette);
    }
    struct Command {
        const char* name;
        std::function<void()> run;
    };
    const Command commands[] = {
        {"load by the dialog", [&] { session_.Load(other, true); }},
        {"load by a drop", [&] { session_.Load(other, false); }},
        {"turn", [&] { session_.Rotate(90); }},
        {"mirror", [&] { session_.Mirror(true); }},
        {"tone", [&] { session_.ApplyTone(ToneCommand::MoreContrast); }},
        {"paste", [&] { session_.PasteDib(packed, {}); }},
    };
    for (const Command& command : commands) {
        for (const bool engine : {false, true}) {
            int failures = 0;
            for (int n = 1;; ++n) {
                const Snapshot before(session_);
                if (engine) {
                    kvdib::testing::FailAllocationAfter(n);
                } else {
                    gfx::testing::FailBitmapAllocationAfter(n);
                }
                bool failed = false;
                try {
                    command.run();
                } catch (const gfx::EOutOfMemory&) {
                    failed = true;
                }
                kvdib::testing::FailAllocationAfter(0);
                gfx::testing::FailBitmapAllocationAfter(0);
                if (!failed) break;
                ++failures;
                ASSERT_TRUE(Snapshot(session_) == before) << command.name << ", allocation " << n;
            }
            if (!engine) {
                EXPECT_GT(failures, 0) << command.name << " allocates nothing to fail";
            }
        }
    }
}

TEST_F(Session, TheBatchTakesTheFilesOwnSizeOnlyWhenTheBoxesSaySo) {
    struct Case {
        int position;
        const char* width;
        const char* height;
        bool own;
    };
    for (const Case& c : {Case{0, "320", "240", false}, Case{1, "320", "240", true}, Case{-3, "0", "0", true},
                          Case{0, "0", "240", true}, Case{0, "320", "0", true}, Case{0, "00", "240", false},
                          Case{0, "abc", "240", false}}) {
        EXPECT_EQ(PictureSession::BatchTakesOwnSize(c.position, QLatin1String(c.width), QLatin1String(c.height)), c.own)
            << c.position << " " << c.width << " " << c.height;
    }
}

}  // namespace
}  // namespace morvi

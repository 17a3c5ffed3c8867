// The window with the kinds besides the first six: a drop and the command line
// open them, a phone photo stored on its side reaches the clipboard and a saved
// file upright, the save dialog writes PNG and WebP, and an overwrite save and
// the batch keep a PNG, WebP or TIFF in its kind and put a .bmp beside the rest.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include "app/main_window/MorviMain_u.h"
#include "gfx/picture.h"
#include "tests/app/picture_kinds.h"
#include "tests/app/scripted_interaction.h"
#include "tests/app/test_pictures.h"

namespace morvi {
namespace {

using namespace morvi::test;

const QString kOtherKindWarning = QStringLiteral("元画像は BMP,JPG 以外のため\r\nBMP で保存します。");

class NewKindsWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterPictureKinds(); }
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        window_ = std::make_unique<TMorviMain>(ui_, QStringList());
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString Make(const QString& name, const QImage& image) const {
        EXPECT_TRUE(WriteKind(Path(name), image)) << name.toStdString();
        return Path(name);
    }
    void Drop(const QString& path) { window_->RunHandler([&] { window_->WMDropFiles({path}); }); }
    void Run(void (TMorviMain::*handler)()) {
        window_->RunHandler([&] { (window_.get()->*handler)(); });
    }
    QString Panel(int index) const {
        return window_->findChild<QLabel*>(QStringLiteral("StatusBar1.Panels[%1]").arg(index))->text();
    }
    void ExpectNoErrors() const { EXPECT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString(); }

    QTemporaryDir dir_;
    ScriptedInteraction ui_;
    std::unique_ptr<TMorviMain> window_;
};

void ExpectUprightCorners(const QImage& image, int w, int h) {
    ASSERT_EQ(image.size(), QSize(w, h));
    const QPoint corners[4] = {{2, 2}, {w - 3, 2}, {2, h - 3}, {w - 3, h - 3}};
    for (int i = 0; i < 4; ++i) {
        const QRgb got = image.pixel(corners[i]), want = kCornerColours[i];
        EXPECT_LE(std::max({std::abs(qRed(got) - qRed(want)), std::abs(qGreen(got) - qGreen(want)),
                            std::abs(qBlue(got) - qBlue(want))}),
                  12)
            << "corner " << i;
    }
}

TEST_F(NewKindsWindow, ADropAndTheCommandLineOpenEveryNewKind) {
    for (const char* name : {"d.png", "d.GIF", "d.tif", "d.tiff", "d.webp", "d.heic", "d.heif", "d.avif"}) {
        const QString path = Make(QString::fromUtf8(name), CornerMarks(48, 32));
        Drop(path);
        ExpectNoErrors();
        EXPECT_EQ(Panel(1), QStringLiteral("元ｻｲｽﾞ 48 x 32")) << name;
        EXPECT_EQ(window_->Session().CurrentFileName, path) << name;

        ScriptedInteraction started;
        const TMorviMain fromCommandLine(started, {path});
        EXPECT_EQ(fromCommandLine.Session().CurrentFileName, path) << name;
        EXPECT_EQ(fromCommandLine.Session().PictureWidth, 48) << name;
    }
    // The engine's own kind stays a dialog-only kind.
    Drop(WriteBmp(Path("e.dib"), 8, 8, gfx::clBlack));
    EXPECT_NE(window_->Session().CurrentFileName, Path("e.dib"));
}

TEST_F(NewKindsWindow, APhonePhotoOnItsSideReachesTheClipboardAndAFileUpright) {
    for (int n = 1; n <= 8; ++n) {
        const QString photo = Make(QStringLiteral("phone%1.jpg").arg(n), StoredFor(CornerMarks(64, 32), n));
        ASSERT_TRUE(SetOrientation(photo, n));
        Drop(photo);
        EXPECT_EQ(Panel(1), QStringLiteral("元ｻｲｽﾞ 64 x 32")) << n;
        Run(&TMorviMain::Button1Click);
        ExpectNoErrors();
        ExpectUprightCorners(QGuiApplication::clipboard()->image(), 64, 32);

        ui_.saveAnswers.enqueue(SaveAnswer{Path(QStringLiteral("saved%1.png").arg(n)), 3});
        Run(&TMorviMain::SpeedButton3Click);
        ExpectNoErrors();
        ExpectUprightCorners(QImage(Path(QStringLiteral("saved%1.png").arg(n)), "png").convertToFormat(QImage::Format_RGB32),
                             64, 32);
    }
}

TEST_F(NewKindsWindow, TheSaveDialogWritesPngAndWebpByItsFilter) {
    Drop(Make(QStringLiteral("s.png"), CornerMarks(32, 32)));
    struct Case {
        const char* name;
        int filter;
        const char* magic;
    };
    for (const Case& c : {Case{"x.png", 3, "\x89PNG"}, Case{"y.webp", 4, "RIFF"}, Case{"z.png", 4, "RIFF"}}) {
        ui_.saveAnswers.enqueue(SaveAnswer{Path(QString::fromUtf8(c.name)), c.filter});
        Run(&TMorviMain::SpeedButton3Click);
        ExpectNoErrors();
        EXPECT_TRUE(ReadBytes(Path(QString::fromUtf8(c.name))).startsWith(c.magic)) << c.name;
    }
    ASSERT_FALSE(ui_.saveRequests.empty());
    EXPECT_EQ(ui_.saveRequests.back().filterIndex, 2) << "JPEG stays preselected";
}

TEST_F(NewKindsWindow, AnOverwriteSaveKeepsTheKindOrWarnsAndWritesABmpBeside) {
    struct Case {
        const char* opened;
        const char* written;
        bool warned;
        const char* magic;
    };
    const Case cases[] = {
        {"o.png", "o.png", false, "\x89PNG"}, {"o.webp", "o.webp", false, "RIFF"}, {"o.tif", "o.tif", false, "II*"},
        {"p.TIFF", "p.TIFF", false, "II*"},   {"o.gif", "o.bmp", true, "BM"},      {"o.heic", "o.bmp", true, "BM"},
        {"q.avif", "q.bmp", true, "BM"},
    };
    for (const Case& c : cases) {
        const QString opened = Make(QString::fromUtf8(c.opened), CornerMarks(32, 16));
        const QByteArray before = ReadBytes(opened);
        Drop(opened);
        const size_t boxes = ui_.boxes.size();
        ui_.boxAnswers.enqueue(BoxAnswer::Yes);
        Run(&TMorviMain::SpeedButton2Click);
        ExpectNoErrors();
        EXPECT_EQ(window_->Session().CurrentFileName, Path(QString::fromUtf8(c.written))) << c.opened;
        EXPECT_EQ(ui_.boxes.size() > boxes && ui_.boxes[boxes].text == kOtherKindWarning, c.warned) << c.opened;
        EXPECT_TRUE(ReadBytes(Path(QString::fromUtf8(c.written))).startsWith(c.magic)) << c.opened;
        if (c.warned) {
            EXPECT_EQ(ReadBytes(opened), before) << c.opened << " is never written over";
        }
    }
}

TEST_F(NewKindsWindow, TheBatchKeepsEachKindItCanWrite) {
    const QStringList files = {Make(QStringLiteral("b1.png"), CornerMarks(64, 32)),
                               Make(QStringLiteral("b2.webp"), CornerMarks(64, 32)),
                               Make(QStringLiteral("b3.gif"), CornerMarks(64, 32))};
    window_->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("32"));
    window_->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("16"));
    ui_.openAnswers.enqueue(files);
    Run(&TMorviMain::IkkatsuClick);
    ExpectNoErrors();
    ASSERT_EQ(ui_.boxes.size(), 1u) << "one warning, for the GIF";
    EXPECT_EQ(ui_.boxes.front().text, kOtherKindWarning);
    for (const char* written : {"b1.png", "b2.webp", "b3.bmp"}) {
        gfx::Picture check;
        check.LoadFromFile(QFile::encodeName(Path(QString::fromUtf8(written))).toStdString());
        EXPECT_EQ(check.Width(), 32) << written;
        EXPECT_EQ(check.Height(), 16) << written;
    }
    EXPECT_TRUE(ReadBytes(Path("b1.png")).startsWith("\x89PNG"));
    EXPECT_TRUE(ReadBytes(Path("b2.webp")).startsWith("RIFF"));
}

}  // namespace
}  // namespace morvi

// The window's commands on the picture: copy, paste, save, rotation, mirrors, tone
// and the batch conversion, driven headless with a scripted interaction.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <cstring>

#include "app/main_window/MorviMain_u.h"
#include "app/widgets/updown_control.h"
#include "codecs/jpeg.h"
#include "dib/kvdib.h"
#include "dib/memory.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/stream.h"
#include "session/picture_kinds.h"
#include "tests/app/scripted_interaction.h"
#include "tests/app/test_pictures.h"
#include "tests/metafile/record_writer.h"

namespace morvi {
namespace {

using test::ReadBytes;

class WindowCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::RegisterPictureKinds(); }

    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        window_ = std::make_unique<TMorviMain>(ui_, QStringList());
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    QString WriteQuadrants(const QString& name, int w, int h) { return test::WriteQuadrants(Path(name), w, h); }

    void Open(const QString& path) {
        window_->RunHandler([&] { window_->LoadPictureFile(path, true); });
        ASSERT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString();
    }

    template <class T>
    T* Find(const char* name) const {
        return window_->findChild<T*>(QLatin1String(name));
    }
    QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
    QString Panel(int index) const {
        return window_->findChild<QLabel*>(QStringLiteral("StatusBar1.Panels[%1]").arg(index))->text();
    }
    QImage ClipboardImage() const { return QGuiApplication::clipboard()->image(); }
    QString LastBoxText() const { return ui_.boxes.empty() ? QString() : ui_.boxes.back().text; }
    void Run(void (TMorviMain::*handler)()) {
        window_->RunHandler([&] { (window_.get()->*handler)(); });
    }
    void Drag(int x0, int y0, int x1, int y1) {
        window_->Image3MouseDown(x0, y0);
        window_->Image3MouseMove(x1, y1);
        window_->Image3MouseUp(x1, y1);
    }
    // The bitmap SourcePicture holds, as the session sees it.
    const gfx::Graphic& Source() const { return *window_->Session().SourcePicture->GetGraphic(); }

    QTemporaryDir dir_;
    test::ScriptedInteraction ui_;
    std::unique_ptr<TMorviMain> window_;
};

TEST_F(WindowCommands, EveryPictureCommandRefusesWithoutAPicture) {
    struct Case {
        void (TMorviMain::*handler)();
        const char* text;
    };
    const Case cases[] = {
        {&TMorviMain::Button1Click, "転送する画像がありません。"},
        {&TMorviMain::SpeedButton2Click, "保存する画像がありません。"},
        {&TMorviMain::SpeedButton3Click, "保存する画像がありません。"},
        {&TMorviMain::MenuGazoLeftClick, "回転する画像はありません。"},
        {&TMorviMain::MenuGazoRightClick, "回転する画像はありません。"},
        {&TMorviMain::MenuGazoFlipClick, "回転する画像はありません。"},
        {&TMorviMain::ReverseHClick, "反転する画像がありません。"},
        {&TMorviMain::ReverseVClick, "反転する画像がありません。"},
        {&TMorviMain::LightUpClick, "明るくする画像はありません。"},
        {&TMorviMain::LightDownClick, "暗くする画像はありません。"},
        {&TMorviMain::ContrastUpClick, "コントラストを強くする画像はありません。"},
        {&TMorviMain::ContrastDownClick, "コントラストを弱くする画像はありません。"},
        {&TMorviMain::MonoClick, "白黒化する画像はありません。"},
    };
    int expectedBeeps = 0;
    for (const Case& c : cases) {
        Run(c.handler);
        ++expectedBeeps;
        EXPECT_EQ(ui_.beeps, expectedBeeps) << c.text;
        ASSERT_FALSE(ui_.boxes.empty());
        EXPECT_EQ(ui_.boxes.back().caption, QStringLiteral("警告"));
        EXPECT_EQ(ui_.boxes.back().icon, BoxIcon::Warning);
        EXPECT_EQ(LastBoxText(), QString::fromUtf8(c.text));
    }
    EXPECT_TRUE(ui_.saveRequests.empty());
}

TEST_F(WindowCommands, CopyHandsOnTheOutputSizeOrTheRegion) {
    Open(test::WriteBmp(Path("p.bmp"), 640, 480, gfx::RGB(10, 20, 30)));
    Edit("Edit1")->setText(QStringLiteral("320"));
    Edit("Edit2")->setText(QStringLiteral("240"));
    Run(&TMorviMain::Button1Click);
    EXPECT_EQ(ClipboardImage().size(), QSize(320, 240));
    EXPECT_EQ(Panel(0), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへ画像を転送しました。"));
    EXPECT_EQ(QColor(ClipboardImage().pixel(100, 100)), QColor(10, 20, 30));

    // A region in output pixels, dragged leftwards and upwards: copied upright.
    Edit("Edit1")->setText(QStringLiteral("640"));
    Edit("Edit2")->setText(QStringLiteral("480"));
    Drag(110, 70, 10, 20);
    ASSERT_EQ(window_->Session().SelectionActive, 1);
    const gfx::Rect r = window_->Session().SelectionRect;
    Run(&TMorviMain::Button1Click);
    EXPECT_EQ(ClipboardImage().size(), QSize(std::abs(r.right - r.left), std::abs(r.bottom - r.top)));
    EXPECT_EQ(window_->Session().SelectionActive, 0) << "a copy removes the selection";
    Run(&TMorviMain::Button1Click);
    EXPECT_EQ(ClipboardImage().size(), QSize(640, 480)) << "the second copy hands on the whole picture";

    Edit("Edit1")->setText(QStringLiteral("abc"));
    Run(&TMorviMain::Button1Click);
    EXPECT_EQ(ClipboardImage().size(), QSize(100, 480)) << "a box that is not a number counts as 100";
}

TEST_F(WindowCommands, RegionsReachingOutsideTheOutputAreCopiedAtTheirSize) {
    Open(test::WriteBmp(Path("p.bmp"), 640, 480, gfx::RGB(10, 20, 30)));
    struct Case {
        int x0, y0, x1, y1;
        const char* width;
        const char* height;
    };
    // Dragged past the overlay's edges, or marked before the size boxes shrank.
    const Case cases[] = {
        {50, 50, -30, -40, "640", "480"}, {10, 10, 390, 290, "20", "10"}, {300, 200, 500, 450, "640", "480"}};
    for (const Case& c : cases) {
        Edit("Edit1")->setText(QStringLiteral("640"));
        Edit("Edit2")->setText(QStringLiteral("480"));
        Drag(c.x0, c.y0, c.x1, c.y1);
        ASSERT_EQ(window_->Session().SelectionActive, 1) << c.x1;
        const gfx::Rect r = window_->Session().SelectionRect;
        Edit("Edit1")->setText(QLatin1String(c.width));
        Edit("Edit2")->setText(QLatin1String(c.height));
        Run(&TMorviMain::Button1Click);
        ASSERT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(ClipboardImage().size(), QSize(std::abs(r.right - r.left), std::abs(r.bottom - r.top))) << c.x1;
    }
}

TEST_F(WindowCommands, CopyRefusesOutputsThatCannotBeMade) {
    Open(test::WriteBmp(Path("p.bmp"), 64, 48, gfx::clBlack));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    const char* sizes[][2] = {{"0", "48"}, {"64", "-5"}, {"100000", "100000"}};
    for (const auto& size : sizes) {
        Edit("Edit1")->setText(QLatin1String(size[0]));
        Edit("Edit2")->setText(QLatin1String(size[1]));
        const size_t boxes = ui_.boxes.size();
        Run(&TMorviMain::Button1Click);
        ASSERT_EQ(ui_.boxes.size(), boxes + 1) << size[0] << "x" << size[1];
        EXPECT_EQ(ui_.boxes.back().caption, QStringLiteral("警告"));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before")) << "nothing reached the clipboard";
    }
    // A region marked while the boxes held a huge size outlives their shrinking.
    Edit("Edit1")->setText(QStringLiteral("100000"));
    Edit("Edit2")->setText(QStringLiteral("100000"));
    Drag(5, 5, 390, 290);
    ASSERT_EQ(window_->Session().SelectionActive, 1);
    Edit("Edit1")->setText(QStringLiteral("100"));
    Edit("Edit2")->setText(QStringLiteral("100"));
    const size_t boxes = ui_.boxes.size();
    Run(&TMorviMain::Button1Click);
    ASSERT_EQ(ui_.boxes.size(), boxes + 1);
    EXPECT_EQ(ui_.boxes.back().caption, QStringLiteral("警告"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    EXPECT_TRUE(ui_.errors.isEmpty());
}

TEST_F(WindowCommands, PasteOfABitmapKeepsItsSizeAndClearsTheName) {
    Open(test::WriteBmp(Path("p.bmp"), 64, 48, gfx::clBlack));
    QImage image(123, 45, QImage::Format_RGB32);
    image.fill(QColor(200, 100, 50));
    QGuiApplication::clipboard()->setImage(image);
    Run(&TMorviMain::Button2Click);
    ASSERT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(Source().Width(), 123);
    EXPECT_EQ(Source().Height(), 45);
    EXPECT_TRUE(window_->Session().CurrentFileName.isEmpty());
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("123"));
    EXPECT_EQ(Panel(1), QStringLiteral("元ｻｲｽﾞ 123 x 45"));
    EXPECT_EQ(Panel(0), QString());

    // After a paste the overwrite save asks for a name.
    Run(&TMorviMain::SpeedButton2Click);
    ASSERT_EQ(ui_.saveRequests.size(), 1u);
    const SaveRequest& request = ui_.saveRequests.front();
    EXPECT_EQ(request.fileName, QStringLiteral("picture"));
    EXPECT_EQ(request.filterIndex, 2);
    EXPECT_EQ(request.title, QStringLiteral("画像をﾌｧｲﾙに保存 ( クエロ )"));
    EXPECT_EQ(request.filters, QStringList({QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)"), QStringLiteral("Jpegﾌｧｲﾙ (*.jpg)"),
                                            QStringLiteral("PNGﾌｧｲﾙ (*.png)"), QStringLiteral("WebPﾌｧｲﾙ (*.webp)")}));
}

TEST_F(WindowCommands, PasteWithNothingUsableKeepsTheSession) {
    window_->RunHandler([&] { window_->WMDropFiles({test::WriteBmp(Path("keep.bmp"), 64, 48, gfx::clBlack)}); });
    QGuiApplication::clipboard()->clear();
    Run(&TMorviMain::Button2Click);
    EXPECT_EQ(LastBoxText(), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞには画像ﾃﾞｰﾀがありません。"));
    EXPECT_EQ(window_->Session().CurrentFileName, Path("keep.bmp"));
    EXPECT_EQ(Source().Width(), 64);

    QGuiApplication::clipboard()->setText(QStringLiteral("text"));
    Run(&TMorviMain::ClipClearClick);
    Run(&TMorviMain::Button2Click);
    EXPECT_EQ(LastBoxText(), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞには画像ﾃﾞｰﾀがありません。"));
}

TEST_F(WindowCommands, APasteThatCannotBeReadLeavesNoStalePicture) {
    // Offers that name a picture type but hold nothing decodable are no picture:
    // the session on show is kept.
    window_->RunHandler([&] { window_->WMDropFiles({test::WriteBmp(Path("keep.bmp"), 64, 48, gfx::clBlack)}); });
    auto* unreadable = new QMimeData;  // owned by the clipboard from here on
    unreadable->setData(QStringLiteral("image/png"), QByteArray("not a png at all"));
    QGuiApplication::clipboard()->setMimeData(unreadable);
    Run(&TMorviMain::Button2Click);
    EXPECT_EQ(LastBoxText(), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞには画像ﾃﾞｰﾀがありません。"));
    EXPECT_TRUE(ui_.errors.isEmpty());
    EXPECT_EQ(window_->Session().CurrentFileName, Path("keep.bmp"));
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("64"));

    // A BMP offer the engine rejects: the error is reported, and the cleared
    // session stays empty instead of working on the picture shown before.
    auto* broken = new QMimeData;
    static const char kShortHeader[] = "BM\x12\0\0\0\0\0\0\0\x36\0\0\0\x07\0\0\0";
    broken->setData(QStringLiteral("image/bmp"), QByteArray(kShortHeader, sizeof kShortHeader - 1));
    QGuiApplication::clipboard()->setMimeData(broken);
    Run(&TMorviMain::Button2Click);
    EXPECT_EQ(ui_.errors.size(), 1);
    EXPECT_TRUE(window_->Session().CurrentFileName.isEmpty());
    const size_t boxes = ui_.boxes.size();
    Run(&TMorviMain::Button1Click);
    ASSERT_EQ(ui_.boxes.size(), boxes + 1);
    EXPECT_EQ(LastBoxText(), QStringLiteral("転送する画像がありません。"));
    Run(&TMorviMain::LightUpClick);
    EXPECT_EQ(LastBoxText(), QStringLiteral("明るくする画像はありません。"));
}

// Offers that claim more than the pixel budget are refused by their header with
// the window's warning, before the session is cleared: the picture on show stays.
TEST_F(WindowCommands, APasteAboveThePixelBudgetIsRefusedAndKeepsThePicture) {
    window_->RunHandler([&] { window_->WMDropFiles({test::WriteBmp(Path("keep.bmp"), 64, 48, gfx::clBlack)}); });
    struct Offer {
        const char* type;
        QByteArray bytes;
    };
    const QByteArray rle = test::RleBmp(32768, 32768, QByteArray("\0\x01", 2));
    const QByteArray png = test::PngClaiming(40000, 40000);
    for (const Offer& offer : {Offer{"image/bmp", rle}, Offer{"image/png", png}}) {
        auto* mime = new QMimeData;  // owned by the clipboard from here on
        mime->setData(QLatin1String(offer.type), offer.bytes);
        QGuiApplication::clipboard()->setMimeData(mime);
        const int beeps = ui_.beeps;
        Run(&TMorviMain::Button2Click);
        EXPECT_TRUE(ui_.errors.isEmpty()) << offer.type << ": " << ui_.errors.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(ui_.beeps, beeps + 1) << offer.type;
        EXPECT_TRUE(LastBoxText().startsWith(QStringLiteral("画像が大きすぎるため扱えません。"))) << offer.type;
        EXPECT_TRUE(LastBoxText().contains(offer.bytes.startsWith("BM") ? QStringLiteral("32768 x 32768")
                                                                         : QStringLiteral("40000 x 40000")))
            << LastBoxText().toStdString();
        EXPECT_EQ(window_->Session().CurrentFileName, Path("keep.bmp")) << offer.type;
        EXPECT_EQ(Source().Width(), 64) << offer.type;
        EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("64")) << offer.type;
    }
}

TEST_F(WindowCommands, PastedMetafilesFollowTheLongSideRule) {
    struct Case {
        int w, h, expectedW, expectedH;
    };
    for (const Case& c : {Case{800, 600, 1600, 1200}, Case{4000, 3000, 2000, 1500}, Case{500, 1000, 800, 1600},
                          Case{1800, 1800, 1800, 1800}}) {
        const QByteArray svg = QStringLiteral("<svg xmlns='http://www.w3.org/2000/svg' width='%1' height='%2'>"
                                              "<rect x='0' y='0' width='%3' height='%2' fill='#ff0000'/></svg>")
                                   .arg(c.w)
                                   .arg(c.h)
                                   .arg(c.w / 2)
                                   .toUtf8();
        auto* mime = new QMimeData;  // owned by the clipboard from here on
        mime->setData(QStringLiteral("image/svg+xml"), svg);
        QGuiApplication::clipboard()->setMimeData(mime);
        const size_t boxes = ui_.boxes.size();
        Run(&TMorviMain::Button2Click);
        ASSERT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString();
        ASSERT_EQ(ui_.boxes.size(), boxes + 1);
        EXPECT_EQ(ui_.boxes.back().caption, QStringLiteral("情報"));
        EXPECT_TRUE(ui_.boxes.back().text.startsWith(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞには、ﾒﾀﾌｧｲﾙ画像しか無いため")));
        EXPECT_EQ(Source().Width(), c.expectedW) << c.w << "x" << c.h;
        EXPECT_EQ(Source().Height(), c.expectedH) << c.w << "x" << c.h;
        // The drawing covers its left half; the rest stays white.
        gfx::Bitmap& bitmap = window_->Session().SourcePicture->GetBitmap();
        EXPECT_EQ(bitmap.Pixel(c.expectedW / 4, c.expectedH / 2), gfx::RGB(255, 0, 0));
        EXPECT_EQ(bitmap.Pixel(c.expectedW * 3 / 4, c.expectedH / 2), gfx::clWhite);
    }
}

// A drawing made by a real program, offered the way office suites offer EMF.
TEST_F(WindowCommands, PastedEmfFromAnotherProgramIsRenderedAtTheLongSideSize) {
    QFile file(QStringLiteral(MORVI_SOURCE_DIR "/tests/data/metafile/shapes.emf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    for (const char* type : {"image/x-emf", "application/x-openoffice-emf;windows_formatname=\"Image EMF\""}) {
        auto* mime = new QMimeData;  // owned by the clipboard from here on
        mime->setData(QLatin1String(type), file.readAll());
        file.seek(0);
        QGuiApplication::clipboard()->setMimeData(mime);
        Run(&TMorviMain::Button2Click);
        ASSERT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString();
        // 242 x 162 pixels at 96 dpi: the long side becomes 1600, the short one
        // (16250 div 242 = 67) % of it.
        EXPECT_EQ(Source().Width(), 1600) << type;
        EXPECT_EQ(Source().Height(), 1072) << type;
    }
}

TEST_F(WindowCommands, AMetafileOfNoSizeIsRefusedInsteadOfDividingByZero) {
    // An EMF header whose frame is empty, and the end record.
    QByteArray emf(108, '\0');
    auto put32 = [&emf](int at, uint32_t v) { std::memcpy(emf.data() + at, &v, 4); };
    put32(0, 1);       // EMR_HEADER
    put32(4, 88);      // its size
    put32(40, 0x464D4520);  // " EMF"
    put32(44, 0x10000);
    put32(48, 108);    // bytes in the file
    put32(52, 2);      // records
    put32(56, 1);      // handles
    put32(72, 1024);   // reference device in pixels
    put32(76, 768);
    put32(80, 320);    // and in millimetres
    put32(84, 240);
    put32(88, 14);     // EMR_EOF
    put32(92, 20);
    put32(104, 20);
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/x-emf"), emf);
    QGuiApplication::clipboard()->setMimeData(mime);
    Run(&TMorviMain::Button2Click);
    ASSERT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString();
    ASSERT_GE(ui_.boxes.size(), 2u);
    EXPECT_EQ(ui_.boxes.back().caption, QStringLiteral("警告"));
    EXPECT_EQ(Find<ImageControl>("Image1")->Tag(), -1) << "nothing is shown";
}

TEST_F(WindowCommands, SaveDecidesTypeAndNameLikeItAlwaysHas) {
    Open(test::WriteBmp(Path("icon-source.bmp"), 64, 48, gfx::RGB(0, 128, 255)));
    Edit("Edit1")->setText(QStringLiteral("200"));
    Edit("Edit2")->setText(QStringLiteral("100"));

    // Through the dialog: the bitmap filter wins over a name ending in .jpg.
    ui_.saveAnswers.enqueue(SaveAnswer{Path("x.jpg"), 1});
    Run(&TMorviMain::SpeedButton3Click);
    ASSERT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString();
    QByteArray bytes = ReadBytes(Path("x.jpg"));
    ASSERT_TRUE(bytes.startsWith("BM"));
    EXPECT_EQ(Panel(0), Path("x.jpg") + QStringLiteral(" を保存しました。"));
    EXPECT_EQ(window_->Session().SaveDirectory, QDir::currentPath() + QLatin1Char('/')) << "a BMP save leaves it";

    // The next overwrite save: the name decides (JPEG), and it asks first.
    ui_.boxAnswers.enqueue(BoxAnswer::No);
    Run(&TMorviMain::SpeedButton2Click);
    EXPECT_TRUE(ReadBytes(Path("x.jpg")).startsWith("BM")) << "No leaves the file";
    EXPECT_TRUE(LastBoxText().endsWith(QStringLiteral(" ﾌｧｲﾙは既に存在します。\r\n上書きしますか？")));
    ui_.boxAnswers.enqueue(BoxAnswer::Yes);
    Run(&TMorviMain::SpeedButton2Click);
    bytes = ReadBytes(Path("x.jpg"));
    ASSERT_TRUE(bytes.startsWith("\xFF\xD8"));
    EXPECT_EQ(window_->Session().SaveDirectory, dir_.path() + QLatin1Char('/')) << "a JPEG save remembers its folder";
    gfx::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    const auto decoded = gfx::ReadJpeg(stream);
    EXPECT_EQ(decoded->Width(), 200);
    EXPECT_EQ(decoded->Height(), 100);

    // A cancelled dialog writes nothing and leaves the session without a name.
    Run(&TMorviMain::SpeedButton3Click);
    EXPECT_TRUE(window_->Session().CurrentFileName.isEmpty());
}

TEST_F(WindowCommands, NamesOtherThanBmpOrJpgAreSavedAsBmp) {
    struct Case {
        const char* opened;
        const char* written;
        bool warned;
        bool jpeg;
    };
    const Case cases[] = {
        {"photo.JPG", "photo.JPG", false, true},
        {"photo.jpeg", "photo.bmp", true, false},
        {"plain.bmp", "plain.bmp", false, false},
        {"shot.BMP", "shot.BMP", false, false},
        {"noext", "noext.bmp", true, false},
        {"d.x/noext", "d.x/noext.bmp", true, false},
        {"trail.", "trail.bmp", true, false},
    };
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("d.x")));
    for (const Case& c : cases) {
        const QString opened = Path(QLatin1String(c.opened));
        test::WriteBmp(Path(QStringLiteral("tmp.bmp")), 20, 10, gfx::clBlack);
        QFile::remove(opened);
        QFile::copy(Path(QStringLiteral("tmp.bmp")), opened);
        // A JPEG-named file must be readable as what its name says.
        window_->RunHandler([&] { window_->LoadPictureFile(Path(QStringLiteral("tmp.bmp")), false); });
        const_cast<SessionState&>(window_->Session()).CurrentFileName = opened;
        const size_t boxes = ui_.boxes.size();
        ui_.boxAnswers.enqueue(BoxAnswer::Yes);
        Run(&TMorviMain::SpeedButton2Click);
        ASSERT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(window_->Session().CurrentFileName, Path(QLatin1String(c.written)));
        const bool warned = ui_.boxes.size() > boxes &&
                            ui_.boxes[boxes].text == QStringLiteral("元画像は BMP,JPG 以外のため\r\nBMP で保存します。");
        EXPECT_EQ(warned, c.warned) << c.opened;
        const QByteArray bytes = ReadBytes(Path(QLatin1String(c.written)));
        EXPECT_EQ(bytes.startsWith("\xFF\xD8"), c.jpeg) << c.opened;
    }
}

TEST_F(WindowCommands, TurnsChangeTheSizeAndKeepEveryPixel) {
    const QString path = WriteQuadrants(QStringLiteral("q.bmp"), 65, 47);
    Open(path);
    gfx::Bitmap original;
    original.Assign(&window_->Session().SourcePicture->GetBitmap());

    Run(&TMorviMain::MenuGazoLeftClick);
    ASSERT_EQ(Source().Width(), 47);
    ASSERT_EQ(Source().Height(), 65);
    gfx::Bitmap left;
    left.Assign(&window_->Session().SourcePicture->GetBitmap());
    for (int y = 0; y < 47; ++y) {
        // The left column of the original is the bottom row of the picture turned left.
        ASSERT_EQ(left.Pixel(y, 64), original.Pixel(0, y)) << y;
    }

    // Three turns right from the original give the same picture as one left.
    Open(path);
    for (int i = 0; i < 3; ++i) Run(&TMorviMain::MenuGazoRightClick);
    const gfx::Bitmap& rights = window_->Session().SourcePicture->GetBitmap();
    ASSERT_EQ(rights.Width(), 47);
    ASSERT_EQ(rights.Height(), 65);
    for (int y = 0; y < 65; ++y)
        for (int x = 0; x < 47; ++x) ASSERT_EQ(rights.Pixel(x, y), left.Pixel(x, y)) << x << "," << y;

    // Half a turn is both mirrors at once; a single pixel stays a single pixel.
    Open(path);
    Run(&TMorviMain::MenuGazoFlipClick);
    const gfx::Bitmap& half = window_->Session().SourcePicture->GetBitmap();
    for (int y = 0; y < 47; ++y)
        for (int x = 0; x < 65; ++x) ASSERT_EQ(half.Pixel(x, y), original.Pixel(64 - x, 46 - y));
    Open(test::WriteBmp(Path("one.bmp"), 1, 1, gfx::RGB(1, 2, 3)));
    Run(&TMorviMain::MenuGazoLeftClick);
    EXPECT_EQ(Source().Width(), 1);
    EXPECT_EQ(Source().Height(), 1);
    EXPECT_EQ(window_->Session().SourcePicture->GetBitmap().Pixel(0, 0), gfx::RGB(1, 2, 3));
}

TEST_F(WindowCommands, ATurnAtAMagnificationShowsTheTurnedSize) {
    Open(test::WriteBmp(Path("p.bmp"), 640, 480, gfx::clBlack));
    Find<UpDownControl>("UpDown1")->SetPosition(1);
    Run(&TMorviMain::UpDown1Click);
    Drag(10, 10, 50, 50);
    Run(&TMorviMain::MenuGazoLeftClick);
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("680"));
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("910"));
    EXPECT_EQ(Edit("Edit3")->text(), QStringLiteral("2"));
    EXPECT_EQ(window_->Session().SelectionActive, 0) << "a turn clears the selection";
}

TEST_F(WindowCommands, MirrorsKeepTheSelectionAndThePlainSize) {
    Open(WriteQuadrants(QStringLiteral("q.bmp"), 64, 48));
    gfx::Bitmap original;
    original.Assign(&window_->Session().SourcePicture->GetBitmap());
    Find<UpDownControl>("UpDown1")->SetPosition(1);
    Run(&TMorviMain::UpDown1Click);
    Drag(5, 5, 40, 30);
    const gfx::Rect selection = window_->Session().SelectionRect;

    Run(&TMorviMain::ReverseHClick);
    EXPECT_EQ(window_->Session().SelectionActive, 1);
    EXPECT_EQ(window_->Session().SelectionRect, selection);
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("64"));
    EXPECT_EQ(Edit("Edit3")->text(), QStringLiteral("2"));
    const gfx::Bitmap& mirrored = window_->Session().SourcePicture->GetBitmap();
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(mirrored.Pixel(x, y), original.Pixel(63 - x, y));
    Run(&TMorviMain::ReverseVClick);
    const gfx::Bitmap& both = window_->Session().SourcePicture->GetBitmap();
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(both.Pixel(x, y), original.Pixel(63 - x, 47 - y));
}

TEST_F(WindowCommands, ToneCommandsAddUpOnThePicture) {
    Open(test::WriteBmp(Path("p.bmp"), 8, 4, gfx::RGB(100, 240, 10)));
    Edit("Edit1")->setText(QStringLiteral("77"));
    Run(&TMorviMain::LightUpClick);
    Run(&TMorviMain::LightUpClick);
    EXPECT_EQ(window_->Session().SourcePicture->GetBitmap().Pixel(3, 2), gfx::RGB(140, 255, 50));
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("8")) << "the picture's own width replaces a typed one";
    Run(&TMorviMain::LightDownClick);
    EXPECT_EQ(window_->Session().SourcePicture->GetBitmap().Pixel(3, 2), gfx::RGB(120, 235, 30));

    test::WriteBmp(Path("white.bmp"), 4, 4, gfx::clWhite);
    Open(Path("white.bmp"));
    Run(&TMorviMain::MonoClick);
    const gfx::Bitmap& grey = window_->Session().SourcePicture->GetBitmap();
    EXPECT_EQ(grey.Format(), gfx::PixelFormat::pf24bit);
    EXPECT_EQ(grey.Pixel(0, 0), gfx::RGB(253, 253, 253));
}

TEST_F(WindowCommands, APastedPalettePictureComesOutOfAToneCommandAt24Bits) {
    QImage indexed(6, 3, QImage::Format_Indexed8);
    QList<QRgb> colours(20, qRgb(0, 0, 0));  // more than 16, so the file keeps 8 bits
    colours[0] = qRgb(100, 240, 10);
    indexed.setColorTable(colours);
    indexed.fill(0);
    indexed.setPixel(5, 2, 1);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(indexed.save(&buffer, "BMP"));
    auto* mime = new QMimeData;  // owned by the clipboard from here on
    mime->setData(QStringLiteral("image/bmp"), bmp);
    QGuiApplication::clipboard()->setMimeData(mime);
    Run(&TMorviMain::Button2Click);
    ASSERT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(window_->Session().SourcePicture->GetBitmap().Format(), gfx::PixelFormat::pf8bit);

    Run(&TMorviMain::LightUpClick);
    const gfx::Bitmap& lit = window_->Session().SourcePicture->GetBitmap();
    EXPECT_EQ(lit.Format(), gfx::PixelFormat::pf24bit);
    EXPECT_EQ(lit.Width(), 6);
    EXPECT_EQ(lit.Pixel(0, 0), gfx::RGB(120, 255, 30));
    EXPECT_EQ(lit.Pixel(5, 2), gfx::RGB(20, 20, 20));
}

TEST_F(WindowCommands, BatchSizesEveryFileByTheRules) {
    test::WriteBmp(Path("one.bmp"), 800, 600, gfx::clBlack);
    test::WriteBmp(Path("big.bmp"), 1024, 768, gfx::clBlack);
    QImage icon(40, 40, QImage::Format_ARGB32);
    icon.fill(QColor(0, 0, 255));
    ASSERT_TRUE(icon.save(Path("three.ico"), "ICO"));
    Run(&TMorviMain::Button3Click);  // boxes "0", magnification 1/1

    ui_.openAnswers.enqueue({Path("one.bmp"), Path("missing.bmp"), Path("big.bmp")});
    Run(&TMorviMain::IkkatsuClick);
    ASSERT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(ui_.openRequests.size(), 1u);
    EXPECT_TRUE(ui_.openRequests.front().multiple);
    EXPECT_EQ(window_->findChild<QObject*>(QStringLiteral("Ikkatsu"))->property("Tag").toInt(), 0);

    // After a clear the first file sets the size for all of them.
    gfx::Picture check;
    check.LoadFromFile(QFile::encodeName(Path("big.bmp")).toStdString());
    EXPECT_EQ(check.Width(), 800);
    EXPECT_EQ(check.Height(), 600);
    EXPECT_EQ(window_->Session().CurrentFileName, Path("big.bmp"));
    EXPECT_TRUE(ui_.boxes.empty()) << "no overwrite question in a batch";
    EXPECT_TRUE(window_->Session().OpenDirectory.isEmpty()) << "the open command's folder is left alone";

    // A magnification scales every file from its own size; other kinds are
    // written beside as .bmp after one warning.
    Find<UpDownControl>("UpDown1")->SetPosition(-2);
    ui_.openAnswers.enqueue({Path("three.ico")});
    Run(&TMorviMain::IkkatsuClick);
    ASSERT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes.front().text, QStringLiteral("元画像は BMP,JPG 以外のため\r\nBMP で保存します。"));
    check.LoadFromFile(QFile::encodeName(Path("three.bmp")).toStdString());
    EXPECT_EQ(check.Width(), 20);
    EXPECT_TRUE(QFileInfo::exists(Path("three.ico")));
}

// A load that fails after the file was read (a metafile too large to render, no
// memory for one of its steps) leaves the previous picture and every
// value that describes it; the next command works on that picture.
TEST_F(WindowCommands, ALoadThatFailsHalfWayKeepsThePreviousPicture) {
    Open(test::WriteBmp(Path("keep.bmp"), 64, 48, gfx::RGB(40, 40, 40)));
    const auto expectKept = [&](const char* step) {
        ASSERT_TRUE(window_->Session().SourcePicture->HasBitmap()) << step;
        EXPECT_EQ(Source().Width(), 64) << step;
        EXPECT_EQ(Source().Height(), 48) << step;
        EXPECT_EQ(window_->Session().PictureWidth, 64) << step;
        EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("64")) << step;
        const uint8_t grey = gfx::GetRValue(window_->Session().SourcePicture->GetBitmap().Pixel(10, 10));
        Run(&TMorviMain::LightUpClick);
        const uint8_t brighter = static_cast<uint8_t>(grey + 20);
        EXPECT_EQ(window_->Session().SourcePicture->GetBitmap().Pixel(10, 10), gfx::RGB(brighter, brighter, brighter))
            << step;
        EXPECT_EQ(Source().Width(), 64) << step;
    };
    // An EMF whose frame is some 22700 pixels square at 96 dpi.
    const QString huge = Path("huge.emf");
    const metafile_test::Bytes emf = metafile_test::EmfWriter().Finish(600000, 600000, 1);
    test::WriteBytes(huge, QByteArray(reinterpret_cast<const char*>(emf.data()), static_cast<qsizetype>(emf.size())));
    window_->RunHandler([&] { window_->LoadPictureFile(huge, true); });
    EXPECT_TRUE(ui_.errors.isEmpty()) << ui_.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(LastBoxText().startsWith(QStringLiteral("画像が大きすぎるため扱えません。"))) << LastBoxText().toStdString();
    expectKept("metafile too large to render");

    // Each allocation of a load by the dialog road fails in turn, until the
    // load has all it needs.
    const QString other = test::WriteBmp(Path("other.bmp"), 20, 10, gfx::clWhite);
    for (int n = 1;; ++n) {
        const qsizetype errors = ui_.errors.size();
        gfx::testing::FailBitmapAllocationAfter(n);
        window_->RunHandler([&] { window_->LoadPictureFile(other, true); });
        gfx::testing::FailBitmapAllocationAfter(0);
        if (ui_.errors.size() == errors) break;
        ASSERT_GT(n, 0);
        expectKept("out of memory in the load");
    }
    EXPECT_EQ(Source().Width(), 20) << "the load succeeds once nothing fails";
}

TEST_F(WindowCommands, ABatchEndsAtTheFirstFileThatCannotBeLoaded) {
    test::WriteBmp(Path("a.bmp"), 30, 20, gfx::clBlack);
    test::WriteBytes(Path("broken.bmp"), QByteArray("BM not a picture"));
    test::WriteBmp(Path("c.bmp"), 30, 20, gfx::clBlack);
    Edit("Edit1")->setText(QStringLiteral("10"));
    Edit("Edit2")->setText(QStringLiteral("5"));
    ui_.openAnswers.enqueue({Path("a.bmp"), Path("broken.bmp"), Path("c.bmp")});
    Run(&TMorviMain::IkkatsuClick);
    EXPECT_EQ(ui_.errors.size(), 1);
    gfx::Picture check;
    check.LoadFromFile(QFile::encodeName(Path("a.bmp")).toStdString());
    EXPECT_EQ(check.Width(), 10) << "the file before stays converted";
    check.LoadFromFile(QFile::encodeName(Path("c.bmp")).toStdString());
    EXPECT_EQ(check.Width(), 30) << "the file after is not touched";
    EXPECT_EQ(window_->findChild<QObject*>(QStringLiteral("Ikkatsu"))->property("Tag").toInt(), 0);
}

TEST_F(WindowCommands, ABatchWhoseOutputSizeIsRefusedEndsAtOnce) {
    test::WriteBmp(Path("a.bmp"), 30, 20, gfx::clBlack);
    test::WriteBmp(Path("b.bmp"), 30, 20, gfx::clBlack);
    const QByteArray before = ReadBytes(Path("a.bmp"));
    Edit("Edit1")->setText(QStringLiteral("-5"));
    Edit("Edit2")->setText(QStringLiteral("10"));
    ui_.openAnswers.enqueue({Path("a.bmp"), Path("b.bmp")});
    Run(&TMorviMain::IkkatsuClick);
    EXPECT_EQ(ui_.errors.size(), 1) << "one report, not a warning per file";
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_EQ(ReadBytes(Path("a.bmp")), before);
    EXPECT_EQ(window_->Session().CurrentFileName, Path("a.bmp")) << "the run stopped at the first file";
    EXPECT_EQ(window_->findChild<QObject*>(QStringLiteral("Ikkatsu"))->property("Tag").toInt(), 0);
}

// Queues the drag's entry and the drop of one file, as the window system delivers them.
void PostDrop(QWidget* target, const QString& path, QMimeData& mime) {
    mime.setUrls({QUrl::fromLocalFile(path)});
    QCoreApplication::postEvent(target, new QDragEnterEvent(QPoint(200, 200), Qt::CopyAction, &mime, Qt::LeftButton,
                                                            Qt::NoModifier));
    QCoreApplication::postEvent(target, new QDropEvent(QPointF(200, 200), Qt::CopyAction, &mime, Qt::LeftButton,
                                                       Qt::NoModifier));
}

// Drops files on the window while the batch is between its dialog and its files.
class DroppingInteraction : public test::ScriptedInteraction {
public:
    QStringList OpenPictures(const OpenRequest& request) override {
        const QStringList files = test::ScriptedInteraction::OpenPictures(request);
        PostDrop(target, dropped, mime);
        return files;
    }
    QWidget* target = nullptr;
    QString dropped;
    QMimeData mime;
};

TEST_F(WindowCommands, ADropDuringABatchChangesNoOtherFile) {
    DroppingInteraction ui;
    TMorviMain window(ui, QStringList());
    ui.target = &window;
    ui.dropped = test::WriteBmp(Path("other.bmp"), 50, 40, gfx::clBlack);
    const QByteArray other = ReadBytes(ui.dropped);
    test::WriteBmp(Path("a.bmp"), 30, 20, gfx::clBlack);
    {
        // Outside a run a drop opens the file.
        QMimeData mime;
        PostDrop(&window, ui.dropped, mime);
        QCoreApplication::processEvents();
        ASSERT_EQ(window.Session().CurrentFileName, ui.dropped);
    }
    window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("10"));
    window.findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("5"));
    ui.openAnswers.enqueue({Path("a.bmp")});
    window.RunHandler([&] { window.IkkatsuClick(); });
    ASSERT_TRUE(ui.errors.isEmpty()) << ui.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(window.Session().CurrentFileName, Path("a.bmp")) << "the drop did not take the run's place";
    EXPECT_EQ(ReadBytes(ui.dropped), other);
    gfx::Picture check;
    check.LoadFromFile(QFile::encodeName(Path("a.bmp")).toStdString());
    EXPECT_EQ(check.Width(), 10) << "the batch's own file is converted";
}

}  // namespace
}  // namespace morvi

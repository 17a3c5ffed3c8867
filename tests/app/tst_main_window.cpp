// The main window driven headless: its layout, the three loading roads with their
// refusals, errors from the loader, the preview, the clear, the output size row
// and the region drag.
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "app/main_window/MorviMain_u.h"
#include "scripted_interaction.h"
#include "session/picture_kinds.h"
#include "test_pictures.h"

using namespace morvi;
using morvi::test::ScriptedInteraction;
using morvi::test::WriteBmp;
using morvi::test::WriteBytes;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void windowAndMenu();
    void startState();

    void commandLine_data();
    void commandLine();
    void dropRoad_data();
    void dropRoad();
    void dropEventOpensFirstFile();
    void dialogRoad();
    void undecodableKeepsPreviousPicture();

    void preview_data();
    void preview();
    void clear();

    void magnification();
    void keepAspectOnLeaving_data();
    void keepAspectOnLeaving();
    void typingMakesSizeFree_data();
    void typingMakesSizeFree();
    void noRatioLeavesHeight();

    void drag_data();
    void drag();
    void dragWithRealMouse();
    void selectionLifecycle();

private:
    std::unique_ptr<TMorviMain> Open(const QStringList& arguments = {});
    template <class T>
    T* Find(const char* name) const
    {
        T* child = window_->findChild<T*>(QLatin1String(name));
        if (!child) qFatal("no control %s", name);
        return child;
    }
    QString Edit(const char* name) const { return Find<QLineEdit>(name)->text(); }
    QString Panel(int index) const { return window_->findChild<QLabel*>(QStringLiteral("StatusBar1.Panels[%1]").arg(index))->text(); }
    void Focus(const char* name);

    QTemporaryDir dir_;
    ScriptedInteraction ui_;
    std::unique_ptr<TMorviMain> window_;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(dir_.isValid());
    gfx::RegisterStandardFormats();
}

void TestMainWindow::init()
{
    ui_ = ScriptedInteraction();
}

void TestMainWindow::cleanup()
{
    window_.reset();
}

std::unique_ptr<TMorviMain> TestMainWindow::Open(const QStringList& arguments)
{
    return std::make_unique<TMorviMain>(ui_, arguments);
}

void TestMainWindow::Focus(const char* name)
{
    QWidget* widget = Find<QWidget>(name);
    widget->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(widget->hasFocus());
}

// ---------------------------------------------------------------- layout

void TestMainWindow::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::newRow("SpeedButton1") << "SpeedButton1" << QRect(8, 4, 25, 25) << "" << "画像ﾌｧｲﾙを開きます";
    QTest::newRow("SpeedButton2") << "SpeedButton2" << QRect(32, 4, 25, 25) << "" << "上書き保存します";
    QTest::newRow("SpeedButton3") << "SpeedButton3" << QRect(56, 4, 25, 25) << "" << "名前を付けて保存します";
    QTest::newRow("Button3") << "Button3" << QRect(84, 4, 41, 25) << "ｸﾘｱ" << "表示画像をｸﾘｱします";
    QTest::newRow("Button2") << "Button2" << QRect(128, 4, 145, 25) << "ｸﾘｯﾌﾟﾎﾞｰﾄﾞからの取込み"
                             << "ｸﾘｯﾌﾟﾎﾞｰﾄﾞから画像を取り込みます";
    QTest::newRow("Button1") << "Button1" << QRect(276, 4, 133, 25) << "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへ画像転送"
                             << "クリップボードへ画像を転送します";
    QTest::newRow("Panel1") << "Panel1" << QRect(8, 32, 400, 400) << "画像　未読み" << "";
    QTest::newRow("Image1") << "Image1" << QRect(0, 0, 400, 400) << "" << "";
    QTest::newRow("Image2") << "Image2" << QRect(24, 24, 125, 125) << "" << "";
    QTest::newRow("Image3 covers the panel") << "Image3" << QRect(0, 0, 400, 400) << "" << "";
    QTest::newRow("Image4") << "Image4" << QRect(48, 176, 77, 81) << "" << "";
    QTest::newRow("CheckBox1") << "CheckBox1" << QRect(8, 436, 97, 21) << "縦横比を維持" << "";
    QTest::newRow("Edit1") << "Edit1" << QRect(124, 436, 37, 20) << "0" << "";
    QTest::newRow("Edit2") << "Edit2" << QRect(204, 436, 37, 20) << "0" << "";
    QTest::newRow("Edit3") << "Edit3" << QRect(316, 436, 37, 20) << "1/1" << "";
    QTest::newRow("UpDown1") << "UpDown1" << QRect(357, 436, 16, 20) << "" << "";
    QTest::newRow("Button7") << "Button7" << QRect(376, 436, 33, 21) << "1/1" << "ｻｲｽﾞを元のｻｲｽﾞに戻します";
    QTest::newRow("StatusBar1") << "StatusBar1" << QRect(0, 459, 417, 21) << "" << "";
}

void TestMainWindow::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    window_ = Open();
    QWidget* control = Find<QWidget>(name.toLatin1().constData());
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->toolTip(), hint);
    QCOMPARE(control->accessibleDescription(), name);
    if (auto* button = qobject_cast<QAbstractButton*>(control)) QCOMPARE(button->text(), caption);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) QCOMPARE(edit->text(), caption);
    if (auto* label = qobject_cast<QLabel*>(control)) QCOMPARE(label->text(), caption);
}

void TestMainWindow::windowAndMenu()
{
    window_ = Open();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QCOMPARE(window_->windowTitle(), QStringLiteral("モルビ"));
    QCOMPARE(window_->centralWidget()->size(), QSize(417, 480));
    QCOMPARE(window_->size(), QSize(417, 480 + window_->menuBar()->height()));
    QCOMPARE(window_->minimumSize(), window_->maximumSize());
    QCOMPARE(window_->font().pixelSize(), 12);
    QVERIFY(!(window_->windowFlags() & Qt::WindowMaximizeButtonHint));

    // Each menu with its items in order; "-" is a separator of that name.
    const QList<QStringList> menus = {
        {"ﾌｧｲﾙ(&F)", "MenuFileOpen=開く(&O)", "MenuFileSave=上書き保存(&S)", "MenuFileSaveAs=名前を付けて保存(&A)",
         "Ikkatsu=一括サイズ変換(&I)", "N1=-", "MenuFileEnd=モルビの終了(&Q)"},
        {"編集(&E)", "MenuEditPaste=クリップボードからの取込み(&P)", "MenuEditCopy=クリップボードへ転送(&C)", "N2=-",
         "ClipClear=ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容ｸﾘｱ(&X)"},
        {"画像(&G)", "MenuGazoLeft=左に９０度回転(&L)", "MenuGazoRight=右に９０度回転(&R)",
         "MenuGazoFlip=１８０度回転(&F)", "ReverseH=左右反転(&H)", "ReverseV=上下反転(&V)", "N5=-",
         "LightUp=画像を明るくする(&U)", "LightDown=画像を暗くする(&D)", "ContrastUp=コントラストを強くする(&K)",
         "ContrastDown=コントラストを弱くする(&J)", "Mono=白黒化する(&B)", "N3=-", "MenuGazouClear=表示画像のｸﾘｱ(&C)"},
        {"領域選択(&S)", "MenuSelectClear=選択領域ｸﾘｱ(&R)"},
        {"ﾍﾙﾌﾟ(&H)", "DocView=取説ﾄﾞｷｭﾒﾝﾄの表示 ...", "HisView=開発ﾋｽﾄﾘｰの表示 ...", "N4=-",
         "MenuHelpVer=ﾊﾞｰｼﾞｮﾝ情報(&V)"},
    };
    const QList<QAction*> top = window_->menuBar()->actions();
    QCOMPARE(top.size(), menus.size());
    for (int m = 0; m < menus.size(); ++m) {
        QCOMPARE(top[m]->text(), menus[m][0]);
        const QList<QAction*> items = top[m]->menu()->actions();
        QCOMPARE(items.size(), menus[m].size() - 1);
        for (int i = 0; i < items.size(); ++i) {
            const QStringList nameAndCaption = menus[m][i + 1].split('=');
            QCOMPARE(items[i]->objectName(), nameAndCaption[0]);
            if (nameAndCaption[1] == "-") {
                QVERIFY(items[i]->isSeparator());
            } else {
                QCOMPARE(items[i]->text(), nameAndCaption[1]);
                QVERIFY(items[i]->isEnabled());
            }
        }
    }
}

void TestMainWindow::startState()
{
    window_ = Open();
    const SessionState& s = window_->Session();
    QCOMPARE(Find<ImageControl>("Image1")->Tag(), -1);
    QVERIFY(Find<QCheckBox>("CheckBox1")->isChecked());
    QVERIFY(Find<QLineEdit>("Edit3")->isReadOnly());
    auto* updown = Find<UpDownControl>("UpDown1");
    QCOMPARE(QList<int>({updown->Minimum(), updown->Position(), updown->Maximum()}), QList<int>({-10, 0, 10}));
    QVERIFY(Find<QLabel>("Label4")->isHidden());
    QVERIFY(Find<ImageControl>("Image2")->isHidden());
    QCOMPARE(s.AspectPercent, 1);
    QCOMPARE(s.VersionText, QStringLiteral("1.6"));
    const QStringList labels = {"Label1", "Label2", "Label3"};
    const QStringList texts = {"幅", "ｘ 高さ", "転送時倍率"};
    const QList<QPoint> places = {{108, 440}, {168, 440}, {252, 440}};
    for (int i = 0; i < labels.size(); ++i) {
        auto* label = window_->findChild<QLabel*>(labels[i]);
        QCOMPARE(label->text(), texts[i]);
        QCOMPARE(label->pos(), places[i]);
    }
}

// ---------------------------------------------------------------- the roads

void TestMainWindow::commandLine_data()
{
    QTest::addColumn<QStringList>("files");      // written before start
    QTest::addColumn<QStringList>("arguments");  // names in the temporary folder
    QTest::addColumn<bool>("opened");
    QTest::newRow("bmp") << QStringList{"a.bmp"} << QStringList{"a.bmp"} << true;
    QTest::newRow("capital extension") << QStringList{"PHOTO.BMP"} << QStringList{"PHOTO.BMP"} << true;
    QTest::newRow("later arguments ignored") << QStringList{"a.bmp"} << QStringList{"a.bmp", "zzz.txt"} << true;
    QTest::newRow("only the second is a picture") << QStringList{"b.txt", "a.bmp"} << QStringList{"b.txt", "a.bmp"}
                                                  << false;
    QTest::newRow("missing file") << QStringList{} << QStringList{"missing.bmp"} << false;
    QTest::newRow("dib refused") << QStringList{"a.dib"} << QStringList{"a.dib"} << false;
    QTest::newRow("folder named like a picture") << QStringList{} << QStringList{"folder.bmp"} << false;
    // Reaches the loader, whose error goes to the error box; the name stays set.
    QTest::newRow("undecodable") << QStringList{"broken.jpg"} << QStringList{"broken.jpg"} << false;
}

void TestMainWindow::commandLine()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, arguments);
    QFETCH(bool, opened);
    QTemporaryDir here;
    for (const QString& name : files) {
        if (name.endsWith(".jpg")) WriteBytes(here.filePath(name), "not a picture at all");
        else WriteBmp(here.filePath(name), 64, 48, gfx::RGB(0, 128, 255));
    }
    QDir(here.path()).mkdir("folder.bmp");
    QStringList paths;
    for (const QString& name : arguments) paths << here.filePath(name);
    window_ = Open(paths);
    const bool broken = QTest::currentDataTag() == QByteArray("undecodable");
    QCOMPARE(Find<ImageControl>("Image1")->Tag(), opened ? 1 : -1);
    QCOMPARE(window_->Session().CurrentFileName, opened || broken ? paths[0] : QString());
    QCOMPARE(Edit("Edit1"), opened ? QStringLiteral("64") : QStringLiteral("0"));
    QCOMPARE(Panel(0), opened ? paths[0] : QString());
    QCOMPARE(window_->Session().OpenDirectory, QString());
    QCOMPARE(ui_.errors.size(), broken ? 1 : 0);
    QCOMPARE(ui_.beeps, 0);
    QVERIFY(ui_.boxes.empty());
}

void TestMainWindow::dropRoad_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("write");
    QTest::addColumn<bool>("opened");
    QTest::newRow("bmp") << "d.bmp" << true << true;
    QTest::newRow("JPEG extension in capitals") << "D.JPEG" << true << false;  // written as BMP: an error
    QTest::newRow("text file") << "notes.txt" << true << false;
    QTest::newRow("dib refused") << "d.dib" << true << false;
    QTest::newRow("missing") << "gone.bmp" << false << false;
    // Longer than 255 characters: a path cut short would name no file.
    QTest::newRow("long path") << QString(120, 'x') + "/" + QString(150, 'y') + ".bmp" << true << true;
}

void TestMainWindow::dropRoad()
{
    QFETCH(QString, name);
    QFETCH(bool, write);
    QFETCH(bool, opened);
    const QString path = dir_.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (write) WriteBmp(path, 30, 20, gfx::RGB(10, 20, 30));
    window_ = Open();
    window_->RunHandler([&] { window_->WMDropFiles({path}); });
    const bool capitalJpeg = name.endsWith(".JPEG");
    // The capital JPEG passes the test and reaches the loader, which refuses BMP bytes.
    QCOMPARE(ui_.errors.size(), capitalJpeg ? 1 : 0);
    QCOMPARE(Find<ImageControl>("Image1")->Tag(), opened ? 1 : -1);
    QCOMPARE(window_->Session().CurrentFileName, opened || capitalJpeg ? path : QString());
    if (opened) QCOMPARE(Panel(0), path);
}

void TestMainWindow::dropEventOpensFirstFile()
{
    const QString first = WriteBmp(dir_.filePath("first.bmp"), 80, 40, gfx::RGB(255, 0, 0));
    const QString second = WriteBmp(dir_.filePath("second.bmp"), 40, 80, gfx::RGB(0, 255, 0));
    window_ = Open();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    // Qt delivers a drop to the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &drop);
    QCOMPARE(window_->Session().CurrentFileName, first);
    QCOMPARE(window_->Session().PictureWidth, 80);
    QCOMPARE(window_->Session().PictureHeight, 40);
}

void TestMainWindow::dialogRoad()
{
    QTemporaryDir one;
    QTemporaryDir two;
    const QString a = WriteBmp(one.filePath("a.bmp"), 640, 480, gfx::RGB(1, 2, 3));
    const QString b = WriteBmp(two.filePath("b.bmp"), 480, 640, gfx::RGB(4, 5, 6));
    window_ = Open();
    auto* open = Find<QToolButton>("SpeedButton1");

    ui_.openAnswers.enqueue({});  // cancelled: nothing changes
    QTest::mouseClick(open, Qt::LeftButton);
    QCOMPARE(ui_.openRequests.size(), size_t(1));
    QCOMPARE(ui_.openRequests[0].directory, QDir::currentPath());
    QVERIFY(!ui_.openRequests[0].multiple);
    QCOMPARE(Find<ImageControl>("Image1")->Tag(), -1);

    ui_.openAnswers.enqueue({a});
    QTest::mouseClick(open, Qt::LeftButton);
    QCOMPARE(window_->Session().CurrentFileName, a);
    QCOMPARE(window_->Session().OpenDirectory, one.path() + "/");
    QCOMPARE(Find<ImageControl>("Image1")->Tag(), 1);

    // The next dialog starts in the folder of the first file.
    ui_.openAnswers.enqueue({b});
    window_->findChild<QAction*>("MenuFileOpen")->trigger();
    QCOMPARE(ui_.openRequests[2].directory, one.path() + "/");
    QCOMPARE(window_->Session().PictureWidth, 480);
    QCOMPARE(window_->Session().OpenDirectory, two.path() + "/");

    // A chosen file that has gone meanwhile changes nothing.
    ui_.openAnswers.enqueue({one.filePath("vanished.bmp")});
    QTest::mouseClick(open, Qt::LeftButton);
    QCOMPARE(window_->Session().CurrentFileName, b);
    QVERIFY(ui_.errors.isEmpty());

    // No extension test on this road: a name the drop would ignore reaches the
    // loader, which reports it.
    const QString odd = WriteBmp(one.filePath("odd.txt"), 10, 10, gfx::clWhite);
    ui_.openAnswers.enqueue({odd});
    QTest::mouseClick(open, Qt::LeftButton);
    QCOMPARE(ui_.errors.size(), 1);
    QCOMPARE(window_->Session().CurrentFileName, odd);
}

void TestMainWindow::undecodableKeepsPreviousPicture()
{
    const QString good = WriteBmp(dir_.filePath("good.bmp"), 120, 90, gfx::RGB(0, 0, 255));
    const QString bad = WriteBytes(dir_.filePath("bad.bmp"), QByteArray("BM") + QByteArray(60, '\xff'));
    window_ = Open({good});
    window_->RunHandler([&] { window_->WMDropFiles({bad}); });
    QCOMPARE(ui_.errors.size(), 1);
    QVERIFY(!ui_.errors[0].isEmpty());
    const SessionState& s = window_->Session();
    QCOMPARE(s.SourcePicture->Width(), 120);
    QCOMPARE(s.SourcePicture->Height(), 90);
    QCOMPARE(s.CurrentFileName, bad);
    QCOMPARE(Find<ImageControl>("Image1")->Tag(), 1);
    // The rest of the sequence did not run: the status bar still names the old file,
    // and the preview was cleared to white.
    QCOMPARE(Panel(0), good);
    const gfx::Bitmap* preview = Find<ImageControl>("Image1")->Picture();
    QVERIFY(preview);
    QCOMPARE(preview->Pixel(preview->Width() / 2, preview->Height() / 2), gfx::clWhite);
}

// ---------------------------------------------------------------- preview and clear

void TestMainWindow::preview_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QRect>("placement");
    QTest::addColumn<int>("aspect");
    QTest::newRow("landscape") << 640 << 480 << QRect(1, 50, 398, 299) << 133;
    QTest::newRow("portrait") << 480 << 640 << QRect(51, 1, 298, 398) << 75;
    QTest::newRow("square") << 400 << 400 << QRect(1, 1, 398, 398) << 100;
    QTest::newRow("small square is enlarged") << 3 << 3 << QRect(1, 1, 398, 398) << 100;
    QTest::newRow("one pixel wide") << 1 << 200 << QRect(200, 1, 0, 398) << 0;
}

void TestMainWindow::preview()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QRect, placement);
    QFETCH(int, aspect);
    const gfx::Color colour = gfx::RGB(200, 100, 50);
    const QString path = WriteBmp(dir_.filePath("p.bmp"), width, height, colour);
    window_ = Open({path});
    QVERIFY(ui_.errors.isEmpty());
    auto* image1 = Find<ImageControl>("Image1");
    QCOMPARE(image1->geometry(), placement);
    QCOMPARE(Find<ImageControl>("Image3")->geometry(), placement);
    QCOMPARE(window_->Session().AspectPercent, aspect);
    QCOMPARE(image1->Picture()->Width(), placement.width());
    QCOMPARE(image1->Picture()->Height(), placement.height());
    if (placement.width() > 0) {
        QCOMPARE(image1->Picture()->Pixel(0, 0), colour);
        QCOMPARE(image1->Picture()->Pixel(placement.width() - 1, placement.height() - 1), colour);
    }
    QCOMPARE(Panel(1), QStringLiteral("元ｻｲｽﾞ %1 x %2").arg(width).arg(height));
    QCOMPARE(Panel(0), path);
    QCOMPARE(Find<QWidget>("StatusBar1")->toolTip(), path);
    QCOMPARE(Edit("Edit1"), QString::number(width));
    QCOMPARE(Edit("Edit2"), QString::number(height));
    QCOMPARE(Edit("Edit3"), QStringLiteral("1/1"));
    // The picture became a device bitmap of its own size.
    QVERIFY(window_->Session().SourcePicture->HasBitmap());
    QCOMPARE(window_->Session().SourcePicture->Width(), width);
}

void TestMainWindow::clear()
{
    const QString path = WriteBmp(dir_.filePath("c.bmp"), 640, 480, gfx::clBlack);
    window_ = Open({path});
    Find<UpDownControl>("UpDown1")->StepUp();
    window_->Image3MouseDown(10, 10);
    window_->Image3MouseMove(100, 100);
    QTest::mouseClick(Find<QPushButton>("Button3"), Qt::LeftButton);
    const SessionState& s = window_->Session();
    QCOMPARE(Edit("Edit1"), QStringLiteral("0"));
    QCOMPARE(Edit("Edit2"), QStringLiteral("0"));
    QCOMPARE(Edit("Edit3"), QStringLiteral("1/1"));
    QCOMPARE(Find<UpDownControl>("UpDown1")->Position(), 0);
    QCOMPARE(Panel(0), QString());
    QCOMPARE(Panel(1), QString());
    QCOMPARE(Find<QWidget>("StatusBar1")->toolTip(), QString());
    QCOMPARE(s.CurrentFileName, QString());
    QCOMPARE(Find<ImageControl>("Image1")->Tag(), -1);
    QVERIFY(!Find<ImageControl>("Image1")->HasPicture());
    QVERIFY(Find<QLabel>("Label4")->isHidden());
    QCOMPARE(s.PictureWidth, 0);
    QCOMPARE(s.AspectPercent, 1);
    QCOMPARE(s.SelectionRect, (gfx::Rect{0, 0, 0, 0}));
    QCOMPARE(s.SelectionActive, uint8_t(0));
    // The picture object stays; the tag alone says the session is empty.
    QCOMPARE(s.SourcePicture->Width(), 640);
}

// ---------------------------------------------------------------- output size

void TestMainWindow::magnification()
{
    window_ = Open({WriteBmp(dir_.filePath("m.bmp"), 640, 480, gfx::clWhite)});
    auto* updown = Find<UpDownControl>("UpDown1");
    const struct {
        int steps;  // + up, - down, from where the last case left
        const char* width;
        const char* height;
        const char* text;
    } cases[] = {
        {+1, "910", "680", "2"},   {+1, "1280", "960", "4"}, {-3, "460", "340", "1/2"},
        {-1, "320", "240", "1/4"}, {+30, "2870", "2150", "20"}, // stops at 10, no wrap
        {-40, "150", "110", "1/20"},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < std::abs(c.steps); ++i) c.steps > 0 ? updown->StepUp() : updown->StepDown();
        QCOMPARE(Edit("Edit1"), QString(c.width));
        QCOMPARE(Edit("Edit2"), QString(c.height));
        QCOMPARE(Edit("Edit3"), QString::fromUtf8(c.text));
    }
    QCOMPARE(updown->Position(), -10);
    QTest::mouseClick(Find<QPushButton>("Button7"), Qt::LeftButton);
    QCOMPARE(updown->Position(), 0);
    QCOMPARE(Edit("Edit1"), QStringLiteral("640"));
    QCOMPARE(Edit("Edit2"), QStringLiteral("480"));
    QCOMPARE(Edit("Edit3"), QStringLiteral("1/1"));
}

void TestMainWindow::keepAspectOnLeaving_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("leave");     // the box entered and left
    QTest::addColumn<QString>("typed");     // typed into it first (empty: nothing)
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::newRow("leave width untouched") << true << "Edit1" << "" << "1024" << "770";
    QTest::newRow("leave height untouched") << true << "Edit2" << "" << "1020" << "768";
    QTest::newRow("unchecked changes nothing") << false << "Edit1" << "" << "1024" << "768";
    QTest::newRow("typed width") << true << "Edit1" << "800" << "800" << "600";
    QTest::newRow("typed junk counts as 0") << true << "Edit1" << "ab" << "ab" << "0";
    QTest::newRow("negative passes") << true << "Edit1" << "-50" << "-50" << "-30";
}

void TestMainWindow::keepAspectOnLeaving()
{
    QFETCH(bool, checked);
    QFETCH(QString, leave);
    QFETCH(QString, typed);
    QFETCH(QString, width);
    QFETCH(QString, height);
    window_ = Open({WriteBmp(dir_.filePath("k.bmp"), 1024, 768, gfx::clWhite)});
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    Find<QCheckBox>("CheckBox1")->setChecked(checked);
    const QByteArray name = leave.toLatin1();
    Focus(name.constData());
    QCOMPARE(TagOf(Find<QLineEdit>(name.constData())), 1);
    if (!typed.isEmpty()) {
        Find<QLineEdit>(name.constData())->selectAll();
        QTest::keyClicks(Find<QLineEdit>(name.constData()), typed);
    }
    Focus("CheckBox1");
    QCOMPARE(TagOf(Find<QLineEdit>(name.constData())), -1);
    QCOMPARE(Edit("Edit1"), width);
    QCOMPARE(Edit("Edit2"), height);
}

void TestMainWindow::typingMakesSizeFree_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("width") << "Edit1";
    QTest::newRow("height") << "Edit2";
}

void TestMainWindow::typingMakesSizeFree()
{
    QFETCH(QString, box);
    window_ = Open({WriteBmp(dir_.filePath("t.bmp"), 640, 480, gfx::clWhite)});
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    Find<UpDownControl>("UpDown1")->StepUp();
    // Text set by the program into a box without the focus leaves "2" alone.
    QCOMPARE(Edit("Edit3"), QStringLiteral("2"));
    const QByteArray name = box.toLatin1();
    Focus(name.constData());
    QCOMPARE(Edit("Edit3"), QStringLiteral("2"));
    QTest::keyClicks(Find<QLineEdit>(name.constData()), "5");
    QCOMPARE(Edit("Edit3"), QStringLiteral("任意"));
    // The next click on an arrow overwrites both boxes and the text; like the
    // system's up-down it leaves the focus in the box.
    QTest::mouseClick(Find<UpDownControl>("UpDown1")->findChild<QToolButton*>("Down"), Qt::LeftButton);
    QCOMPARE(Edit("Edit3"), QStringLiteral("1/1"));
    QCOMPARE(Edit("Edit1"), QStringLiteral("640"));
    QVERIFY(Find<QLineEdit>(name.constData())->hasFocus());
}

void TestMainWindow::noRatioLeavesHeight()
{
    // 1 x 200 has a ratio of 0 %: deriving a height would divide by zero.
    window_ = Open({WriteBmp(dir_.filePath("thin.bmp"), 1, 200, gfx::clBlack)});
    QCOMPARE(window_->Session().AspectPercent, 0);
    QCOMPARE(Find<ImageControl>("Image1")->width(), 0);
    window_->Edit1Enter();
    window_->Edit1Exit();
    QCOMPARE(Edit("Edit2"), QStringLiteral("200"));
    window_->Edit2Enter();
    window_->Edit2Exit();
    QCOMPARE(Edit("Edit1"), QStringLiteral("0"));
    // A drag on a preview without width maps to 0 instead of dividing by it.
    window_->Image3MouseDown(0, 10);
    window_->Image3MouseMove(0, 100);
    QCOMPARE(window_->Session().SelectionRect.left, 0);
    QVERIFY(ui_.errors.isEmpty());
}

// ---------------------------------------------------------------- selection

void TestMainWindow::drag_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QString>("outWidth");
    QTest::addColumn<QRect>("expected");  // left, top, right, bottom as x, y, w, h fields
    QTest::addColumn<QString>("label");
    QTest::newRow("whole preview, limited at the far edges") << QPoint(0, 0) << QPoint(500, 500) << "640"
                                                           << QRect(0, 0, 635, 476) << " 635 x 476 ";
    QTest::newRow("lower right to upper left") << QPoint(397, 298) << QPoint(0, 0) << "640"
                                               << QRect(635, 476, 0, 0) << " 635 x 476 ";
    QTest::newRow("past the left and top edges") << QPoint(10, 10) << QPoint(-20, -5) << "640"
                                                 << QRect(16, 16, -32, -8) << " 48 x 24 ";
    QTest::newRow("width box not a number") << QPoint(0, 0) << QPoint(397, 298) << "abc" << QRect(0, 0, 0, 476)
                                            << " 0 x 476 ";
}

void TestMainWindow::drag()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QString, outWidth);
    QFETCH(QRect, expected);
    QFETCH(QString, label);
    window_ = Open({WriteBmp(dir_.filePath("s.bmp"), 640, 480, gfx::RGB(0, 0, 0))});
    Find<QLineEdit>("Edit1")->setText(outWidth);
    window_->Image3MouseDown(from.x(), from.y());
    QCOMPARE(Find<ImageControl>("Image3")->Tag(), 1);
    window_->Image3MouseMove((from.x() + to.x()) / 2, (from.y() + to.y()) / 2);
    window_->Image3MouseMove(to.x(), to.y());
    window_->Image3MouseUp(to.x(), to.y());
    const SessionState& s = window_->Session();
    QCOMPARE(s.SelectionRect, (gfx::Rect{expected.x(), expected.y(), expected.width(), expected.height()}));
    QCOMPARE(s.SelectionActive, uint8_t(1));
    QCOMPARE(Find<ImageControl>("Image3")->Tag(), 0);
    auto* label4 = Find<QLabel>("Label4");
    QCOMPARE(label4->text(), label);
    QVERIFY(!label4->isHidden());
    // Only the last band is left: its inner lower-right corner aqua (right and
    // bottom edges are exclusive), its inside and the first band's corner white.
    const gfx::Bitmap* overlay = Find<ImageControl>("Image3")->Picture();
    const QPoint end(std::min(to.x(), 397), std::min(to.y(), 298));
    const QPoint middle((from.x() + to.x()) / 2, (from.y() + to.y()) / 2);
    const int right = std::max(from.x(), end.x()) - 1;
    const int bottom = std::max(from.y(), end.y()) - 1;
    QCOMPARE(overlay->Pixel(right, bottom), gfx::clAqua);
    QCOMPARE(overlay->Pixel(right - 1, bottom - 1), gfx::clWhite);
    if (middle.x() > 0 && middle.y() > 0) QCOMPARE(overlay->Pixel(middle.x() - 1, middle.y() - 1), gfx::clWhite);
}

void TestMainWindow::dragWithRealMouse()
{
    window_ = Open({WriteBmp(dir_.filePath("r.bmp"), 640, 480, gfx::RGB(0, 0, 0))});
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    auto* overlay = Find<ImageControl>("Image3");
    Find<QLineEdit>("Edit1")->setText("1280");
    Find<QLineEdit>("Edit2")->setText("960");
    // The right button selects as the left one does.
    // (Not 0, 0: QTest takes a null point for the centre.)
    QTest::mousePress(overlay, Qt::RightButton, {}, QPoint(1, 1));
    QTest::mouseMove(overlay, QPoint(200, 150));
    QTest::mouseMove(overlay, QPoint(397, 298));
    QTest::mouseRelease(overlay, Qt::RightButton, {}, QPoint(397, 298));
    QCOMPARE(window_->Session().SelectionRect, (gfx::Rect{3, 3, 1274, 956}));
    QCOMPARE(Find<QLabel>("Label4")->text(), QStringLiteral(" 1271 x 953 "));
    // Moving without a button changes nothing.
    QTest::mouseMove(overlay, QPoint(20, 20));
    QCOMPARE(window_->Session().SelectionRect, (gfx::Rect{3, 3, 1274, 956}));
}

void TestMainWindow::selectionLifecycle()
{
    window_ = Open({WriteBmp(dir_.filePath("w.bmp"), 640, 480, gfx::RGB(0, 0, 0))});
    const SessionState& s = window_->Session();
    auto* label4 = Find<QLabel>("Label4");
    // A press without movement selects nothing visible, yet counts as a selection.
    window_->Image3MouseDown(50, 60);
    window_->Image3MouseUp(50, 60);
    QCOMPARE(s.SelectionActive, uint8_t(1));
    QCOMPARE(s.SelectionRect, (gfx::Rect{0, 0, 0, 0}));
    QVERIFY(label4->isHidden());
    // A magnification change removes the band but leaves the last size label.
    window_->Image3MouseDown(10, 10);
    window_->Image3MouseMove(100, 100);
    window_->Image3MouseUp(100, 100);
    Find<UpDownControl>("UpDown1")->StepUp();
    QCOMPARE(s.SelectionActive, uint8_t(0));
    QVERIFY(!Find<ImageControl>("Image3")->HasPicture());
    QVERIFY(!label4->isHidden());
    window_->findChild<QAction*>("MenuSelectClear")->trigger();
    QVERIFY(label4->isHidden());
    // With no picture a press only clears.
    window_->Button3Click();
    window_->Image3MouseDown(50, 60);
    QCOMPARE(s.SelectionActive, uint8_t(0));
    QCOMPARE(Find<ImageControl>("Image3")->Tag(), 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"

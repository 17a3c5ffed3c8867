// The window's arithmetic at the edges the window tests do not reach: the fit of
// degenerate pictures, the magnification's rounding and range, reading a size
// box, the size label's placement, and which files the drop and command-line
// roads accept.
#include <QtTest>

#include "session/file_kinds.h"
#include "session/output_size.h"
#include "session/preview_fit.h"
#include "app/main_window/selection_math.h"

using namespace morvi;

class TestArithmetic : public QObject {
    Q_OBJECT
private slots:
    void fit_data();
    void fit();
    void magnification_data();
    void magnification();
    void sizeText_data();
    void sizeText();
    void labelPlacement_data();
    void labelPlacement();
    void supportedFiles_data();
    void supportedFiles();
};

void TestArithmetic::fit_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("aspect");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("previewWidth");
    QTest::addColumn<int>("previewHeight");
    QTest::newRow("one pixel high") << 5000 << 1 << 500000 << 1 << 200 << 398 << 0;
    // The short side comes from the whole percentage: 1024x768 is 133 %, not 4:3.
    QTest::newRow("1024x768") << 1024 << 768 << 133 << 1 << 50 << 398 << 299;
    QTest::newRow("199x200 rounds the ratio down") << 199 << 200 << 99 << 3 << 1 << 394 << 398;
    QTest::newRow("no height") << 10 << 0 << 0 << 200 << 1 << 0 << 398;
    QTest::newRow("30 million wide") << 30000000 << 1 << 2147483647 << 1 << 200 << 398 << 0;
}

void TestArithmetic::fit()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, aspect);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, previewWidth);
    QFETCH(int, previewHeight);
    QCOMPARE(AspectPercentOf(width, height), aspect);
    const PreviewPlacement p = FitPreview(400, 400, aspect);
    QCOMPARE(p, (PreviewPlacement{left, top, previewWidth, previewHeight}));
}

void TestArithmetic::magnification_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("position");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("640 at 0 is exact") << 640 << 0 << qint64(640);
    QTest::newRow("643 at 0 is not rounded") << 643 << 0 << qint64(643);
    QTest::newRow("640 at 1") << 640 << 1 << qint64(910);
    QTest::newRow("640 at -1") << 640 << -1 << qint64(460);
    QTest::newRow("640 at 2") << 640 << 2 << qint64(1280);
    // 1295 / 10 = 129.5: the half goes to the even 130.
    QTest::newRow("645 at 2, half to even up") << 645 << 2 << qint64(1300);
    // 1255 / 10 = 125.5 goes up to 126; 1245 / 10 = 124.5 goes down to 124.
    QTest::newRow("625 at 2, half to even up") << 625 << 2 << qint64(1260);
    QTest::newRow("620 at 2, half to even down") << 620 << 2 << qint64(1240);
    QTest::newRow("no picture at 5") << 0 << 5 << qint64(0);
    // 0.22 + 5 leans up to one step of ten.
    QTest::newRow("1 at -10") << 1 << -10 << qint64(10);
    QTest::newRow("largest side at 10 needs 64 bits") << 2147483647 << 10 << qint64(9603838840LL);
}

void TestArithmetic::magnification()
{
    QFETCH(int, side);
    QFETCH(int, position);
    QFETCH(qint64, expected);
    QCOMPARE(MagnifiedSide(side, position), expected);
}

void TestArithmetic::sizeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "640" << 640;
    QTest::newRow("leading blanks") << "  42" << 42;
    QTest::newRow("negative") << "-50" << -50;
    QTest::newRow("trailing blank is junk") << "42 " << -1;
    QTest::newRow("letters") << "abc" << -1;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(INT32_MIN);
    QTest::newRow("past 32 bits") << "2147483648" << -1;
    QTest::newRow("full-width digits") << QString::fromUtf8("６４０") << -1;
}

void TestArithmetic::sizeText()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(SizeTextOr(text.toStdString(), -1), value);
}

void TestArithmetic::labelPlacement_data()
{
    QTest::addColumn<int>("overlayLeft");
    QTest::addColumn<int>("overlayTop");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    // A label 60 x 12 on an overlay 398 wide.
    QTest::newRow("above and right") << 1 << 50 << 100 << 100 << 101 << 138;
    QTest::newRow("below near the top") << 1 << 0 << 100 << 5 << 101 << 17;
    QTest::newRow("exactly at the label height goes below") << 0 << 0 << 100 << 12 << 100 << 24;
    QTest::newRow("left near the right edge") << 1 << 50 << 380 << 100 << 321 << 138;
    // The test is against the overlay's width, not its right edge in the panel.
    QTest::newRow("offset overlay, width rule") << 51 << 1 << 290 << 100 << 281 << 89;
}

void TestArithmetic::labelPlacement()
{
    QFETCH(int, overlayLeft);
    QFETCH(int, overlayTop);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, left);
    QFETCH(int, top);
    const gfx::Point p = PlaceSizeLabel(overlayLeft, overlayTop, 398, {x, y}, 60, 12);
    QCOMPARE(p, (gfx::Point{left, top}));
}

void TestArithmetic::supportedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("jpg") << "/p/a.jpg" << true;
    QTest::newRow("JPEG in capitals") << "/p/PHOTO.JPEG" << true;
    QTest::newRow("Bmp mixed") << "/p/a.Bmp" << true;
    QTest::newRow("EMF") << "a.EMF" << true;
    QTest::newRow("dib is left to the dialog") << "/p/a.dib" << false;
    QTest::newRow("no extension") << "/p/jpg" << false;
    QTest::newRow("dot in the folder only") << "/p.jpg/picture" << false;
    QTest::newRow("double extension") << "/p/a.jpg.txt" << false;
    QTest::newRow("trailing dot") << "/p/a." << false;
}

void TestArithmetic::supportedFiles()
{
    QFETCH(QString, path);
    QFETCH(bool, accepted);
    QCOMPARE(IsSupportedPictureFile(path), accepted);
}

QTEST_APPLESS_MAIN(TestArithmetic)
#include "tst_arithmetic.moc"

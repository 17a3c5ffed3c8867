// The command-line converter writes, byte for byte, the files the window's own
// batch writes with the same settings: the same pictures converted once by the
// window (its size boxes, magnification and batch command) and once by
// morvi-resize in place.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include "app/main_window/MorviMain_u.h"
#include "app/widgets/updown_control.h"
#include "codecs/jpeg.h"
#include "dib/kvdib.h"
#include "gfx/bitmap.h"
#include "gfx/safe_save.h"
#include "gfx/stream.h"
#include "session/picture_kinds.h"
#include "tests/app/scripted_interaction.h"
#include "tests/app/test_pictures.h"

namespace morvi {
namespace {

using test::ReadBytes;

class ConverterMatchesWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::RegisterPictureKinds(); }
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("window")));
        ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("converter")));
        // A photo-like JPEG, a BMP and an icon (which both write as BMP beside it).
        gfx::Bitmap photo(733, 511, gfx::PixelFormat::pf32bit);
        for (int y = 0; y < photo.Height(); ++y)
            for (int x = 0; x < photo.Width(); ++x)
                photo.SetPixel(x, y, gfx::RGB(static_cast<uint8_t>(x * 255 / 733), static_cast<uint8_t>((x ^ y) & 0xFF),
                                              static_cast<uint8_t>(y * 255 / 511)));
        for (const char* folder : {"window", "converter"}) {
            const QString base = dir_.filePath(QLatin1String(folder));
            gfx::SaveFileAtomically(QFile::encodeName(base + "/photo.jpg").toStdString(),
                                    [&photo](gfx::Stream& out) { gfx::WriteJpeg(photo, out, 93); });
            photo.SaveToFile(QFile::encodeName(base + "/plain.bmp").toStdString());
            QImage icon(48, 32, QImage::Format_ARGB32);
            icon.fill(QColor(200, 30, 90, 160));
            ASSERT_TRUE(icon.save(base + "/mark.ico", "ICO"));
        }
        files_ = {QStringLiteral("photo.jpg"), QStringLiteral("plain.bmp"), QStringLiteral("mark.ico")};
    }

    // The window's batch over the files of "window", with the boxes and the
    // up-down as given.
    void WindowBatch(int position, const QString& width, const QString& height) {
        test::ScriptedInteraction ui;
        TMorviMain window(ui, QStringList());
        window.findChild<UpDownControl*>(QStringLiteral("UpDown1"))->SetPosition(position);
        window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(width);
        window.findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(height);
        QStringList chosen;
        for (const QString& name : files_) chosen << dir_.filePath(QStringLiteral("window/") + name);
        ui.openAnswers.enqueue(chosen);
        window.RunHandler([&] { window.IkkatsuClick(); });
        ASSERT_TRUE(ui.errors.isEmpty()) << ui.errors.join(QLatin1Char('\n')).toStdString();
    }

    void Converter(const QStringList& options) {
        QStringList arguments = options;
        arguments << QStringLiteral("--in-place") << QStringLiteral("--quiet") << QStringLiteral("--jobs")
                  << QStringLiteral("3");
        for (const QString& name : files_) arguments << dir_.filePath(QStringLiteral("converter/") + name);
        QProcess process;
        process.start(QStringLiteral(MORVI_RESIZE), arguments);
        ASSERT_TRUE(process.waitForFinished(60000));
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }

    void ExpectSameFiles(const char* what) {
        for (const QString& name : {QStringLiteral("photo.jpg"), QStringLiteral("plain.bmp"), QStringLiteral("mark.bmp")}) {
            const QByteArray fromWindow = ReadBytes(dir_.filePath(QStringLiteral("window/") + name));
            ASSERT_FALSE(fromWindow.isEmpty()) << what << ": the window wrote no " << name.toStdString();
            EXPECT_EQ(fromWindow, ReadBytes(dir_.filePath(QStringLiteral("converter/") + name)))
                << what << ": " << name.toStdString() << " differs";
        }
    }

    QTemporaryDir dir_;
    QStringList files_;
};

TEST_F(ConverterMatchesWindow, AtAMagnification) {
    WindowBatch(-2, QStringLiteral("0"), QStringLiteral("0"));
    Converter({QStringLiteral("--magnification"), QStringLiteral("1/4")});
    ExpectSameFiles("1/4");
}

TEST_F(ConverterMatchesWindow, AtOneSizeForEveryFile) {
    WindowBatch(0, QStringLiteral("320"), QStringLiteral("240"));
    Converter({QStringLiteral("--width"), QStringLiteral("320"), QStringLiteral("--height"), QStringLiteral("240")});
    ExpectSameFiles("320 x 240");
}

TEST_F(ConverterMatchesWindow, AtAnEnlargement) {
    WindowBatch(3, QStringLiteral("0"), QStringLiteral("0"));
    Converter({QStringLiteral("--magnification"), QStringLiteral("6")});
    ExpectSameFiles("area x6");
}

}  // namespace
}  // namespace morvi

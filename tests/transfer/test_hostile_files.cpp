// Files and offers that claim gigantic pictures, opened by every road the window
// has: each is refused with the window's warning, the picture on show stays,
// and the process's peak memory hardly moves (each test runs in a process of its
// own, so its peak is its own).
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>

#include <fstream>
#include <string>

#include "app/main_window/MorviMain_u.h"
#include "codecs/jpeg.h"
#include "dib/kvdib.h"
#include "gfx/stream.h"
#include "session/picture_kinds.h"
#include "tests/app/scripted_interaction.h"
#include "tests/app/test_pictures.h"
#include "tests/metafile/record_writer.h"

namespace morvi {
namespace {

// The process's peak resident memory so far, in KiB.
long PeakKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

QByteArray Bytes(const metafile_test::Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// A baseline JPEG of 16 x 16 whose frame header is patched to claim width x height.
QByteArray JpegClaiming(uint16_t width, uint16_t height) {
    gfx::Bitmap small(16, 16);
    gfx::MemoryStream out;
    gfx::WriteJpeg(small, out);
    QByteArray jpeg(reinterpret_cast<const char*>(out.Bytes().data()), static_cast<qsizetype>(out.Bytes().size()));
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    jpeg[frame + 5] = static_cast<char>(height >> 8);
    jpeg[frame + 6] = static_cast<char>(height);
    jpeg[frame + 7] = static_cast<char>(width >> 8);
    jpeg[frame + 8] = static_cast<char>(width);
    return jpeg;
}

class HostileFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::RegisterPictureKinds(); }
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        window_ = std::make_unique<TMorviMain>(ui_, QStringList());
        window_->RunHandler([&] { window_->LoadPictureFile(test::WriteBmp(dir_.filePath("keep.bmp"), 64, 48, 0), true); });
        ASSERT_TRUE(ui_.errors.isEmpty());
    }

    // The last thing shown was the too-large warning naming the claimed size, and
    // the picture from before is still the session's.
    void ExpectRefusedAndKept(const std::string& what, const QString& size) {
        EXPECT_TRUE(ui_.errors.isEmpty()) << what << ": " << ui_.errors.join(QLatin1Char('\n')).toStdString();
        ASSERT_FALSE(ui_.boxes.empty()) << what;
        EXPECT_TRUE(ui_.boxes.back().text.startsWith(QStringLiteral("画像が大きすぎるため扱えません。")))
            << what << ": " << ui_.boxes.back().text.toStdString();
        EXPECT_TRUE(ui_.boxes.back().text.contains(size)) << what << ": " << ui_.boxes.back().text.toStdString();
        EXPECT_EQ(window_->Session().SourcePicture->Width(), 64) << what;
        EXPECT_EQ(window_->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral("64")) << what;
        ui_.errors.clear();
    }

    QTemporaryDir dir_;
    test::ScriptedInteraction ui_;
    std::unique_ptr<TMorviMain> window_;
};

TEST_F(HostileFiles, FilesClaimingGiganticPicturesAreRefusedOnEveryRoad) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QString size;
    };
    const Case cases[] = {
        {"just.bmp", test::RleBmp(16385, 16384, QByteArray("\0\1", 2)), QStringLiteral("16385 x 16384")},
        {"rle8.bmp", test::RleBmp(32768, 32768, QByteArray("\0\1", 2)), QStringLiteral("32768 x 32768")},
        {"rle8.dib", test::RleBmp(32768, 32768, QByteArray("\0\1", 2)), QStringLiteral("32768 x 32768")},
        {"photo.jpg", JpegClaiming(65000, 65000), QStringLiteral("65000 x 65000")},
        {"frame.emf", Bytes(metafile_test::EmfWriter().Finish(600000, 600000, 1)), QStringLiteral(" x ")},
        {"box.wmf", Bytes(metafile_test::WmfWriter().Placeable(0, 0, 32000, 32000, 100, 0)), QStringLiteral(" x ")},
    };
    const long before = PeakKiB();
    for (const Case& c : cases) {
        const QString path = test::WriteBytes(dir_.filePath(QLatin1String(c.name)), c.bytes);
        // The dialog road (with the engine's normalisation), then drop and command line.
        window_->RunHandler([&] { window_->LoadPictureFile(path, true); });
        ExpectRefusedAndKept(std::string(c.name) + " by the dialog", c.size);
        window_->RunHandler([&] { window_->LoadPictureFile(path, false); });
        ExpectRefusedAndKept(std::string(c.name) + " by drop", c.size);
    }
    // The batch: the refusal ends the run and nothing is written.
    const QString bmp = dir_.filePath(QStringLiteral("rle8.bmp"));
    const QByteArray original = test::RleBmp(32768, 32768, QByteArray("\0\1", 2));
    ui_.openAnswers.enqueue({bmp});
    window_->RunHandler([&] { window_->IkkatsuClick(); });
    ExpectRefusedAndKept("rle8.bmp in a batch", QStringLiteral("32768 x 32768"));
    QFile file(bmp);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original) << "the batch wrote nothing over the refused file";
    EXPECT_LT(PeakKiB() - before, 64 * 1024) << "peak memory grew by " << (PeakKiB() - before) << " KiB";
}

TEST_F(HostileFiles, OffersClaimingGiganticPicturesAreRefusedBeforeTheSessionIsCleared) {
    struct Offer {
        const char* type;
        QByteArray bytes;
        QString size;
    };
    const Offer offers[] = {
        {"image/bmp", test::RleBmp(32768, 32768, QByteArray("\0\1", 2)), QStringLiteral("32768 x 32768")},
        {"image/x-ms-bmp", test::RleBmp(1, 300000000, QByteArray("\0\1", 2)), QStringLiteral("1 x 300000000")},
        {"image/png", test::PngClaiming(40000, 40000), QStringLiteral("40000 x 40000")},
        {"image/jpeg", JpegClaiming(65000, 65000), QStringLiteral("65000 x 65000")},
    };
    const long before = PeakKiB();
    for (const Offer& offer : offers) {
        auto* mime = new QMimeData;  // owned by the clipboard from here on
        mime->setData(QLatin1String(offer.type), offer.bytes);
        QGuiApplication::clipboard()->setMimeData(mime);
        window_->RunHandler([&] { window_->Button2Click(); });
        ExpectRefusedAndKept(offer.type, offer.size);
    }
    EXPECT_LT(PeakKiB() - before, 64 * 1024) << "peak memory grew by " << (PeakKiB() - before) << " KiB";
}

// A PNG offer whose text chunk claims 1.9 GB: an error, the picture kept, and
// none of the claimed memory taken.
TEST_F(HostileFiles, APngOfferClaimingAHugeChunkIsAnErrorAndThePictureStays) {
    const long before = PeakKiB();
    auto* mime = new QMimeData;  // owned by the clipboard from here on
    mime->setData(QStringLiteral("image/png"), test::PngWithText(QByteArray("Comment\0x", 9), 1953038373u));
    QGuiApplication::clipboard()->setMimeData(mime);
    window_->RunHandler([&] { window_->Button2Click(); });
    ASSERT_EQ(ui_.errors.size(), 1);
    EXPECT_TRUE(ui_.errors.front().contains(QStringLiteral("PNG data is broken"))) << ui_.errors.front().toStdString();
    EXPECT_EQ(window_->Session().SourcePicture->Width(), 64);
    EXPECT_LT(PeakKiB() - before, 64 * 1024) << "peak memory grew by " << (PeakKiB() - before) << " KiB";
}

}  // namespace
}  // namespace morvi

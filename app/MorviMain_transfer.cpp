// TMorviMain: building the output picture, copy to and paste from the system
// clipboard, and saving it as BMP or JPEG.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <cstdlib>
#include <new>

#include "app/MorviMain_u.h"
#include "gfx/qt/clipboard_offer.h"
#include "app/output_file.h"
#include "app/output_size.h"
#include "app/paste_rules.h"
#include "dib/kvdib.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/picture.h"
#include "gfx/qt/qimage_bridge.h"
#include "gfx/qt/svg_graphic.h"
#include "gfx/stream.h"

namespace morvi {

namespace {

// A size box that does not hold a whole number stands for 100 pixels.
constexpr int32_t kSizeFallback = 100;

const QString kWarning = QStringLiteral("警告");

// The extension with its dot, in lower case; empty when the name has none.
QString LowerExtension(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

QString WithBmpExtension(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? name : name.left(dot);
    const qsizetype folderLength = path.size() - name.size();
    return path.left(folderLength) + stem + QStringLiteral(".bmp");
}

// A clipboard DIB read ahead of the paste, handed to the engine's reader as the
// clipboard itself would hand it.
class ReadAheadDIB : public gfx::ClipboardSource {
public:
    explicit ReadAheadDIB(std::vector<uint8_t> packed) : packed_(std::move(packed)) {}
    bool HasFormat(uint16_t format) const override { return format == gfx::CF_DIB; }
    std::optional<std::vector<uint8_t>> GetData(uint16_t format) const override {
        if (format != gfx::CF_DIB) return std::nullopt;
        return packed_;
    }

private:
    std::vector<uint8_t> packed_;
};

}  // namespace

void TMorviMain::Warn(const QString& text) {
    interaction_.Beep();
    interaction_.MessageBox(kWarning, text, BoxIcon::Warning, BoxButtons::Ok);
}

void TMorviMain::WarnTooLarge(const gfx::EPictureTooLarge& error) {
    Warn(QStringLiteral("画像が大きすぎるため扱えません。\r\n%1 x %2 ピクセルは、扱える大きさ（%3 ピクセル）を超えています。")
             .arg(error.ClaimedWidth())
             .arg(error.ClaimedHeight())
             .arg(gfx::kMaxPicturePixels));
}

const gfx::Bitmap* TMorviMain::ComposeOutput() {
    // 1.
    const int32_t width = SizeTextOr(Edit1->text().toStdString(), kSizeFallback);
    const int32_t height = SizeTextOr(Edit2->text().toStdString(), kSizeFallback);
    // An output of no size, or one that could not be held, is refused before
    // anything is drawn: nothing reaches the clipboard or the disk. In a batch
    // the refusal is a file that cannot be written: it ends the run instead of
    // repeating the same warning for every file.
    const auto refuse = [this](const QString& text) -> const gfx::Bitmap* {
        if (TagOf(Ikkatsu) == 1) throw gfx::Exception(text.toStdString());
        Warn(text);
        return nullptr;
    };
    const QString tooLarge = QStringLiteral("出力サイズ %1 x %2 は大きすぎるため、画像を作れません。");
    if (width <= 0 || height <= 0) {
        return refuse(QStringLiteral("出力サイズ（幅と高さ）には 1 以上の数を指定してください。"));
    }
    if (!gfx::FitsPictureBudget(width, height)) return refuse(tooLarge.arg(width).arg(height));
    // A region of no width or height counts as no region. A region marked while
    // the size boxes held larger numbers can be larger than the output itself.
    const gfx::Rect& selection = state_.SelectionRect;
    const int64_t regionWidth = std::abs(int64_t{selection.right} - selection.left);
    const int64_t regionHeight = std::abs(int64_t{selection.bottom} - selection.top);
    const bool region = state_.SelectionActive == 1 && regionWidth > 0 && regionHeight > 0;
    if (region && !gfx::FitsPictureBudget(regionWidth, regionHeight)) {
        return refuse(tooLarge.arg(regionWidth).arg(regionHeight));
    }
    try {
        // 2. A white bitmap of the output size.
        gfx::Canvas& work = PrepareWorkingImage(width, height);
        // 3.
        if (const gfx::Graphic* graphic = state_.SourcePicture->GetGraphic()) {
            work.StretchDraw({0, 0, width, height}, *graphic);
        }
        // 4.
        if (region) {
            const auto w = static_cast<int32_t>(regionWidth);
            const auto h = static_cast<int32_t>(regionHeight);
            Image4->ClearPicture();
            Image4->resize(w, h);
            Image4->SetBitmapSize(w, h);
            // A region dragged leftwards or upwards is handed on upright.
            const gfx::Rect upright{std::min(selection.left, selection.right),
                                    std::min(selection.top, selection.bottom),
                                    std::max(selection.left, selection.right),
                                    std::max(selection.top, selection.bottom)};
            Image4->Canvas().CopyRect({0, 0, w, h}, Image2->Canvas(), upright);
            return &Image4->Bitmap();
        }
    } catch (const gfx::EOutOfMemory&) {
        // The memory the bitmap needs could not be had.
        return refuse(tooLarge.arg(width).arg(height));
    } catch (const std::bad_alloc&) {
        return refuse(tooLarge.arg(width).arg(height));
    }
    // 5.
    return &Image2->Bitmap();
}

void TMorviMain::Button1Click() {
    // 1.
    if (Image1->Tag() == -1) {
        Warn(QStringLiteral("転送する画像がありません。"));
        return;
    }
    // 2.
    const gfx::Bitmap* output = ComposeOutput();
    if (output == nullptr) return;
    // 3. Other programs read it as image/png or image/bmp.
    QGuiApplication::clipboard()->setImage(gfx::ToQImage(*output));
    // 4.
    MenuSelectClearClick();
    // 5.
    StatusBar1->SetPanelText(0, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへ画像を転送しました。"));
}

void TMorviMain::Button2Click() {
    const QMimeData* offer = QGuiApplication::clipboard()->mimeData();
    const gfx::MimeClipboardSource clipboard(offer);
    // The raster picture is read before anything changes: an offer that names a
    // picture type but cannot be decoded counts as no picture, and the session
    // on show is kept.
    std::optional<std::vector<uint8_t>> packed = clipboard.GetData(gfx::CF_DIB);
    const std::optional<gfx::MetafileOffer> metafile = packed ? std::nullopt : clipboard.Metafile();
    // 1.
    if (!packed && !metafile) {
        Warn(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞには画像ﾃﾞｰﾀがありません。"));
        return;
    }
    // 2.
    Button3Click();
    // 3.
    Image1->SetTag(1);
    gfx::Canvas& preview = Image1->Canvas();
    preview.brushColor = gfx::clWhite;
    preview.FillRect({0, 0, Panel1->width() - 2, Panel1->height() - 2});
    Image1->Changed();
    try {
        if (packed) {
            // 4. Through the engine's clipboard reader.
            try {
                kvdib::TKvDIB dib;
                dib.AssignFromClipboard(ReadAheadDIB(std::move(*packed)));
                dib.AssignTo(state_.SourcePicture->GetBitmap());
            } catch (const gfx::EOutOfResources&) {
                // The engine ran out of system resources: the picture is taken the
                // framework's own way instead.
                const QImage image = qvariant_cast<QImage>(offer->imageData());
                if (image.isNull()) throw;
                state_.SourcePicture->SetGraphic(gfx::FromQImage(image));
            }
        } else {
            // 5. Only a metafile: rendered with its long side in 1600 to 2000 pixels.
            interaction_.Beep();
            interaction_.MessageBox(QStringLiteral("情報"),
                                    QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞには、ﾒﾀﾌｧｲﾙ画像しか無いため\r\n"
                                                   "長手のｻｲｽﾞを 1600 ～ 2000 の間に調整\r\nして取り込みます。"),
                                    BoxIcon::Information, BoxButtons::Ok);
            // Drawings offered as SVG are read like a metafile; WMF and EMF go to the
            // graphic registered for their extension.
            std::unique_ptr<gfx::Graphic> graphic =
                metafile->extension == QStringLiteral("svg")
                    ? std::make_unique<gfx::SvgGraphic>()
                    : gfx::PictureRegistry::CreateForExtension(metafile->extension.toStdString());
            if (!graphic) throw gfx::EInvalidGraphic("この形式のメタファイルは取り込めません。");
            const auto* bytes = reinterpret_cast<const uint8_t*>(metafile->bytes.constData());
            gfx::MemoryStream stream(std::span<const uint8_t>(bytes, static_cast<size_t>(metafile->bytes.size())));
            graphic->LoadFromStream(stream);
            const std::optional<PixelSize> size = LongSideRule(graphic->Width(), graphic->Height());
            if (!size) {
                Image1->SetTag(-1);
                Image1->ClearPicture();
                Warn(QStringLiteral("ﾒﾀﾌｧｲﾙの幅か高さが 0 のため取り込めません。"));
                return;
            }
            state_.SourcePicture->SetGraphic(std::move(graphic));
            PrepareWorkingImage(size->width, size->height)
                .StretchDraw({0, 0, size->width, size->height}, *state_.SourcePicture->GetGraphic());
            state_.SourcePicture->Assign(Image2->Bitmap());
        }
    } catch (...) {
        // The session was cleared for the new picture: it stays empty, so that no
        // command works on the picture that was on show before.
        Image1->SetTag(-1);
        Image1->ClearPicture();
        throw;
    }
    // 6.
    RefreshPreview();
}

void TMorviMain::ClipClearClick() { QGuiApplication::clipboard()->clear(); }

void TMorviMain::SpeedButton2Click() {
    // 1.
    if (Image1->Tag() == -1) {
        Warn(QStringLiteral("保存する画像がありません。"));
        return;
    }
    // 2. The target and the file type.
    if (state_.CurrentFileName.isEmpty()) {
        if (state_.SaveDirectory.isEmpty()) state_.SaveDirectory = QDir::currentPath();
        if (!state_.SaveDirectory.endsWith(QLatin1Char('/'))) state_.SaveDirectory += QLatin1Char('/');
        SaveRequest request;
        request.title = QStringLiteral("画像をﾌｧｲﾙに保存 ( クエロ )");
        request.directory = state_.SaveDirectory;
        request.fileName = QStringLiteral("picture");
        request.filters = {QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)"), QStringLiteral("Jpegﾌｧｲﾙ (*.jpg)")};
        request.filterIndex = 2;
        request.defaultSuffix = QStringLiteral("jpg");
        const std::optional<SaveAnswer> answer = interaction_.SaveFile(request);
        if (!answer) return;
        state_.CurrentFileName = answer->path;
        // The chosen filter decides the type, not the name's extension.
        SetTagOf(SpeedButton2, answer->filterIndex == 1 ? 1 : 2);
    } else {
        const QString extension = LowerExtension(state_.CurrentFileName);
        if (extension == QStringLiteral(".jpg")) {
            SetTagOf(SpeedButton2, 2);
        } else {
            SetTagOf(SpeedButton2, 1);
            if (extension != QStringLiteral(".bmp")) {
                Warn(QStringLiteral("元画像は BMP,JPG 以外のため\r\nBMP で保存します。"));
                state_.CurrentFileName = WithBmpExtension(state_.CurrentFileName);
            }
        }
    }
    // 3.
    if (TagOf(Ikkatsu) != 1 && QFileInfo::exists(state_.CurrentFileName)) {
        const BoxAnswer answer = interaction_.MessageBox(
            kWarning, state_.CurrentFileName + QStringLiteral(" ﾌｧｲﾙは既に存在します。\r\n上書きしますか？"),
            BoxIcon::Warning, BoxButtons::YesNo);
        if (answer != BoxAnswer::Yes) return;
    }
    // 4.
    const gfx::Bitmap* output = ComposeOutput();
    if (output == nullptr) return;
    // 5. Written to a temporary file first: a failure leaves the old file as it was.
    const SaveType type = TagOf(SpeedButton2) == 2 ? SaveType::Jpeg : SaveType::Bmp;
    WriteOutputPicture(*output, QFile::encodeName(state_.CurrentFileName).toStdString(), type);
    if (type == SaveType::Jpeg) {
        state_.SaveDirectory = QFileInfo(state_.CurrentFileName).absolutePath();
        if (!state_.SaveDirectory.endsWith(QLatin1Char('/'))) state_.SaveDirectory += QLatin1Char('/');
    }
    // 6.
    StatusBar1->SetPanelText(0, state_.CurrentFileName + QStringLiteral(" を保存しました。"));
}

void TMorviMain::SpeedButton3Click() {
    state_.CurrentFileName.clear();
    SpeedButton2Click();
}

}  // namespace morvi

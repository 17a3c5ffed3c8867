// TMorviMain: building the output picture, copy to and paste from the system
// clipboard, and saving it as BMP, JPEG, PNG or WebP (and a TIFF over a TIFF).
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

#include "app/main_window/MorviMain_u.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/dibheaders.h"
#include "gfx/exceptions.h"
#include "gfx/qt/qimage_bridge.h"
#include "session/clipboard_offer.h"
#include "session/output_size.h"
#include "session/save_names.h"

namespace morvi {

namespace {

// A size box that does not hold a whole number stands for 100 pixels.
constexpr int32_t kSizeFallback = 100;

const QString kWarning = QStringLiteral("警告");

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
    // 2.-5. Image2's picture, or Image4's with a region marked.
    const Output output = session_.Compose(width, height);
    if (output.bitmap != nullptr) return output.bitmap;
    // In a batch the refusal is a file that cannot be written: it ends the run
    // instead of repeating the same warning for every file.
    if (InBatch()) throw gfx::Exception(output.refusal.toStdString());
    Warn(output.refusal);
    return nullptr;
}

void TMorviMain::Button1Click() {
    // 1.
    if (!HasPicture()) {
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
    // picture type but cannot be decoded counts as no picture, one above the
    // pixel budget is refused, and either way the session on show is kept.
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
    SetPictureShown(true);
    gfx::Canvas& preview = Image1->Canvas();
    preview.brushColor = gfx::clWhite;
    preview.FillRect({0, 0, Panel1->width() - 2, Panel1->height() - 2});
    Image1->Changed();
    try {
        if (packed) {
            // 4. Through the engine's clipboard reader; the framework's own way
            //    when the engine runs out of system resources.
            session_.PasteDib(*packed, [offer] { return qvariant_cast<QImage>(offer->imageData()); });
        } else {
            // 5. Only a metafile: rendered with its long side in 1600 to 2000 pixels.
            interaction_.Beep();
            interaction_.MessageBox(QStringLiteral("情報"),
                                    QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞには、ﾒﾀﾌｧｲﾙ画像しか無いため\r\n"
                                                   "長手のｻｲｽﾞを 1600 ～ 2000 の間に調整\r\nして取り込みます。"),
                                    BoxIcon::Information, BoxButtons::Ok);
            if (!session_.PasteMetafile(*metafile)) {
                SetPictureShown(false);
                Image1->ClearPicture();
                Warn(QStringLiteral("ﾒﾀﾌｧｲﾙの幅か高さが 0 のため取り込めません。"));
                return;
            }
        }
    } catch (...) {
        // The session was cleared for the new picture: it stays empty, so that no
        // command works on the picture that was on show before.
        SetPictureShown(false);
        Image1->ClearPicture();
        throw;
    }
    // 6.
    RefreshPreview();
}

void TMorviMain::ClipClearClick() { QGuiApplication::clipboard()->clear(); }

void TMorviMain::SpeedButton2Click() {
    // 1.
    if (!HasPicture()) {
        Warn(QStringLiteral("保存する画像がありません。"));
        return;
    }
    // 2. The target and the file type.
    if (Session().CurrentFileName.isEmpty()) {
        session_.PrepareSaveDirectory();
        SaveRequest request;
        request.title = QStringLiteral("画像をﾌｧｲﾙに保存 ( クエロ )");
        request.directory = Session().SaveDirectory;
        request.fileName = QStringLiteral("picture");
        request.filters = {QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)"), QStringLiteral("Jpegﾌｧｲﾙ (*.jpg)"),
                           QStringLiteral("PNGﾌｧｲﾙ (*.png)"), QStringLiteral("WebPﾌｧｲﾙ (*.webp)")};
        request.filterIndex = 2;
        request.defaultSuffix = QStringLiteral("jpg");
        const std::optional<SaveAnswer> answer = interaction_.SaveFile(request);
        if (!answer) return;
        session_.SetCurrentFileName(answer->path);
        // The chosen filter decides the type, not the name's extension; its
        // index is the type's number.
        const bool known = answer->filterIndex >= 1 && answer->filterIndex <= static_cast<int>(SaveType::Webp);
        SetOverwriteKind(known ? static_cast<SaveType>(answer->filterIndex) : SaveType::Jpeg);
    } else {
        SetOverwriteKind(SaveTypeForName(Session().CurrentFileName));
        if (NeedsBmpName(Session().CurrentFileName)) {
            Warn(QStringLiteral("元画像は BMP,JPG 以外のため\r\nBMP で保存します。"));
            session_.RenameCurrentToBmp();
        }
    }
    // 3.
    if (!InBatch() && QFileInfo::exists(Session().CurrentFileName)) {
        const BoxAnswer answer = interaction_.MessageBox(
            kWarning, Session().CurrentFileName + QStringLiteral(" ﾌｧｲﾙは既に存在します。\r\n上書きしますか？"),
            BoxIcon::Warning, BoxButtons::YesNo);
        if (answer != BoxAnswer::Yes) return;
    }
    // 4.
    const gfx::Bitmap* output = ComposeOutput();
    if (output == nullptr) return;
    // 5. A failure leaves the old file as it was.
    session_.WriteOutput(*output, OverwriteKind());
    // 6.
    StatusBar1->SetPanelText(0, Session().CurrentFileName + QStringLiteral(" を保存しました。"));
}

void TMorviMain::SpeedButton3Click() {
    session_.SetCurrentFileName(QString());
    SpeedButton2Click();
}

}  // namespace morvi

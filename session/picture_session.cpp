#include "session/picture_session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdlib>
#include <new>

#include "codecs/decoded_picture.h"
#include "codecs/jpeg.h"
#include "dib/kvdib.h"
#include "gfx/canvas.h"
#include "gfx/exceptions.h"
#include "gfx/pixel_budget.h"
#include "gfx/qt/qimage_bridge.h"
#include "gfx/rotate.h"
#include "gfx/stream.h"
#include "metafile/svg_graphic.h"
#include "session/clipboard_offer.h"
#include "session/dib_normalise.h"
#include "session/output_size.h"
#include "session/paste_rules.h"
#include "session/save_names.h"
#include "session/source_coding.h"
#include "tone/abitmap.h"

namespace morvi {

namespace {

// A clipboard DIB read ahead of the paste, handed to the engine's reader as the
// clipboard itself would hand it.
class ReadAheadDIB : public gfx::ClipboardSource {
public:
    explicit ReadAheadDIB(const std::vector<uint8_t>& packed) : packed_(packed) {}
    bool HasFormat(uint16_t format) const override { return format == gfx::CF_DIB; }
    std::optional<std::vector<uint8_t>> GetData(uint16_t format) const override {
        if (format != gfx::CF_DIB) return std::nullopt;
        return packed_;
    }

private:
    const std::vector<uint8_t>& packed_;
};

std::string FileName(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

PictureSession::PictureSession()
    : work_(std::make_unique<gfx::Bitmap>()), cutOut_(std::make_unique<gfx::Bitmap>()) {
    state_.SourcePicture = std::make_unique<gfx::Picture>();
}

PictureSession::~PictureSession() = default;

gfx::Canvas& PictureSession::PrepareWork(int32_t width, int32_t height) {
    // Reused between commands: a new block only when the size changes.
    if (work_->Width() != width || work_->Height() != height || work_->Format() != gfx::pfDevice) {
        work_ = std::make_unique<gfx::Bitmap>(width, height);
    }
    gfx::Canvas& work = work_->GetCanvas();
    work.brushColor = gfx::clWhite;
    work.FillRect({0, 0, width, height});
    work.copyMode = gfx::CopyMode::SrcCopy;
    return work;
}

void PictureSession::Install(std::unique_ptr<gfx::Graphic> picture) {
    state_.SourcePicture->SetGraphic(std::move(picture));
    RefreshSizes();
}

namespace {

// The picture as an opaque bitmap of the device format, when it is one: drawn at
// its own size on white it would come out as itself, pixel for pixel.
const gfx::Bitmap* DeviceBitmapOf(const gfx::Graphic& graphic) {
    const gfx::Bitmap* bitmap = dynamic_cast<const gfx::Bitmap*>(&graphic);
    if (const auto* jpeg = dynamic_cast<const gfx::JpegImage*>(&graphic)) bitmap = &jpeg->Pixels();
    if (const auto* decoded = dynamic_cast<const gfx::DecodedPicture*>(&graphic)) bitmap = &decoded->Pixels();
    return bitmap != nullptr && bitmap->Format() == gfx::pfDevice ? bitmap : nullptr;
}

// The extension of a file name without its dot, as the registry knows kinds.
std::string ExtensionOf(const QString& path) { return QFileInfo(path).suffix().toStdString(); }

std::unique_ptr<gfx::Graphic> GraphicFor(const std::string& extension) {
    std::unique_ptr<gfx::Graphic> graphic = gfx::PictureRegistry::CreateForExtension(extension);
    if (!graphic) throw gfx::EInvalidGraphic("Unknown picture file extension (." + extension + ")");
    return graphic;
}

}  // namespace

std::unique_ptr<gfx::Graphic> PictureSession::AsPicture(gfx::Picture& loaded, bool normalise) {
    const gfx::Graphic& graphic = *loaded.GetGraphic();
    if (const gfx::Bitmap* device = DeviceBitmapOf(graphic)) {
        // Taken as it is, sharing its pixels, instead of filling the working
        // image white and drawing over all of it.
        loaded.SetGraphic(device->CloneBitmap());
    } else {
        // At its own size on white, so that icons and metafiles become bitmaps.
        const int32_t width = graphic.Width();
        const int32_t height = graphic.Height();
        PrepareWork(width, height).StretchDraw({0, 0, width, height}, graphic);
        loaded.Assign(*work_);
    }
    if (normalise) NormaliseThroughDIB(loaded);
    return loaded.TakeGraphic();
}

void PictureSession::Load(const QString& path, bool normalise) {
    // The loader picks the kind by the extension; nothing of the session changes
    // until every step has worked.
    gfx::Picture loaded;
    loaded.LoadFromFile(FileName(path));
    const WebpCoding coding = WebpCodingFor(*loaded.GetGraphic());
    std::unique_ptr<gfx::Graphic> picture = AsPicture(loaded, normalise);
    reduced_.reset();
    sourceCoding_ = coding;
    Install(std::move(picture));
}

void PictureSession::LoadForBatch(const QString& path,
                                  const std::function<gfx::Size(int32_t width, int32_t height)>& outputFor) {
    Reduced read{gfx::ReadWholeFile(FileName(path)), ExtensionOf(path), {}};
    std::unique_ptr<gfx::Graphic> graphic = GraphicFor(read.extension);
    gfx::MemoryStream stream(std::span<const uint8_t>(read.bytes.data(), read.bytes.size()));
    graphic->LoadFromStreamFor(stream, [&](int32_t width, int32_t height) {
        read.own = {width, height};
        return outputFor(width, height);
    });
    const bool whole = read.own == gfx::Size{} || read.own == gfx::Size{graphic->Width(), graphic->Height()};
    const WebpCoding coding = WebpCodingFor(*graphic);
    gfx::Picture loaded;
    loaded.SetGraphic(std::move(graphic));
    std::unique_ptr<gfx::Graphic> picture = AsPicture(loaded, true);
    if (whole) {
        reduced_.reset();
    } else {
        reduced_ = std::move(read);
    }
    sourceCoding_ = coding;
    Install(std::move(picture));
}

bool PictureSession::CompleteBatchPicture() {
    if (!reduced_) return false;
    std::unique_ptr<gfx::Graphic> picture;
    try {
        std::unique_ptr<gfx::Graphic> graphic = GraphicFor(reduced_->extension);
        gfx::MemoryStream stream(std::span<const uint8_t>(reduced_->bytes.data(), reduced_->bytes.size()));
        graphic->LoadFromStream(stream);
        gfx::Picture loaded;
        loaded.SetGraphic(std::move(graphic));
        picture = AsPicture(loaded, true);
    } catch (...) {
        // What the session holds must describe itself: the reduced picture, at its size.
        reduced_.reset();
        RefreshSizes();
        throw;
    }
    reduced_.reset();
    Install(std::move(picture));
    return true;
}

void PictureSession::RefreshSizes() {
    // A batch picture read at a reduced scale is still, to every rule, its own size.
    state_.PictureWidth = reduced_ ? reduced_->own.width : state_.SourcePicture->Width();
    state_.PictureHeight = reduced_ ? reduced_->own.height : state_.SourcePicture->Height();
    // A picture without height has no ratio (0); nothing divides by it.
    state_.AspectPercent = AspectPercentOf(state_.PictureWidth, state_.PictureHeight);
}

Preview PictureSession::RenderPreview(int32_t panelWidth, int32_t panelHeight) const {
    Preview preview;
    preview.placement = FitPreview(panelWidth, panelHeight, state_.AspectPercent);
    const int32_t width = std::max(preview.placement.width, 0);
    const int32_t height = std::max(preview.placement.height, 0);
    preview.bitmap = std::make_unique<gfx::Bitmap>(width, height);
    gfx::Canvas& canvas = preview.bitmap->GetCanvas();
    canvas.brushColor = gfx::clWhite;
    canvas.FillRect({0, 0, width, height});
    if (const gfx::Graphic* graphic = state_.SourcePicture->GetGraphic()) {
        canvas.StretchDraw({0, 0, width, height}, *graphic);
    }
    return preview;
}

void PictureSession::Clear() {
    state_.CurrentFileName.clear();
    state_.PictureWidth = 0;
    state_.PictureHeight = 0;
    state_.AspectPercent = 1;
    state_.SelectionRect = {0, 0, 0, 0};
    state_.SelectionActive = 0;
}

int64_t PictureSession::MagnifiedWidth(int k) const { return MagnifiedSide(state_.PictureWidth, k); }

int64_t PictureSession::MagnifiedHeight(int k) const { return MagnifiedSide(state_.PictureHeight, k); }

std::optional<int64_t> PictureSession::HeightForWidth(int32_t width) const {
    return morvi::HeightForWidth(width, state_.AspectPercent);
}

int64_t PictureSession::WidthForHeight(int32_t height) const {
    return morvi::WidthForHeight(height, state_.AspectPercent);
}

Output PictureSession::Compose(int32_t width, int32_t height) {
    // An output of no size, or one that could not be held, is refused before
    // anything is drawn: nothing reaches the clipboard or the disk.
    const QString tooLarge = QStringLiteral("出力サイズ %1 x %2 は大きすぎるため、画像を作れません。");
    if (width <= 0 || height <= 0) {
        return {nullptr, QStringLiteral("出力サイズ（幅と高さ）には 1 以上の数を指定してください。")};
    }
    if (!gfx::FitsPictureBudget(width, height)) return {nullptr, tooLarge.arg(width).arg(height)};
    // A region of no width or height counts as no region. A region marked while
    // the size boxes held larger numbers can be larger than the output itself.
    const gfx::Rect& selection = state_.SelectionRect;
    const int64_t regionWidth = std::abs(int64_t{selection.right} - selection.left);
    const int64_t regionHeight = std::abs(int64_t{selection.bottom} - selection.top);
    const bool region = state_.SelectionActive == 1 && regionWidth > 0 && regionHeight > 0;
    if (region && !gfx::FitsPictureBudget(regionWidth, regionHeight)) {
        return {nullptr, tooLarge.arg(regionWidth).arg(regionHeight)};
    }
    try {
        // A white bitmap of the output size with the picture stretched over it.
        gfx::Canvas& work = PrepareWork(width, height);
        if (const gfx::Graphic* graphic = state_.SourcePicture->GetGraphic()) {
            work.StretchDraw({0, 0, width, height}, *graphic);
        }
        if (region) {
            const auto w = static_cast<int32_t>(regionWidth);
            const auto h = static_cast<int32_t>(regionHeight);
            // The cut-out starts from a fresh white bitmap every time.
            cutOut_ = std::make_unique<gfx::Bitmap>(w, h);
            gfx::Canvas& cut = cutOut_->GetCanvas();
            cut.brushColor = gfx::clWhite;
            cut.FillRect({0, 0, w, h});
            // A region dragged leftwards or upwards is handed on upright.
            const gfx::Rect upright{std::min(selection.left, selection.right), std::min(selection.top, selection.bottom),
                                    std::max(selection.left, selection.right),
                                    std::max(selection.top, selection.bottom)};
            cut.CopyRect({0, 0, w, h}, work_->GetCanvas(), upright);
            return {cutOut_.get(), {}};
        }
    } catch (const gfx::EOutOfMemory&) {
        // The memory the bitmap needs could not be had.
        return {nullptr, tooLarge.arg(width).arg(height)};
    } catch (const std::bad_alloc&) {
        return {nullptr, tooLarge.arg(width).arg(height)};
    }
    return {work_.get(), {}};
}

void PictureSession::PasteDib(const std::vector<uint8_t>& packed, const std::function<QImage()>& frameworkImage) {
    std::unique_ptr<gfx::Graphic> pasted;
    try {
        kvdib::TKvDIB dib;
        dib.AssignFromClipboard(ReadAheadDIB(packed));
        auto bitmap = std::make_unique<gfx::Bitmap>();
        dib.AssignTo(*bitmap);
        pasted = std::move(bitmap);
    } catch (const gfx::EOutOfResources&) {
        // The engine ran out of system resources: the picture is taken the
        // framework's own way instead.
        const QImage image = frameworkImage ? frameworkImage() : QImage();
        if (image.isNull()) throw;
        pasted = gfx::FromQImage(image);
    }
    sourceCoding_ = WebpCoding::Lossless;
    Install(std::move(pasted));
}

bool PictureSession::PasteMetafile(const gfx::MetafileOffer& offer) {
    // Drawings offered as SVG are read like a metafile; WMF and EMF go to the
    // graphic registered for their extension.
    std::unique_ptr<gfx::Graphic> graphic = offer.extension == QStringLiteral("svg")
                                                ? std::make_unique<gfx::SvgGraphic>()
                                                : gfx::PictureRegistry::CreateForExtension(offer.extension.toStdString());
    if (!graphic) throw gfx::EInvalidGraphic("この形式のメタファイルは取り込めません。");
    const auto* bytes = reinterpret_cast<const uint8_t*>(offer.bytes.constData());
    gfx::MemoryStream stream(std::span<const uint8_t>(bytes, static_cast<size_t>(offer.bytes.size())));
    graphic->LoadFromStream(stream);
    const std::optional<PixelSize> size = LongSideRule(graphic->Width(), graphic->Height());
    if (!size) return false;
    PrepareWork(size->width, size->height).StretchDraw({0, 0, size->width, size->height}, *graphic);
    sourceCoding_ = WebpCoding::Lossless;
    Install(work_->Clone());
    return true;
}

void PictureSession::PrepareSaveDirectory() {
    if (state_.SaveDirectory.isEmpty()) state_.SaveDirectory = QDir::currentPath();
    if (!state_.SaveDirectory.endsWith(QLatin1Char('/'))) state_.SaveDirectory += QLatin1Char('/');
}

void PictureSession::RenameCurrentToBmp() { state_.CurrentFileName = WithBmpExtension(state_.CurrentFileName); }

void PictureSession::WriteOutput(const gfx::Bitmap& output, SaveType type) {
    WriteOutputPicture(output, FileName(state_.CurrentFileName), type, sourceCoding_);
    if (type == SaveType::Jpeg) {
        state_.SaveDirectory = QFileInfo(state_.CurrentFileName).absolutePath();
        if (!state_.SaveDirectory.endsWith(QLatin1Char('/'))) state_.SaveDirectory += QLatin1Char('/');
    }
}

void PictureSession::Rotate(int angle) {
    // The working image holds the picture at its own size.
    const int32_t width = state_.PictureWidth;
    const int32_t height = state_.PictureHeight;
    PrepareWork(width, height).StretchDraw({0, 0, width, height}, *state_.SourcePicture->GetGraphic());
    // The turned picture, on white where the source does not reach.
    std::unique_ptr<gfx::Bitmap> turned = gfx::RotateBitmap(*work_, angle, gfx::clWhite);
    gfx::Picture rotated;
    rotated.SetGraphic(std::move(turned));
    NormaliseThroughDIB(rotated);
    Install(rotated.TakeGraphic());
}

void PictureSession::Mirror(bool horizontal) {
    const gfx::Graphic& source = *state_.SourcePicture->GetGraphic();
    const int32_t width = source.Width();
    const int32_t height = source.Height();
    // A rectangle with reversed edges draws the picture mirrored.
    const gfx::Rect mirrored = horizontal ? gfx::Rect{width, 0, 0, height} : gfx::Rect{0, height, width, 0};
    PrepareWork(width, height).StretchDraw(mirrored, source);
    Install(work_->Clone());
}

void PictureSession::ApplyTone(ToneCommand command) {
    // The picture's own bitmap is changed at 24 bits; the change is made on a
    // copy (sharing its pixels until written) and installed when it is done.
    std::unique_ptr<gfx::Bitmap> target = state_.SourcePicture->GetBitmap().CloneBitmap();
    const tone::TABitmap adjuster;
    switch (command) {
        case ToneCommand::Brighter: adjuster.AdjustBrightness(*target, 20); break;
        case ToneCommand::Darker: adjuster.AdjustBrightness(*target, -20); break;
        case ToneCommand::MoreContrast: adjuster.AdjustContrast(20, *target); break;
        case ToneCommand::LessContrast: adjuster.AdjustContrast(-20, *target); break;
        case ToneCommand::Monochrome: adjuster.ToMonochrome(*target, 150, 150, 150); break;
    }
    Install(std::move(target));
}

bool PictureSession::BatchTakesOwnSize(int position, const QString& widthText, const QString& heightText) {
    return position != 0 || widthText == QStringLiteral("0") || heightText == QStringLiteral("0");
}

gfx::Size PictureSession::BatchOutputSize(int position, const QString& widthText, const QString& heightText,
                                          int32_t ownWidth, int32_t ownHeight) {
    // A size box that does not hold a whole number stands for 100 pixels.
    if (!BatchTakesOwnSize(position, widthText, heightText)) {
        return {SizeTextOr(widthText.toStdString(), 100), SizeTextOr(heightText.toStdString(), 100)};
    }
    return {SizeTextOr(std::to_string(MagnifiedSide(ownWidth, position)), 100),
            SizeTextOr(std::to_string(MagnifiedSide(ownHeight, position)), 100)};
}

}  // namespace morvi

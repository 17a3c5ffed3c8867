// The picture session: the state every command reads and writes (the picture at
// its own size, the values derived from it, the selection, the current file and
// the two remembered folders), the hidden work images, and one operation per
// command. The window, the command-line converter and the benchmarks all run
// these same operations; none of them needs a widget.
//
// Each operation either completes or leaves the session as it was: a new
// picture is built completely beside the old one and installed at the end.
// What an operation shows or asks (boxes, the preview widget, the size boxes)
// belongs to its caller; the session only says what there is to show.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/picture.h"
#include "gfx/types.h"
#include "session/batch_step.h"
#include "session/output_file.h"
#include "session/preview_fit.h"

namespace gfx {
struct MetafileOffer;
class Canvas;
}  // namespace gfx

namespace morvi {

// The session's values under the names every command knows them by.
struct SessionState {
    std::unique_ptr<gfx::Picture> SourcePicture;
    int32_t PictureWidth = 0;
    int32_t PictureHeight = 0;
    int32_t AspectPercent = 1;
    QString CurrentFileName;
    QString OpenDirectory;
    QString SaveDirectory;
    gfx::Rect SelectionRect;   // output pixels, not normalised
    uint8_t SelectionActive = 0;
    QString VersionText = QStringLiteral("1.6");
};

// The picture drawn fitted into the preview panel.
struct Preview {
    PreviewPlacement placement;
    std::unique_ptr<gfx::Bitmap> bitmap;  // placement's size
};

// The output picture of a copy or save; null with the reason when the size
// boxes cannot give one (the caller shows the reason or, in a batch, fails).
struct Output {
    const gfx::Bitmap* bitmap = nullptr;
    QString refusal;
};

enum class ToneCommand { Brighter, Darker, MoreContrast, LessContrast, Monochrome };

class PictureSession {
public:
    // The start values; SourcePicture exists and is empty.
    PictureSession();
    ~PictureSession();
    PictureSession(const PictureSession&) = delete;
    PictureSession& operator=(const PictureSession&) = delete;

    const SessionState& State() const { return state_; }

    // The names the roads set before a file is read (they keep the new path even
    // when reading fails) and the folders the dialogs remember.
    void SetCurrentFileName(const QString& path) { state_.CurrentFileName = path; }
    void SetOpenDirectory(const QString& folder) { state_.OpenDirectory = folder; }

    // --- Loading and the preview ------------------------------------------------
    // Reads path by its extension, draws it at its own size on white and keeps
    // that bitmap, passed through the DIB engine when normalise is set (the open
    // dialog and the batch; not a drop or the command line). The sizes follow.
    void Load(const QString& path, bool normalise);
    // The load of a batch file: through the engine, with the magnification kept.
    // The batch knows its output size before it reads (outputFor gives it from
    // the picture's own size, which the header tells): a kind that can decode
    // at a reduced scale reads no more than that output needs (a JPEG that is to
    // be made at least twice smaller on both sides). The sizes then stay the
    // picture's own until CompleteBatchPicture reads it whole.
    void LoadForBatch(const QString& path, const std::function<gfx::Size(int32_t width, int32_t height)>& outputFor);
    // After a batch: the picture last read at a reduced scale is read whole from
    // the bytes kept of it (its file has been replaced since), so that the
    // session holds it at its own size as after any load. False, and nothing
    // done, when there is none. Should that read fail, the picture stays as it
    // was read and the sizes become its own.
    bool CompleteBatchPicture();
    // PictureWidth, PictureHeight and AspectPercent from SourcePicture.
    void RefreshSizes();
    // The picture fitted into a panel of the given size.
    Preview RenderPreview(int32_t panelWidth, int32_t panelHeight) const;
    // The empty session: no file, no size, ratio 1, no selection (SourcePicture
    // itself stays; whoever asks whether a picture is shown decides that).
    void Clear();
    // Frees SourcePicture, as the window does when it closes.
    void ReleasePicture() { state_.SourcePicture.reset(); }

    // --- Output size and selection -------------------------------------------------
    // The size boxes' values at up-down position k: the picture's own size at 0,
    // else scaled by the area factor and rounded to tens.
    int64_t MagnifiedWidth(int k) const;
    int64_t MagnifiedHeight(int k) const;
    // The keep-aspect rules with the picture's ratio (nullopt: no usable ratio).
    std::optional<int64_t> HeightForWidth(int32_t width) const;
    int64_t WidthForHeight(int32_t height) const;
    void ClearSelection() { state_.SelectionActive = 0; }
    void MarkSelection() { state_.SelectionActive = 1; }
    void SetSelectionRect(const gfx::Rect& rect) { state_.SelectionRect = rect; }
    void ClearSelectionRect() { state_.SelectionRect = {0, 0, 0, 0}; }

    // --- Output ---------------------------------------------------------------
    // The picture stretched to width x height on white, cut to the marked region
    // when there is one. The bitmap lives in the session until the next compose.
    Output Compose(int32_t width, int32_t height);

    // --- Paste ------------------------------------------------------------------
    // A packed DIB through the engine's clipboard reader. When the engine runs
    // out of system resources, frameworkImage() gives the picture the
    // framework's own way (a null image passes the engine's failure on).
    void PasteDib(const std::vector<uint8_t>& packed, const std::function<QImage()>& frameworkImage);
    // A metafile (or SVG) offer rendered with its long side in 1600 to 2000
    // pixels. False, changing nothing, when it reports no size to scale.
    bool PasteMetafile(const gfx::MetafileOffer& offer);

    // --- Saving -------------------------------------------------------------------
    // SaveDirectory as the save dialog needs it: the current directory at first,
    // always with a trailing "/".
    void PrepareSaveDirectory();
    // The ".bmp" name a file of another kind is saved under.
    void RenameCurrentToBmp();
    // Writes output to CurrentFileName as type (a WebP coded as the source was);
    // after a JPEG, SaveDirectory becomes that file's folder.
    void WriteOutput(const gfx::Bitmap& output, SaveType type);

    // --- Picture commands -------------------------------------------------------------
    // Turns the picture counter-clockwise by angle degrees (90, -90, 180) and
    // passes it through the engine.
    void Rotate(int angle);
    // Mirrors left to right (horizontal) or top to bottom.
    void Mirror(bool horizontal);
    void ApplyTone(ToneCommand command);

    // --- The batch -------------------------------------------------------------------
    // Whether a batch file is sized from its own size scaled by the magnification
    // (up-down position not 0, or a size box that reads exactly "0"), instead of
    // keeping the boxes as they are.
    static bool BatchTakesOwnSize(int position, const QString& widthText, const QString& heightText);
    // The output size of a batch file of the given own size: the boxes as they
    // are, or its own size at the magnification when the rule above says so,
    // read as the compose reads the boxes.
    static gfx::Size BatchOutputSize(int position, const QString& widthText, const QString& heightText,
                                     int32_t ownWidth, int32_t ownHeight);
    // One file of a batch with nothing asked (see batch_step.h): loaded, sized,
    // written; the session then holds it as the window's batch leaves it.
    BatchResult BatchStep(const QString& source, const BatchSettings& settings);

private:
    // The working image as a white surface of the given size, ready for a
    // drawing at 1:1.
    gfx::Canvas& PrepareWork(int32_t width, int32_t height);
    // Makes bitmap the session's picture and refreshes the sizes.
    void Install(std::unique_ptr<gfx::Graphic> picture);
    // A freshly read graphic as the session keeps it: a bitmap drawn at its own
    // size on white, through the engine when normalise is set.
    std::unique_ptr<gfx::Graphic> AsPicture(gfx::Picture& loaded, bool normalise);

    SessionState state_;
    // The working image (every picture drawn at full size, every output) and the
    // cut-out of a selected region: kept between commands, redrawn before use.
    std::unique_ptr<gfx::Bitmap> work_;
    std::unique_ptr<gfx::Bitmap> cutOut_;
    // A batch picture read at a reduced scale: the file's bytes and kind, and
    // its own size, which the sizes report until it is read whole.
    struct Reduced {
        std::vector<uint8_t> bytes;
        std::string extension;
        gfx::Size own;
    };
    std::optional<Reduced> reduced_;
    // How a WebP of the picture is coded: as its source was (see source_coding.h).
    WebpCoding sourceCoding_ = WebpCoding::Lossless;
};

}  // namespace morvi

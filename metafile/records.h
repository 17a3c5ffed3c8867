// The in-memory form of a metafile: the readers of WMF and EMF files turn every
// record they understand into a Command whose sizes, counts, object indices and
// bitmaps have been checked against the bytes present, and the player replays the
// list on a QPainter without touching the file bytes again. Both formats share
// one command set because they describe the same device-context model.
#pragma once

#include <QImage>
#include <QPointF>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gfx::metafile {

// Mapping modes, background modes, fill modes, text alignment and raster
// operations as the files carry them.
enum MapMode : int32_t {
    MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4,
    MM_HIENGLISH = 5, MM_TWIPS = 6, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8,
};
constexpr int32_t kTransparent = 1;
constexpr int32_t kOpaque = 2;
constexpr int32_t kAlternate = 1;
constexpr int32_t kWinding = 2;
constexpr uint32_t TA_UPDATECP = 0x0001;
constexpr uint32_t TA_RIGHT = 0x0002;
constexpr uint32_t TA_CENTER = 0x0006;
constexpr uint32_t TA_BOTTOM = 0x0008;
constexpr uint32_t TA_BASELINE = 0x0018;
constexpr uint32_t ETO_OPAQUE = 0x0002;
constexpr uint32_t ETO_CLIPPED = 0x0004;
constexpr uint32_t ETO_GLYPH_INDEX = 0x0010;
constexpr uint32_t ETO_PDY = 0x2000;

constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t SRCINVERT = 0x00660046;
constexpr uint32_t NOTSRCCOPY = 0x00330008;
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t PATINVERT = 0x005A0049;
constexpr uint32_t DSTINVERT = 0x00550009;
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;

// A GDI object as created by the file. Pens, brushes and fonts are played; other
// kinds (palettes, regions) only occupy their slot in the object table.
struct GdiObject {
    enum class Kind { Pen, Brush, Font, Other } kind = Kind::Other;

    // Pen: style bits (PS_*), width in logical units (0 = one pixel), colour.
    uint32_t penStyle = 0;
    int32_t penWidth = 0;
    bool cosmetic = false;  // always one pixel wide, whatever the mapping
    std::vector<double> dashes;  // user style entries, logical units

    // Brush: BS_* style, HS_* hatch, pattern image for BS_PATTERN / BS_DIBPATTERN.
    uint32_t brushStyle = 0;
    uint32_t hatch = 0;
    std::shared_ptr<const QImage> pattern;

    uint32_t color = 0;  // 0x00BBGGRR, for pens and brushes

    // Font: the LOGFONT fields that the player uses.
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t weight = 0;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charSet = 0;
    // The face name; WMF names are kept as bytes of the font's code page.
    QString faceName;
    std::string faceBytes;
};

// Stock objects of EMF files are selected by index with this bit set.
constexpr uint32_t kStockObject = 0x80000000u;

enum class Op : uint8_t {
    SetMapMode, SetWindowOrg, SetWindowExt, SetViewportOrg, SetViewportExt,
    OffsetWindowOrg, OffsetViewportOrg, ScaleWindowExt, ScaleViewportExt,
    SetWorldTransform, ModifyWorldTransform,
    SaveDC, RestoreDC,
    CreateObject, SelectObject, DeleteObject,
    SetBkMode, SetBkColor, SetTextColor, SetTextAlign, SetPolyFillMode, SetMiterLimit, SetArcDirection, SetStretchMode,
    MoveTo, LineTo,
    Polyline, Polygon, PolyPolyline, PolyPolygon, PolyBezier, PolyBezierTo, PolylineTo, PolyDraw,
    Rectangle, RoundRect, Ellipse, Arc, Chord, Pie, ArcTo, AngleArc,
    SetPixel, Text, Image, PatBlt,
    IntersectClip, ExcludeClip, ResetClip, OffsetClip, ClipRegion,
    BeginPath, EndPath, CloseFigure, AbortPath, FillPath, StrokePath, StrokeAndFillPath, SelectClipPath,
};

// Text of a TEXTOUT or EXTTEXTOUT record. 8-bit text stays in its bytes until it
// is played, because its code page is the one of the font selected then.
struct TextRun {
    bool wide = false;
    QString text;        // UTF-16 text of wide records
    std::string bytes;   // 8-bit text
    std::vector<int32_t> dx;  // advance per code unit (byte or UTF-16 unit), logical units
    uint32_t options = 0;
    QRectF rect;         // ETO_OPAQUE / ETO_CLIPPED rectangle, logical units
    bool hasRect = false;
};

// A bitmap operation: destination (logical units), source in the image's
// top-down pixel coordinates, the raster operation.
struct ImageBlit {
    QRectF dest;
    QRectF source;
    uint32_t rop = SRCCOPY;
    double opacity = 1.0;  // constant alpha of an alpha blend
    std::shared_ptr<const QImage> image;  // null for operations without a source
};

// One played record. Which fields matter depends on op; v holds the integers
// (coordinates, modes, indices) in the order the player expects them.
struct Command {
    Op op{};
    int32_t v[8]{};
    double f[6]{};
    std::vector<QPointF> points;
    std::vector<int32_t> counts;  // polygon sizes of PolyPoly*, point types of PolyDraw
    std::shared_ptr<const GdiObject> object;
    std::shared_ptr<const TextRun> text;
    std::shared_ptr<const ImageBlit> blit;
};

// Limits on what one file may make us hold: records played, and decoded bitmap
// pixels summed over the file (every pixel needs at least one bit in the file,
// but decoding widens it to 32).
constexpr size_t kMaxCommands = size_t{1} << 21;
constexpr int64_t kMaxTotalBitmapPixels = int64_t{1} << 27;

// A whole metafile ready to play.
struct Document {
    bool enhanced = false;
    int32_t width = 0;   // pixels at 96 dpi
    int32_t height = 0;
    // Device pixels per millimetre (for the metric and English mapping modes).
    double devicePixelsPerMmX = 96.0 / 25.4;
    double devicePixelsPerMmY = 96.0 / 25.4;
    // The picture's frame in device pixels: it is what fills the target rectangle.
    QRectF frame;
    // Start state of the mapping.
    int32_t mapMode = MM_TEXT;
    QPointF windowOrg{0, 0}, windowExt{1, 1}, viewportOrg{0, 0}, viewportExt{1, 1};
    size_t objectCount = 0;
    std::vector<Command> commands;
    int64_t bitmapPixels = 0;  // decoded so far, against kMaxTotalBitmapPixels
};

// Counts a decoded bitmap against the file's budget; throws when it is spent.
void ChargeBitmap(Document& document, const QImage* image);
// Throws when the file has more records to play than kMaxCommands.
void CheckCommandCount(const Document& document);

}  // namespace gfx::metafile

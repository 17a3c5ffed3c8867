// Enhanced metafiles: a sequence of (type, size in bytes, parameters) records that
// starts with the header record and ends with EMR_EOF. Offsets inside a record
// (bitmaps, strings, advance arrays) count from the record's first byte.
#include <cmath>
#include <string>
#include <vector>

#include "metafile/dib_reader.h"
#include "metafile/readers.h"
#include "metafile/record_params.h"

namespace gfx::metafile {

namespace {

enum : uint32_t {
    EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_EOF = 14,
    EMR_SETPIXELV = 15, EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19,
    EMR_SETSTRETCHBLTMODE = 21, EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27, EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30, EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32, EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40, EMR_ANGLEARC = 41, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44,
    EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47, EMR_CREATEPALETTE = 49, EMR_LINETO = 54, EMR_ARCTO = 55,
    EMR_POLYDRAW = 56, EMR_SETARCDIRECTION = 57, EMR_SETMITERLIMIT = 58, EMR_BEGINPATH = 59, EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61, EMR_FILLPATH = 62, EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64,
    EMR_SELECTCLIPPATH = 67, EMR_ABORTPATH = 68, EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77, EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87, EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89, EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91, EMR_POLYDRAW16 = 92, EMR_CREATEMONOBRUSH = 93, EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95, EMR_ALPHABLEND = 114,
};

constexpr size_t kMinHeaderSize = 88;
constexpr uint32_t kLastStockObject = 19;
constexpr uint32_t RGN_COPY = 5;

class EmfReader {
public:
    explicit EmfReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    std::shared_ptr<const Document> Read();

private:
    void ReadHeader(RecordParams& p);
    void ReadRecord(uint32_t type, RecordParams& p);
    Command& Add(Op op) {
        CheckCommandCount(*doc_);
        doc_->commands.push_back(Command{});
        doc_->commands.back().op = op;
        return doc_->commands.back();
    }
    uint32_t TableIndex(RecordParams& p) {
        const uint32_t index = p.U32();
        if (index == 0 || index >= doc_->objectCount)
            p.Fail("object index " + std::to_string(index) + " is out of range (table of " +
                   std::to_string(doc_->objectCount) + ")");
        return index;
    }
    static QPointF PointL(RecordParams& p) {
        const int32_t x = p.I32();
        return QPointF(x, p.I32());
    }
    static void RectL(RecordParams& p, Command& c) {
        for (int i = 0; i < 4; ++i) c.v[i] = p.I32();
    }
    static double Finite(RecordParams& p, float value) {
        if (!std::isfinite(value)) p.Fail("a number is not finite");
        return value;
    }
    static std::vector<QPointF> Points(RecordParams& p, uint64_t count, bool shortPoints) {
        p.NeedItems(count, shortPoints ? 4 : 8);
        std::vector<QPointF> points(static_cast<size_t>(count));
        for (QPointF& point : points) {
            if (shortPoints) {
                const int16_t x = p.I16();
                point = QPointF(x, p.I16());
            } else {
                point = PointL(p);
            }
        }
        return points;
    }
    std::shared_ptr<const QImage> DecodeBitmap(RecordParams& p, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits,
                                         uint32_t cbBits, uint32_t usage, bool keepAlpha = false,
                                         int64_t bandRows = -1) {
        auto image = DecodeDib(p.Slice(offBmi, cbBmi), p.Slice(offBits, cbBits), usage == 1, keepAlpha, bandRows);
        ChargeBitmap(*doc_, image.get());
        return image;
    }
    void AddBlit(std::shared_ptr<ImageBlit> blit, bool hadSource) {
        if (hadSource && !blit->image) return;  // a bitmap kind we do not play
        Command& c = Add(blit->image ? Op::Image : Op::PatBlt);
        c.blit = std::move(blit);
    }

    std::span<const uint8_t> bytes_;
    std::shared_ptr<Document> doc_ = std::make_shared<Document>();
};

void EmfReader::ReadHeader(RecordParams& p) {
    p.Skip(8);
    p.Skip(16);  // bounds
    const int32_t left = p.I32(), top = p.I32(), right = p.I32(), bottom = p.I32();
    if (p.U32() != kEmfSignature) p.Fail("the header has no EMF signature");
    p.U32();  // version
    p.U32();  // bytes
    p.U32();  // records
    const uint16_t handles = p.U16();
    p.U16();
    p.Skip(12);  // description and palette
    const int32_t devX = p.I32(), devY = p.I32(), mmX = p.I32(), mmY = p.I32();
    double umX = mmX * 1000.0, umY = mmY * 1000.0;
    if (p.Size() >= 108) {
        p.Skip(12);  // pixel format, OpenGL
        const int32_t x = p.I32(), y = p.I32();
        if (x > 0 && y > 0) {
            umX = x;
            umY = y;
        }
    }
    if (devX > 0 && devY > 0 && umX > 0 && umY > 0) {
        doc_->devicePixelsPerMmX = devX * 1000.0 / umX;
        doc_->devicePixelsPerMmY = devY * 1000.0 / umY;
    }
    doc_->objectCount = handles;
    // The frame is in hundredths of a millimetre; its size in pixels at 96 dpi is the picture size.
    const double w = (double(right) - left) / 2540.0 * 96.0;
    const double h = (double(bottom) - top) / 2540.0 * 96.0;
    doc_->width = static_cast<int32_t>(std::lround(std::abs(w)));
    doc_->height = static_cast<int32_t>(std::lround(std::abs(h)));
    doc_->frame = QRectF(left * doc_->devicePixelsPerMmX / 100.0, top * doc_->devicePixelsPerMmY / 100.0,
                         (double(right) - left) * doc_->devicePixelsPerMmX / 100.0,
                         (double(bottom) - top) * doc_->devicePixelsPerMmY / 100.0);
}

std::shared_ptr<const Document> EmfReader::Read() {
    doc_->enhanced = true;
    doc_->mapMode = MM_TEXT;
    size_t pos = 0;
    bool first = true;
    while (pos < bytes_.size()) {
        ByteReader in(bytes_.subspan(pos));
        uint32_t type = 0, size = 0;
        if (!in.ReadU32(type) || !in.ReadU32(size))
            throw EInvalidGraphic("Enhanced metafile: record at offset " + std::to_string(pos) + " is truncated");
        // At least the 8-byte record header, whole 32-bit words, within the file.
        if (size < 8 || size % 4 != 0)
            throw EInvalidGraphic("Enhanced metafile: record at offset " + std::to_string(pos) + " has size " +
                                  std::to_string(size));
        if (size > bytes_.size() - pos)
            throw EInvalidGraphic("Enhanced metafile: record at offset " + std::to_string(pos) + " of " +
                                  std::to_string(size) + " bytes runs past the end of the file");
        RecordParams p(bytes_.subspan(pos, size), type, pos);
        if (first) {
            if (type != EMR_HEADER || size < kMinHeaderSize)
                throw EInvalidGraphic("Enhanced metafile: the file does not start with a header record");
            ReadHeader(p);
            first = false;
        } else if (type == EMR_EOF) {
            break;
        } else {
            p.Skip(8);
            ReadRecord(type, p);
        }
        pos += size;
    }
    if (first) throw EInvalidGraphic("Enhanced metafile: the file is empty");
    return doc_;
}

void EmfReader::ReadRecord(uint32_t type, RecordParams& p) {
    switch (type) {
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: {
        const bool shortPoints = type >= EMR_POLYBEZIER16;
        const uint32_t base = shortPoints ? type - EMR_POLYBEZIER16 + EMR_POLYBEZIER : type;
        p.Skip(16);
        const uint32_t count = p.U32();
        auto points = Points(p, count, shortPoints);
        const Op op = base == EMR_POLYBEZIER    ? Op::PolyBezier
                      : base == EMR_POLYGON     ? Op::Polygon
                      : base == EMR_POLYLINE    ? Op::Polyline
                      : base == EMR_POLYBEZIERTO ? Op::PolyBezierTo
                                                 : Op::PolylineTo;
        Add(op).points = std::move(points);
        break;
    }
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: {
        const bool shortPoints = type >= EMR_POLYPOLYLINE16;
        p.Skip(16);
        const uint32_t polygons = p.U32();
        const uint32_t total = p.U32();
        p.NeedItems(polygons, 4);
        std::vector<int32_t> counts(polygons);
        uint64_t sum = 0;
        for (int32_t& count : counts) {
            const uint32_t n = p.U32();
            sum += n;
            if (sum > total) p.Fail("polygon sizes add up to more than the point count");
            count = static_cast<int32_t>(n);
        }
        if (sum != total) p.Fail("polygon sizes do not add up to the point count");
        auto points = Points(p, total, shortPoints);
        Command& c = Add(type == EMR_POLYPOLYLINE || type == EMR_POLYPOLYLINE16 ? Op::PolyPolyline : Op::PolyPolygon);
        c.counts = std::move(counts);
        c.points = std::move(points);
        break;
    }
    case EMR_POLYDRAW: case EMR_POLYDRAW16: {
        p.Skip(16);
        const uint32_t count = p.U32();
        // Each point is followed, after all points, by one type byte.
        p.NeedItems(count, type == EMR_POLYDRAW16 ? 5 : 9);
        auto points = Points(p, count, type == EMR_POLYDRAW16);
        const auto types = p.Take(count);
        Command& c = Add(Op::PolyDraw);
        c.points = std::move(points);
        c.counts.assign(types.begin(), types.end());
        break;
    }
    case EMR_SETWINDOWEXTEX: Add(Op::SetWindowExt).points = {PointL(p)}; break;
    case EMR_SETWINDOWORGEX: Add(Op::SetWindowOrg).points = {PointL(p)}; break;
    case EMR_SETVIEWPORTEXTEX: Add(Op::SetViewportExt).points = {PointL(p)}; break;
    case EMR_SETVIEWPORTORGEX: Add(Op::SetViewportOrg).points = {PointL(p)}; break;
    case EMR_MOVETOEX: Add(Op::MoveTo).points = {PointL(p)}; break;
    case EMR_LINETO: Add(Op::LineTo).points = {PointL(p)}; break;
    case EMR_OFFSETCLIPRGN: Add(Op::OffsetClip).points = {PointL(p)}; break;
    case EMR_SETPIXELV: {
        const QPointF point = PointL(p);
        Command& c = Add(Op::SetPixel);
        c.points = {point};
        c.v[0] = static_cast<int32_t>(p.U32());
        break;
    }
    case EMR_SETMAPMODE: Add(Op::SetMapMode).v[0] = p.I32(); break;
    case EMR_SETBKMODE: Add(Op::SetBkMode).v[0] = p.I32(); break;
    case EMR_SETPOLYFILLMODE: Add(Op::SetPolyFillMode).v[0] = p.I32(); break;
    case EMR_SETTEXTALIGN: Add(Op::SetTextAlign).v[0] = p.I32(); break;
    case EMR_SETSTRETCHBLTMODE: Add(Op::SetStretchMode).v[0] = p.I32(); break;
    case EMR_SETTEXTCOLOR: Add(Op::SetTextColor).v[0] = p.I32(); break;
    case EMR_SETBKCOLOR: Add(Op::SetBkColor).v[0] = p.I32(); break;
    case EMR_SETARCDIRECTION: Add(Op::SetArcDirection).v[0] = p.I32(); break;
    case EMR_SETMITERLIMIT: Add(Op::SetMiterLimit).v[0] = p.I32(); break;
    case EMR_EXCLUDECLIPRECT: RectL(p, Add(Op::ExcludeClip)); break;
    case EMR_INTERSECTCLIPRECT: RectL(p, Add(Op::IntersectClip)); break;
    case EMR_SCALEVIEWPORTEXTEX: case EMR_SCALEWINDOWEXTEX: {
        Command& c = Add(type == EMR_SCALEWINDOWEXTEX ? Op::ScaleWindowExt : Op::ScaleViewportExt);
        for (int i = 0; i < 4; ++i) c.v[i] = p.I32();
        break;
    }
    case EMR_SAVEDC: Add(Op::SaveDC); break;
    case EMR_RESTOREDC: Add(Op::RestoreDC).v[0] = p.I32(); break;
    case EMR_SETWORLDTRANSFORM: case EMR_MODIFYWORLDTRANSFORM: {
        double f[6];
        for (double& value : f) value = Finite(p, p.F32());
        Command& c = Add(type == EMR_SETWORLDTRANSFORM ? Op::SetWorldTransform : Op::ModifyWorldTransform);
        std::copy(f, f + 6, c.f);
        if (type == EMR_MODIFYWORLDTRANSFORM) c.v[0] = static_cast<int32_t>(p.U32());
        break;
    }
    case EMR_SELECTOBJECT: case EMR_DELETEOBJECT: {
        const uint32_t raw = p.U32();
        if (raw & kStockObject) {
            // Stock objects cannot be deleted; unknown stock numbers are ignored.
            if (type == EMR_SELECTOBJECT && (raw & ~kStockObject) <= kLastStockObject)
                Add(Op::SelectObject).v[0] = static_cast<int32_t>(raw);
            break;
        }
        if (raw == 0 || raw >= doc_->objectCount)
            p.Fail("object index " + std::to_string(raw) + " is out of range (table of " +
                   std::to_string(doc_->objectCount) + ")");
        Add(type == EMR_SELECTOBJECT ? Op::SelectObject : Op::DeleteObject).v[0] = static_cast<int32_t>(raw);
        break;
    }
    case EMR_CREATEPEN: {
        const uint32_t index = TableIndex(p);
        auto pen = std::make_shared<GdiObject>();
        pen->kind = GdiObject::Kind::Pen;
        pen->penStyle = p.U32();
        pen->penWidth = p.I32();
        p.I32();
        pen->color = p.U32();
        Command& c = Add(Op::CreateObject);
        c.v[0] = static_cast<int32_t>(index);
        c.object = std::move(pen);
        break;
    }
    case EMR_EXTCREATEPEN: {
        const uint32_t index = TableIndex(p);
        p.Skip(16);  // pattern bitmap of the pen's brush: drawn with its colour instead
        auto pen = std::make_shared<GdiObject>();
        pen->kind = GdiObject::Kind::Pen;
        pen->penStyle = p.U32();
        pen->penWidth = static_cast<int32_t>(std::min<uint32_t>(p.U32(), INT32_MAX));
        const uint32_t brushStyle = p.U32();
        pen->color = p.U32();
        p.U32();  // hatch
        const uint32_t entries = p.U32();
        p.NeedItems(entries, 4);
        for (uint32_t i = 0; i < entries && i < 16; ++i) pen->dashes.push_back(p.U32());
        pen->cosmetic = (pen->penStyle & 0x000F0000u) == 0;
        if (brushStyle == 1) pen->penStyle = (pen->penStyle & ~0x0Fu) | 5;  // hollow brush: no line
        Command& c = Add(Op::CreateObject);
        c.v[0] = static_cast<int32_t>(index);
        c.object = std::move(pen);
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        const uint32_t index = TableIndex(p);
        auto brush = std::make_shared<GdiObject>();
        brush->kind = GdiObject::Kind::Brush;
        brush->brushStyle = p.U32();
        brush->color = p.U32();
        brush->hatch = p.U32();
        if (brush->brushStyle > 2) brush->brushStyle = 0;
        Command& c = Add(Op::CreateObject);
        c.v[0] = static_cast<int32_t>(index);
        c.object = std::move(brush);
        break;
    }
    case EMR_CREATEMONOBRUSH: case EMR_CREATEDIBPATTERNBRUSHPT: {
        const uint32_t index = TableIndex(p);
        const uint32_t usage = p.U32();
        const uint32_t offBmi = p.U32(), cbBmi = p.U32(), offBits = p.U32(), cbBits = p.U32();
        auto brush = std::make_shared<GdiObject>();
        brush->kind = GdiObject::Kind::Brush;
        brush->brushStyle = 3;
        brush->pattern = DecodeBitmap(p, offBmi, cbBmi, offBits, cbBits, type == EMR_CREATEMONOBRUSH ? 0 : usage);
        if (!brush->pattern) {
            brush->brushStyle = 0;
            brush->color = 0x808080;
        }
        Command& c = Add(Op::CreateObject);
        c.v[0] = static_cast<int32_t>(index);
        c.object = std::move(brush);
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
        const uint32_t index = TableIndex(p);
        auto font = std::make_shared<GdiObject>();
        font->kind = GdiObject::Kind::Font;
        font->height = p.I32();
        font->width = p.I32();
        font->escapement = p.I32();
        p.I32();  // orientation
        font->weight = p.I32();
        font->italic = p.U8() != 0;
        font->underline = p.U8() != 0;
        font->strikeOut = p.U8() != 0;
        font->charSet = p.U8();
        p.Skip(4);
        char16_t face[32];
        for (char16_t& unit : face) unit = p.U16();
        qsizetype length = 0;
        while (length < 32 && face[length] != 0) ++length;
        font->faceName = QString::fromUtf16(face, length);
        Command& c = Add(Op::CreateObject);
        c.v[0] = static_cast<int32_t>(index);
        c.object = std::move(font);
        break;
    }
    case EMR_CREATEPALETTE: {
        const uint32_t index = TableIndex(p);
        Command& c = Add(Op::CreateObject);
        c.v[0] = static_cast<int32_t>(index);
        c.object = std::make_shared<GdiObject>();
        break;
    }
    case EMR_ANGLEARC: {
        const QPointF center = PointL(p);
        const uint32_t radius = p.U32();
        const double start = Finite(p, p.F32());
        const double sweep = Finite(p, p.F32());
        Command& c = Add(Op::AngleArc);
        c.points = {center};
        c.f[0] = std::min<double>(radius, INT32_MAX);
        c.f[1] = start;
        c.f[2] = sweep;
        break;
    }
    case EMR_ELLIPSE: RectL(p, Add(Op::Ellipse)); break;
    case EMR_RECTANGLE: RectL(p, Add(Op::Rectangle)); break;
    case EMR_ROUNDRECT: {
        Command c;
        c.op = Op::RoundRect;
        RectL(p, c);
        c.v[4] = p.I32();
        c.v[5] = p.I32();
        CheckCommandCount(*doc_);
        doc_->commands.push_back(std::move(c));
        break;
    }
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: {
        Command c;
        c.op = type == EMR_ARC ? Op::Arc : type == EMR_CHORD ? Op::Chord : type == EMR_PIE ? Op::Pie : Op::ArcTo;
        RectL(p, c);
        const QPointF start = PointL(p);
        c.points = {start, PointL(p)};
        CheckCommandCount(*doc_);
        doc_->commands.push_back(std::move(c));
        break;
    }
    case EMR_BEGINPATH: Add(Op::BeginPath); break;
    case EMR_ENDPATH: Add(Op::EndPath); break;
    case EMR_CLOSEFIGURE: Add(Op::CloseFigure); break;
    case EMR_ABORTPATH: Add(Op::AbortPath); break;
    case EMR_FILLPATH: Add(Op::FillPath); break;
    case EMR_STROKEPATH: Add(Op::StrokePath); break;
    case EMR_STROKEANDFILLPATH: Add(Op::StrokeAndFillPath); break;
    case EMR_SELECTCLIPPATH: Add(Op::SelectClipPath).v[0] = p.I32(); break;
    case EMR_EXTSELECTCLIPRGN: {
        const uint32_t cbData = p.U32();
        const uint32_t mode = p.U32();
        if (cbData == 0) {
            if (mode == RGN_COPY) Add(Op::ResetClip);
            break;
        }
        // Region data: a 32-byte header (size, type, count, region size, bounds) and the rectangles.
        p.U32();
        p.U32();
        const uint32_t count = p.U32();
        p.Skip(20);
        p.NeedItems(count, 16);
        Command& c = Add(Op::ClipRegion);
        c.v[0] = static_cast<int32_t>(mode);
        c.points.reserve(size_t(count) * 2);
        for (uint32_t i = 0; i < count; ++i) {
            const QPointF topLeft = PointL(p);
            c.points.push_back(topLeft);
            c.points.push_back(PointL(p));
        }
        break;
    }
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_ALPHABLEND: {
        p.Skip(16);
        const int32_t x = p.I32(), y = p.I32(), cx = p.I32(), cy = p.I32();
        const uint32_t rop = p.U32();
        const int32_t xSrc = p.I32(), ySrc = p.I32();
        p.Skip(24 + 4);  // source transform, background colour
        const uint32_t usage = p.U32();
        const uint32_t offBmi = p.U32(), cbBmi = p.U32(), offBits = p.U32(), cbBits = p.U32();
        int32_t cxSrc = cx, cySrc = cy;
        if (type != EMR_BITBLT) {
            cxSrc = p.I32();
            cySrc = p.I32();
        }
        auto blit = std::make_shared<ImageBlit>();
        blit->dest = QRectF(x, y, cx, cy);
        blit->rop = type == EMR_ALPHABLEND ? SRCCOPY : rop;
        if (cbBmi != 0) {
            const bool perPixel = type == EMR_ALPHABLEND && ((rop >> 24) & 1);
            blit->image = DecodeBitmap(p, offBmi, cbBmi, offBits, cbBits, usage, perPixel);
            blit->source = QRectF(xSrc, ySrc, cxSrc, cySrc);
            if (type == EMR_ALPHABLEND) blit->opacity = ((rop >> 16) & 0xFF) / 255.0;
        }
        AddBlit(std::move(blit), cbBmi != 0);
        break;
    }
    case EMR_STRETCHDIBITS: case EMR_SETDIBITSTODEVICE: {
        p.Skip(16);
        const int32_t x = p.I32(), y = p.I32(), xSrc = p.I32(), ySrc = p.I32(), cxSrc = p.I32(), cySrc = p.I32();
        const uint32_t offBmi = p.U32(), cbBmi = p.U32(), offBits = p.U32(), cbBits = p.U32();
        const uint32_t usage = p.U32();
        auto blit = std::make_shared<ImageBlit>();
        int64_t firstScan = 0, bandRows = -1;
        if (type == EMR_STRETCHDIBITS) {
            blit->rop = p.U32();
            const int32_t cx = p.I32(), cy = p.I32();
            blit->dest = QRectF(x, y, cx, cy);
        } else {
            // The bits may hold only a band of scans, counted from the bottom.
            firstScan = p.U32();
            bandRows = p.U32();
            blit->dest = QRectF(x, y, cxSrc, cySrc);
        }
        if (cbBmi == 0) break;
        blit->image = DecodeBitmap(p, offBmi, cbBmi, offBits, cbBits, usage, false, bandRows);
        if (blit->image) {
            // Source rows count from the bottom of the bitmap (or band) here.
            blit->source =
                QRectF(xSrc, double(blit->image->height()) - (double(ySrc) - double(firstScan)) - cySrc, cxSrc, cySrc);
        }
        AddBlit(std::move(blit), true);
        break;
    }
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: {
        p.Skip(16 + 4 + 8);  // bounds, graphics mode, scales
        const QPointF reference = PointL(p);
        const uint32_t chars = p.U32();
        const uint32_t offString = p.U32();
        auto run = std::make_shared<TextRun>();
        run->options = p.U32();
        const int32_t left = p.I32(), top = p.I32(), right = p.I32(), bottom = p.I32();
        const uint32_t offDx = p.U32();
        run->hasRect = (run->options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
        run->rect = QRectF(QPointF(left, top), QPointF(right, bottom));
        run->wide = type == EMR_EXTTEXTOUTW;
        const auto text = p.Slice(offString, uint64_t(chars) * (run->wide ? 2 : 1));
        if (run->wide) {
            QString s(static_cast<qsizetype>(chars), Qt::Uninitialized);
            for (uint32_t i = 0; i < chars; ++i) s[i] = QChar(char16_t(text[2 * i] | (text[2 * i + 1] << 8)));
            run->text = std::move(s);
        } else {
            run->bytes.assign(reinterpret_cast<const char*>(text.data()), text.size());
        }
        if (offDx != 0 && chars != 0) {
            const uint64_t perChar = (run->options & ETO_PDY) ? 2 : 1;
            const auto dx = p.Slice(offDx, uint64_t(chars) * perChar * 4);
            ByteReader in(dx);
            run->dx.resize(chars);
            for (uint32_t i = 0; i < chars; ++i) {
                in.ReadI32(run->dx[i]);  // within the slice checked above
                if (perChar == 2) in.Skip(4);
            }
        }
        Command& c = Add(Op::Text);
        c.points = {reference};
        c.text = std::move(run);
        break;
    }
    default: break;  // comments (EMF+ included), palettes and records we do not play
    }
}

}  // namespace

std::shared_ptr<const Document> ReadEmf(std::span<const uint8_t> bytes) { return EmfReader(bytes).Read(); }

}  // namespace gfx::metafile

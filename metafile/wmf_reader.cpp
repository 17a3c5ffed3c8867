// Windows metafiles: an optional 22-byte placeable header, the 18-byte metafile
// header, then records of (size in 16-bit words, function, parameters) whose
// parameters come last-argument-first.
#include <cmath>
#include <string>
#include <vector>

#include "metafile/dib_reader.h"
#include "metafile/readers.h"
#include "metafile/record_params.h"

namespace gfx::metafile {

namespace {

enum : uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_CREATEPALETTE = 0x00F7,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETSTRETCHBLTMODE = 0x0107,
    META_RESTOREDC = 0x0127,
    META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_SCALEVIEWPORTEXT = 0x0412,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_DIBSTRETCHBLT = 0x0B41,
    META_SETDIBTODEV = 0x0D33,
    META_STRETCHDIB = 0x0F43,
};

constexpr size_t kPlaceableSize = 22;
constexpr size_t kHeaderSize = 18;

class WmfReader {
public:
    explicit WmfReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    std::shared_ptr<const Document> Read();

private:
    void ReadHeaders();
    void ReadRecord(uint16_t function, RecordParams& p, size_t recordWords);
    Command& Add(Op op) {
        CheckCommandCount(*doc_);
        doc_->commands.push_back(Command{});
        doc_->commands.back().op = op;
        return doc_->commands.back();
    }
    // Object slots are filled lowest free first, as the player will fill them.
    void CreateObject(RecordParams& p, std::shared_ptr<GdiObject> object) {
        for (size_t i = 0; i < slots_.size(); ++i) {
            if (!slots_[i]) {
                slots_[i] = true;
                Command& c = Add(Op::CreateObject);
                c.v[0] = static_cast<int32_t>(i);
                c.object = std::move(object);
                return;
            }
        }
        p.Fail("object table of " + std::to_string(slots_.size()) + " entries is full");
    }
    uint16_t ObjectIndex(RecordParams& p) {
        const uint16_t index = p.U16();
        if (index >= slots_.size())
            p.Fail("object index " + std::to_string(index) + " is out of range (table of " +
                   std::to_string(slots_.size()) + ")");
        return index;
    }
    static QPointF PointYX(RecordParams& p) {
        const int16_t y = p.I16();
        const int16_t x = p.I16();
        return QPointF(x, y);
    }
    static std::vector<QPointF> Points(RecordParams& p, uint64_t count) {
        p.NeedItems(count, 4);
        std::vector<QPointF> points(static_cast<size_t>(count));
        for (QPointF& point : points) {
            const int16_t x = p.I16();
            point = QPointF(x, p.I16());
        }
        return points;
    }
    // bottom, right, top, left
    static void RectBRTL(RecordParams& p, Command& c) {
        c.v[3] = p.I16();
        c.v[2] = p.I16();
        c.v[1] = p.I16();
        c.v[0] = p.I16();
    }
    void Blit(uint32_t rop, QRectF dest, QRectF source, std::span<const uint8_t> dib,
              bool sourceFromBottom, bool paletteIndices, int64_t firstScan = 0, int64_t bandRows = -1);

    std::span<const uint8_t> bytes_;
    std::shared_ptr<Document> doc_ = std::make_shared<Document>();
    std::vector<bool> slots_;
    size_t recordsStart_ = 0;
    bool placeable_ = false;
};

void WmfReader::ReadHeaders() {
    ByteReader in(bytes_);
    uint32_t key = 0;
    in.ReadU32(key);
    in.Seek(0);
    if (key == kPlaceableKey) {
        // key, hmf, bbox left/top/right/bottom, units per inch, reserved, checksum
        RecordParams p(bytes_.first(std::min(bytes_.size(), kPlaceableSize)), 0, 0);
        p.U32();
        p.U16();
        const int16_t left = p.I16(), top = p.I16(), right = p.I16(), bottom = p.I16();
        const uint16_t inch = p.U16();
        if (inch == 0) throw EInvalidGraphic("Metafile: the placeable header gives 0 units per inch");
        placeable_ = true;
        const double w = std::abs(double(right) - left) * 96.0 / inch;
        const double h = std::abs(double(bottom) - top) * 96.0 / inch;
        doc_->width = static_cast<int32_t>(std::lround(w));
        doc_->height = static_cast<int32_t>(std::lround(h));
        doc_->frame = QRectF(0, 0, w, h);
        doc_->windowOrg = QPointF(left, top);
        doc_->windowExt = QPointF(double(right) - left, double(bottom) - top);
        doc_->viewportExt = QPointF(w, h);
        in.Seek(kPlaceableSize);
    }
    const size_t start = in.Position();
    uint16_t type = 0, headerWords = 0, version = 0, objects = 0;
    uint32_t sizeWords = 0;
    if (!in.ReadU16(type) || !in.ReadU16(headerWords) || !in.ReadU16(version) || !in.ReadU32(sizeWords) ||
        !in.ReadU16(objects))
        throw EInvalidGraphic("Metafile: the header is truncated");
    if ((type != 1 && type != 2) || headerWords != kHeaderSize / 2 || (version != 0x0300 && version != 0x0100))
        throw EInvalidGraphic("Metafile: not a Windows metafile header");
    slots_.assign(objects, false);
    doc_->objectCount = objects;
    recordsStart_ = start + kHeaderSize;
    if (recordsStart_ > bytes_.size()) throw EInvalidGraphic("Metafile: the header is truncated");
}

std::shared_ptr<const Document> WmfReader::Read() {
    ReadHeaders();
    doc_->enhanced = false;
    doc_->mapMode = MM_ANISOTROPIC;
    size_t pos = recordsStart_;
    bool sawExtent = false;
    while (pos < bytes_.size()) {
        ByteReader in(bytes_.subspan(pos));
        uint32_t words = 0;
        uint16_t function = 0;
        if (!in.ReadU32(words) || !in.ReadU16(function))
            throw EInvalidGraphic("Metafile: record at offset " + std::to_string(pos) + " is truncated");
        // A record holds at least its own 3-word header; anything less cannot advance.
        if (words < 3)
            throw EInvalidGraphic("Metafile: record at offset " + std::to_string(pos) + " has size " +
                                  std::to_string(words));
        if (words > (bytes_.size() - pos) / 2)
            throw EInvalidGraphic("Metafile: record at offset " + std::to_string(pos) + " of " +
                                  std::to_string(uint64_t(words) * 2) + " bytes runs past the end of the file");
        if (function == META_EOF) break;
        const size_t recordBytes = size_t(words) * 2;
        RecordParams p(bytes_.subspan(pos + 6, recordBytes - 6), function, pos);
        if (function == META_SETWINDOWEXT && !placeable_ && !sawExtent) {
            RecordParams scan(bytes_.subspan(pos + 6, recordBytes - 6), function, pos);
            const QPointF ext = PointYX(scan);
            doc_->windowExt = ext;
            doc_->width = static_cast<int32_t>(std::abs(ext.x()));
            doc_->height = static_cast<int32_t>(std::abs(ext.y()));
            doc_->frame = QRectF(0, 0, doc_->width, doc_->height);
            doc_->viewportExt = QPointF(doc_->width, doc_->height);
            sawExtent = true;
        }
        ReadRecord(function, p, words);
        pos += recordBytes;
    }
    return doc_;
}

void WmfReader::Blit(uint32_t rop, QRectF dest, QRectF source, std::span<const uint8_t> dib,
                     bool sourceFromBottom, bool paletteIndices, int64_t firstScan, int64_t bandRows) {
    auto blit = std::make_shared<ImageBlit>();
    blit->rop = rop;
    blit->dest = dest;
    if (!dib.empty()) {
        blit->image = DecodePackedDib(dib, paletteIndices, bandRows);
        ChargeBitmap(*doc_, blit->image.get());
        if (!blit->image) return;  // a kind we do not play
        // Stretch-DIB sources count rows from the bottom of the bitmap (or of its band).
        if (sourceFromBottom)
            source.moveTop(blit->image->height() - (source.top() - double(firstScan)) - source.height());
        blit->source = source;
    }
    Command& c = Add(blit->image ? Op::Image : Op::PatBlt);
    c.blit = std::move(blit);
}

void WmfReader::ReadRecord(uint16_t function, RecordParams& p, size_t recordWords) {
    switch (function) {
    case META_SETMAPMODE: Add(Op::SetMapMode).v[0] = p.U16(); break;
    case META_SETWINDOWORG:
    case META_SETWINDOWEXT:
    case META_SETVIEWPORTORG:
    case META_SETVIEWPORTEXT:
    case META_OFFSETWINDOWORG:
    case META_OFFSETVIEWPORTORG:
    case META_MOVETO:
    case META_LINETO:
    case META_OFFSETCLIPRGN: {
        const QPointF point = PointYX(p);
        const Op op = function == META_SETWINDOWORG     ? Op::SetWindowOrg
                      : function == META_SETWINDOWEXT   ? Op::SetWindowExt
                      : function == META_SETVIEWPORTORG ? Op::SetViewportOrg
                      : function == META_SETVIEWPORTEXT ? Op::SetViewportExt
                      : function == META_OFFSETWINDOWORG ? Op::OffsetWindowOrg
                      : function == META_OFFSETVIEWPORTORG ? Op::OffsetViewportOrg
                      : function == META_MOVETO         ? Op::MoveTo
                      : function == META_LINETO         ? Op::LineTo
                                                        : Op::OffsetClip;
        Add(op).points = {point};
        break;
    }
    case META_SCALEWINDOWEXT:
    case META_SCALEVIEWPORTEXT: {
        Command c;
        c.op = function == META_SCALEWINDOWEXT ? Op::ScaleWindowExt : Op::ScaleViewportExt;
        c.v[3] = p.I16();  // y denominator
        c.v[2] = p.I16();  // y numerator
        c.v[1] = p.I16();  // x denominator
        c.v[0] = p.I16();  // x numerator
        CheckCommandCount(*doc_);
        doc_->commands.push_back(std::move(c));
        break;
    }
    case META_SAVEDC: Add(Op::SaveDC); break;
    case META_RESTOREDC: Add(Op::RestoreDC).v[0] = p.I16(); break;
    case META_SELECTOBJECT: {
        const uint16_t index = ObjectIndex(p);
        Add(Op::SelectObject).v[0] = index;
        break;
    }
    case META_DELETEOBJECT: {
        const uint16_t index = ObjectIndex(p);
        slots_[index] = false;
        Add(Op::DeleteObject).v[0] = index;
        break;
    }
    case META_CREATEPENINDIRECT: {
        auto pen = std::make_shared<GdiObject>();
        pen->kind = GdiObject::Kind::Pen;
        pen->penStyle = p.U16();
        pen->penWidth = p.I16();
        p.I16();
        pen->color = p.U32();
        CreateObject(p, std::move(pen));
        break;
    }
    case META_CREATEBRUSHINDIRECT: {
        auto brush = std::make_shared<GdiObject>();
        brush->kind = GdiObject::Kind::Brush;
        brush->brushStyle = p.U16();
        brush->color = p.U32();
        brush->hatch = p.U16();
        // Pattern styles need a bitmap this record cannot carry: paint them solid.
        if (brush->brushStyle != 0 && brush->brushStyle != 1 && brush->brushStyle != 2) brush->brushStyle = 0;
        CreateObject(p, std::move(brush));
        break;
    }
    case META_DIBCREATEPATTERNBRUSH: {
        auto brush = std::make_shared<GdiObject>();
        brush->kind = GdiObject::Kind::Brush;
        const uint16_t style = p.U16();
        const uint16_t usage = p.U16();
        brush->brushStyle = 3;
        brush->pattern = DecodePackedDib(p.Take(p.Remaining()), usage == 1 && style != 3);
        ChargeBitmap(*doc_, brush->pattern.get());
        if (!brush->pattern) {
            brush->brushStyle = 0;
            brush->color = 0x808080;
        }
        CreateObject(p, std::move(brush));
        break;
    }
    case META_CREATEPATTERNBRUSH: {
        // Device-dependent patterns are not played: a mid grey stands in for them.
        auto brush = std::make_shared<GdiObject>();
        brush->kind = GdiObject::Kind::Brush;
        brush->color = 0x808080;
        CreateObject(p, std::move(brush));
        break;
    }
    case META_CREATEFONTINDIRECT: {
        auto font = std::make_shared<GdiObject>();
        font->kind = GdiObject::Kind::Font;
        font->height = p.I16();
        font->width = p.I16();
        font->escapement = p.I16();
        p.I16();  // orientation
        font->weight = p.I16();
        font->italic = p.U8() != 0;
        font->underline = p.U8() != 0;
        font->strikeOut = p.U8() != 0;
        font->charSet = p.U8();
        p.Skip(4);  // precision, clip precision, quality, pitch and family
        const auto face = p.Take(std::min<size_t>(32, p.Remaining()));
        size_t length = 0;
        while (length < face.size() && face[length] != 0) ++length;
        font->faceBytes.assign(reinterpret_cast<const char*>(face.data()), length);
        CreateObject(p, std::move(font));
        break;
    }
    case META_CREATEPALETTE:
    case META_CREATEREGION: CreateObject(p, std::make_shared<GdiObject>()); break;
    case META_SETBKMODE: Add(Op::SetBkMode).v[0] = p.U16(); break;
    case META_SETPOLYFILLMODE: Add(Op::SetPolyFillMode).v[0] = p.U16(); break;
    case META_SETSTRETCHBLTMODE: Add(Op::SetStretchMode).v[0] = p.U16(); break;
    case META_SETTEXTALIGN: Add(Op::SetTextAlign).v[0] = p.U16(); break;
    case META_SETBKCOLOR: Add(Op::SetBkColor).v[0] = static_cast<int32_t>(p.U32()); break;
    case META_SETTEXTCOLOR: Add(Op::SetTextColor).v[0] = static_cast<int32_t>(p.U32()); break;
    case META_POLYLINE:
    case META_POLYGON: {
        const int16_t count = p.I16();
        if (count < 0) p.Fail("negative point count");
        auto points = Points(p, uint16_t(count));
        Add(function == META_POLYLINE ? Op::Polyline : Op::Polygon).points = std::move(points);
        break;
    }
    case META_POLYPOLYGON: {
        const uint16_t polygons = p.U16();
        p.NeedItems(polygons, 2);
        std::vector<int32_t> counts(polygons);
        uint64_t total = 0;
        for (int32_t& count : counts) {
            count = p.U16();
            total += uint64_t(count);
        }
        auto points = Points(p, total);
        Command& c = Add(Op::PolyPolygon);
        c.counts = std::move(counts);
        c.points = std::move(points);
        break;
    }
    case META_RECTANGLE:
    case META_ELLIPSE: {
        Command& c = Add(function == META_RECTANGLE ? Op::Rectangle : Op::Ellipse);
        RectBRTL(p, c);
        break;
    }
    case META_ROUNDRECT: {
        const int16_t h = p.I16();
        const int16_t w = p.I16();
        Command c;
        c.op = Op::RoundRect;
        RectBRTL(p, c);
        c.v[4] = w;
        c.v[5] = h;
        CheckCommandCount(*doc_);
        doc_->commands.push_back(std::move(c));
        break;
    }
    case META_ARC:
    case META_PIE:
    case META_CHORD: {
        const QPointF end = PointYX(p);
        const QPointF start = PointYX(p);
        Command c;
        c.op = function == META_ARC ? Op::Arc : function == META_PIE ? Op::Pie : Op::Chord;
        RectBRTL(p, c);
        c.points = {start, end};
        CheckCommandCount(*doc_);
        doc_->commands.push_back(std::move(c));
        break;
    }
    case META_SETPIXEL: {
        const uint32_t color = p.U32();
        const QPointF point = PointYX(p);
        Command& c = Add(Op::SetPixel);
        c.v[0] = static_cast<int32_t>(color);
        c.points = {point};
        break;
    }
    case META_TEXTOUT: {
        const int16_t count = p.I16();
        if (count < 0) p.Fail("negative character count");
        auto run = std::make_shared<TextRun>();
        const auto text = p.Take(uint16_t(count));
        run->bytes.assign(reinterpret_cast<const char*>(text.data()), text.size());
        if (count & 1) p.Skip(1);
        const QPointF point = PointYX(p);
        Command& c = Add(Op::Text);
        c.points = {point};
        c.text = std::move(run);
        break;
    }
    case META_EXTTEXTOUT: {
        const QPointF point = PointYX(p);
        const int16_t count = p.I16();
        if (count < 0) p.Fail("negative character count");
        auto run = std::make_shared<TextRun>();
        run->options = p.U16();
        if (run->options & (ETO_OPAQUE | ETO_CLIPPED)) {
            const int16_t left = p.I16(), top = p.I16(), right = p.I16(), bottom = p.I16();
            run->rect = QRectF(QPointF(left, top), QPointF(right, bottom));
            run->hasRect = true;
        }
        const auto text = p.Take(uint16_t(count));
        run->bytes.assign(reinterpret_cast<const char*>(text.data()), text.size());
        if ((count & 1) && p.Remaining() > 0) p.Skip(1);
        // The advance array is optional: present when the record has room for it.
        if (p.Remaining() >= size_t(count) * 2) {
            run->dx.resize(uint16_t(count));
            for (int32_t& d : run->dx) d = p.I16();
        }
        Command& c = Add(Op::Text);
        c.points = {point};
        c.text = std::move(run);
        break;
    }
    case META_INTERSECTCLIPRECT:
    case META_EXCLUDECLIPRECT: {
        Command& c = Add(function == META_INTERSECTCLIPRECT ? Op::IntersectClip : Op::ExcludeClip);
        RectBRTL(p, c);
        break;
    }
    case META_SELECTCLIPREGION: Add(Op::ResetClip); break;
    case META_PATBLT: {
        const uint32_t rop = p.U32();
        const int16_t h = p.I16(), w = p.I16(), y = p.I16(), x = p.I16();
        Blit(rop, QRectF(x, y, w, h), {}, {}, false, false);
        break;
    }
    case META_DIBBITBLT:
    case META_DIBSTRETCHBLT: {
        const uint32_t rop = p.U32();
        // The form without a bitmap is (function >> 8) + 3 words long and is a pattern blit
        // whose destination is in its last four words.
        if (recordWords == size_t(function >> 8) + 3u) {
            p.Seek(p.Size() - 8);
            const int16_t h = p.I16(), w = p.I16(), y = p.I16(), x = p.I16();
            Blit(rop, QRectF(x, y, w, h), {}, {}, false, false);
            break;
        }
        int16_t srcH = 0, srcW = 0;
        if (function == META_DIBSTRETCHBLT) {
            srcH = p.I16();
            srcW = p.I16();
        }
        const int16_t ySrc = p.I16(), xSrc = p.I16();
        const int16_t h = p.I16(), w = p.I16(), y = p.I16(), x = p.I16();
        if (function == META_DIBBITBLT) {
            srcH = h;
            srcW = w;
        }
        Blit(rop, QRectF(x, y, w, h), QRectF(xSrc, ySrc, srcW, srcH), p.Take(p.Remaining()), false, false);
        break;
    }
    case META_STRETCHDIB: {
        const uint32_t rop = p.U32();
        const uint16_t usage = p.U16();
        const int16_t srcH = p.I16(), srcW = p.I16(), ySrc = p.I16(), xSrc = p.I16();
        const int16_t h = p.I16(), w = p.I16(), y = p.I16(), x = p.I16();
        Blit(rop, QRectF(x, y, w, h), QRectF(xSrc, ySrc, srcW, srcH), p.Take(p.Remaining()), true, usage == 1);
        break;
    }
    case META_SETDIBTODEV: {
        const uint16_t usage = p.U16();
        const uint16_t scans = p.U16();
        const uint16_t firstScan = p.U16();
        const int16_t ySrc = p.I16(), xSrc = p.I16(), h = p.I16(), w = p.I16(), y = p.I16(), x = p.I16();
        Blit(SRCCOPY, QRectF(x, y, w, h), QRectF(xSrc, ySrc, w, h), p.Take(p.Remaining()), true, usage == 1, firstScan,
             scans);
        break;
    }
    default: break;  // escapes, palettes and records we do not play are skipped
    }
}

}  // namespace

std::shared_ptr<const Document> ReadWmf(std::span<const uint8_t> bytes) { return WmfReader(bytes).Read(); }

std::shared_ptr<const Document> ReadMetafile(std::span<const uint8_t> bytes) {
    ByteReader in(bytes);
    uint32_t first = 0;
    in.ReadU32(first);
    // A WMF header starts with its type (1 or 2) and then 9 for its size in words,
    // so a first 32-bit value of exactly 1 can only be an EMF header record.
    if (first == 1) return ReadEmf(bytes);
    return ReadWmf(bytes);
}

}  // namespace gfx::metafile

#include "metafile/player.h"

#include <QGuiApplication>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

#include "metafile/player_text.h"

namespace gfx::metafile {

namespace {

constexpr uint32_t PS_NULL = 5;
constexpr uint32_t BS_NULL = 1;
constexpr uint32_t BS_HATCHED = 2;
constexpr uint32_t BS_PATTERN = 3;
constexpr int32_t AD_CLOCKWISE = 2;
constexpr int32_t kHalftone = 4;
// Deeper SAVEDC nesting than this is not kept; the restores then find nothing.
constexpr size_t kMaxSavedStates = 4096;

QColor ToColor(uint32_t colorRef) { return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF); }

std::shared_ptr<const GdiObject> MakeStock(uint32_t number) {
    auto object = std::make_shared<GdiObject>();
    auto brush = [&](uint32_t color, uint32_t style = 0) {
        object->kind = GdiObject::Kind::Brush;
        object->color = color;
        object->brushStyle = style;
    };
    auto pen = [&](uint32_t color, uint32_t style = 0) {
        object->kind = GdiObject::Kind::Pen;
        object->color = color;
        object->penStyle = style;
        object->cosmetic = true;
    };
    switch (number) {
    case 0: brush(0xFFFFFF); break;
    case 1: brush(0xC0C0C0); break;
    case 2: brush(0x808080); break;
    case 3: brush(0x404040); break;
    case 4: brush(0x000000); break;
    case 5: brush(0, BS_NULL); break;
    case 6: pen(0xFFFFFF); break;
    case 7: pen(0x000000); break;
    case 8: pen(0, PS_NULL); break;
    case 18: brush(0xFFFFFF); break;
    case 19: pen(0x000000); break;
    default: object->kind = GdiObject::Kind::Font; break;  // the stock fonts
    }
    return object;
}

struct DcState {
    int32_t mapMode = MM_TEXT;
    QPointF windowOrg{0, 0}, windowExt{1, 1}, viewportOrg{0, 0}, viewportExt{1, 1};
    QTransform world;
    std::shared_ptr<const GdiObject> pen, brush, font;
    int32_t bkMode = kOpaque;
    uint32_t bkColor = 0xFFFFFF;
    uint32_t textColor = 0;
    uint32_t textAlign = 0;
    int32_t fillMode = kAlternate;
    double miterLimit = 10;
    int32_t arcDirection = 1;
    int32_t stretchMode = 3;  // COLORONCOLOR: nearest pixel; HALFTONE (4) smooths
    QPointF current;
    bool clipped = false;
    QPainterPath clip;  // in painter device coordinates
};

class Player {
public:
    Player(const Document& doc, QPainter& painter, const QRectF& target, const QTransform& toDevice)
        : doc_(doc), painter_(painter), objects_(std::min<size_t>(doc.objectCount, 65536)) {
        const QRectF& frame = doc.frame;
        const double sx = target.width() / frame.width();
        const double sy = target.height() / frame.height();
        devOut_ = QTransform(sx, 0, 0, sy, target.left() - frame.left() * sx, target.top() - frame.top() * sy) *
                  toDevice;
        clipBase_.addPolygon(toDevice.map(QPolygonF(target.normalized())));
        clipBase_.closeSubpath();
        dc_.mapMode = doc.mapMode;
        dc_.windowOrg = doc.windowOrg;
        dc_.windowExt = doc.windowExt;
        dc_.viewportOrg = doc.viewportOrg;
        dc_.viewportExt = doc.viewportExt;
        dc_.pen = MakeStock(7);
        dc_.brush = MakeStock(0);
        dc_.font = MakeStock(13);
        haveFonts_ = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    }

    void Play() {
        UpdateTransform();
        ApplyClip();
        for (const Command& command : doc_.commands) Execute(command);
    }

private:
    QTransform PageToDevice() const {
        double sx = 1, sy = 1;
        const double mmX = doc_.devicePixelsPerMmX, mmY = doc_.devicePixelsPerMmY;
        switch (dc_.mapMode) {
        case MM_LOMETRIC: sx = 0.1 * mmX; sy = -0.1 * mmY; break;
        case MM_HIMETRIC: sx = 0.01 * mmX; sy = -0.01 * mmY; break;
        case MM_LOENGLISH: sx = 0.254 * mmX; sy = -0.254 * mmY; break;
        case MM_HIENGLISH: sx = 0.0254 * mmX; sy = -0.0254 * mmY; break;
        case MM_TWIPS: sx = 25.4 / 1440 * mmX; sy = -25.4 / 1440 * mmY; break;
        case MM_ISOTROPIC:
        case MM_ANISOTROPIC:
            sx = dc_.windowExt.x() != 0 ? dc_.viewportExt.x() / dc_.windowExt.x() : 1;
            sy = dc_.windowExt.y() != 0 ? dc_.viewportExt.y() / dc_.windowExt.y() : 1;
            if (dc_.mapMode == MM_ISOTROPIC) {
                const double m = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(m, sx);
                sy = std::copysign(m, sy);
            }
            break;
        default: break;
        }
        return QTransform(sx, 0, 0, sy, dc_.viewportOrg.x() - dc_.windowOrg.x() * sx,
                          dc_.viewportOrg.y() - dc_.windowOrg.y() * sy);
    }

    void UpdateTransform() {
        logicalToDevice_ = dc_.world * PageToDevice();
        full_ = logicalToDevice_ * devOut_;
        painter_.setTransform(full_);
    }

    void ApplyClip() {
        painter_.setTransform(QTransform());
        painter_.setClipPath(dc_.clipped ? dc_.clip : clipBase_);
        painter_.setTransform(full_);
    }

    void SetClip(const QPainterPath& region, int32_t mode) {
        const QPainterPath current = dc_.clipped ? dc_.clip : clipBase_;
        switch (mode) {
        case 1: dc_.clip = current.intersected(region); break;
        case 2: dc_.clip = current.united(region); break;
        case 3: dc_.clip = current.united(region).subtracted(current.intersected(region)); break;
        case 4: dc_.clip = current.subtracted(region); break;
        default: dc_.clip = region.intersected(clipBase_); break;
        }
        dc_.clipped = true;
        ApplyClip();
    }

    QPainterPath LogicalRectPath(const Command& c) const {
        QPainterPath path;
        path.addRect(QRectF(QPointF(c.v[0], c.v[1]), QPointF(c.v[2], c.v[3])).normalized());
        return full_.map(path);
    }

    QPen MakePen() const {
        const GdiObject& pen = *dc_.pen;
        const uint32_t style = pen.penStyle & 0x0F;
        if (style == PS_NULL) return Qt::NoPen;
        QPen qpen(ToColor(pen.color));
        if (pen.cosmetic || pen.penWidth <= 0) {
            qpen.setWidthF(0);  // one device pixel
        } else {
            // GDI never draws a line thinner than one device pixel.
            const double scale = std::sqrt(std::abs(logicalToDevice_.determinant()));
            double width = pen.penWidth;
            if (scale > 0 && width * scale < 1) width = 1 / scale;
            // A mapping that shrinks everything to nothing leaves no sensible width.
            qpen.setWidthF(std::isfinite(width) ? width : 0);
        }
        switch (style) {
        case 1: qpen.setStyle(Qt::DashLine); break;
        case 2: case 8: qpen.setStyle(Qt::DotLine); break;
        case 3: qpen.setStyle(Qt::DashDotLine); break;
        case 4: qpen.setStyle(Qt::DashDotDotLine); break;
        case 7:
            if (!pen.dashes.empty()) {
                QList<qreal> pattern;
                const double unit = pen.penWidth > 0 ? pen.penWidth : 1;
                for (double d : pen.dashes) pattern.append(std::max(d / unit, 0.01));
                if (pattern.size() % 2) pattern.append(pattern.back());
                qpen.setDashPattern(pattern);
            }
            break;
        default: break;
        }
        switch (pen.penStyle & 0x0F00) {
        case 0x100: qpen.setCapStyle(Qt::SquareCap); break;
        case 0x200: qpen.setCapStyle(Qt::FlatCap); break;
        default: qpen.setCapStyle(Qt::RoundCap); break;
        }
        switch (pen.penStyle & 0xF000) {
        case 0x1000: qpen.setJoinStyle(Qt::BevelJoin); break;
        case 0x2000:
            qpen.setJoinStyle(Qt::MiterJoin);
            qpen.setMiterLimit(dc_.miterLimit);
            break;
        default: qpen.setJoinStyle(Qt::RoundJoin); break;
        }
        return qpen;
    }

    QBrush MakeBrush() const {
        const GdiObject& brush = *dc_.brush;
        if (brush.brushStyle == BS_NULL) return Qt::NoBrush;
        if (brush.brushStyle == BS_HATCHED) {
            static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                          Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
            QBrush qbrush(ToColor(brush.color), brush.hatch < 6 ? kHatches[brush.hatch] : Qt::SolidPattern);
            return qbrush;
        }
        if (brush.brushStyle == BS_PATTERN && brush.pattern) {
            QBrush qbrush(*brush.pattern);
            // Patterns repeat in device pixels, whatever the mapping.
            qbrush.setTransform(full_.inverted());
            return qbrush;
        }
        return QBrush(ToColor(brush.color));
    }

    void PrepareFill() {
        // Hatches leave their gaps in the background colour when the mode is opaque.
        painter_.setBackgroundMode(dc_.bkMode == kOpaque ? Qt::OpaqueMode : Qt::TransparentMode);
        painter_.setBackground(ToColor(dc_.bkColor));
    }

    // Draws a shape given in logical coordinates, or adds it to the open path.
    void Draw(QPainterPath path, bool fill, bool stroke) {
        if (inPath_) {
            path_.addPath(full_.map(path));
            return;
        }
        path.setFillRule(dc_.fillMode == kWinding ? Qt::WindingFill : Qt::OddEvenFill);
        painter_.setTransform(full_);
        painter_.setPen(stroke ? MakePen() : QPen(Qt::NoPen));
        painter_.setBrush(fill ? MakeBrush() : QBrush(Qt::NoBrush));
        PrepareFill();
        painter_.drawPath(path);
    }

    // Continues the current figure (LINETO-like records) from the current position.
    void ContinueFigure(const std::vector<QPointF>& points, bool bezier) {
        if (points.empty()) return;
        if (inPath_) {
            if (path_.elementCount() == 0) path_.moveTo(full_.map(dc_.current));
            AppendTo(path_, points, bezier, full_);
        } else {
            QPainterPath path(dc_.current);
            AppendTo(path, points, bezier, QTransform());
            Draw(path, false, true);
        }
        if (!bezier) dc_.current = points.back();
        else if (points.size() >= 3) dc_.current = points[(points.size() / 3) * 3 - 1];
    }

    static void AppendTo(QPainterPath& path, const std::vector<QPointF>& points, bool bezier, const QTransform& t) {
        if (bezier) {
            for (size_t i = 0; i + 2 < points.size(); i += 3)
                path.cubicTo(t.map(points[i]), t.map(points[i + 1]), t.map(points[i + 2]));
        } else {
            for (const QPointF& point : points) path.lineTo(t.map(point));
        }
    }

    static QPainterPath Figure(const QPointF* points, size_t count, bool close) {
        QPainterPath path;
        if (count == 0) return path;
        path.moveTo(points[0]);
        for (size_t i = 1; i < count; ++i) path.lineTo(points[i]);
        if (close) path.closeSubpath();
        return path;
    }

    void PolyPoly(const Command& c, bool close) {
        QPainterPath path;
        size_t start = 0;
        for (int32_t count : c.counts) {
            path.addPath(Figure(c.points.data() + start, size_t(count), close));
            start += size_t(count);
        }
        Draw(path, close, true);
    }

    // Figures from points tagged move, line or Bezier (three points), any of the
    // latter two possibly closing its figure; it starts at the current position.
    void PolyDraw(const Command& c) {
        constexpr int PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6;
        QPainterPath path(dc_.current);
        QPointF current = dc_.current;
        for (size_t i = 0; i < c.points.size(); ++i) {
            const int type = c.counts[i];
            switch (type & ~PT_CLOSEFIGURE) {
            case PT_MOVETO: path.moveTo(c.points[i]); break;
            case PT_LINETO: path.lineTo(c.points[i]); break;
            case PT_BEZIERTO:
                if (i + 2 >= c.points.size()) return;  // GDI draws nothing for an unfinished curve
                path.cubicTo(c.points[i], c.points[i + 1], c.points[i + 2]);
                i += 2;
                break;
            default: return;  // an unknown type makes GDI refuse the whole call
            }
            current = c.points[i];
            if ((type & PT_CLOSEFIGURE) && (type & ~PT_CLOSEFIGURE) != PT_MOVETO) path.closeSubpath();
        }
        Draw(path, false, true);
        dc_.current = current;
    }

    // Arcs: the ellipse of the box, from the angle of the start point to the angle
    // of the end point, counterclockwise unless the arc direction says otherwise.
    void ArcFamily(const Command& c) {
        const QRectF box = QRectF(QPointF(c.v[0], c.v[1]), QPointF(c.v[2], c.v[3])).normalized();
        if (box.width() <= 0 || box.height() <= 0) return;
        const QPointF center = box.center();
        auto angle = [&](const QPointF& p) {
            return std::atan2(-(p.y() - center.y()) / box.height(), (p.x() - center.x()) / box.width()) * 180 / M_PI;
        };
        const double start = angle(c.points[0]);
        double sweep = angle(c.points[1]) - start;
        bool clockwise = dc_.arcDirection == AD_CLOCKWISE;
        if (logicalToDevice_.determinant() < 0) clockwise = !clockwise;
        if (clockwise) {
            while (sweep >= 0) sweep -= 360;
        } else {
            while (sweep <= 0) sweep += 360;
        }
        QPainterPath path;
        if (c.op == Op::Pie) {
            path.moveTo(center);
            path.arcTo(box, start, sweep);
            path.closeSubpath();
        } else if (c.op == Op::ArcTo) {
            QPainterPath arc;
            arc.arcMoveTo(box, start);
            const QPointF arcStart = arc.currentPosition();
            arc.arcTo(box, start, sweep);
            ContinueFigure({arcStart}, false);
            if (inPath_) {
                path_.addPath(full_.map(arc));  // continues the figure at the arc's start
            } else {
                Draw(arc, false, true);
            }
            dc_.current = arc.currentPosition();
            return;
        } else {
            path.arcMoveTo(box, start);
            path.arcTo(box, start, sweep);
            if (c.op == Op::Chord) path.closeSubpath();
        }
        Draw(path, c.op != Op::Arc, true);
    }

    void Select(uint32_t index) {
        std::shared_ptr<const GdiObject> object;
        if (index & kStockObject) {
            object = MakeStock(index & ~kStockObject);
        } else if (index < objects_.size()) {
            object = objects_[index];
        }
        if (!object) return;  // an empty slot: GDI refuses the selection
        switch (object->kind) {
        case GdiObject::Kind::Pen: dc_.pen = object; break;
        case GdiObject::Kind::Brush: dc_.brush = object; break;
        case GdiObject::Kind::Font: dc_.font = object; break;
        case GdiObject::Kind::Other: break;
        }
    }

    void RestoreState(int32_t which) {
        size_t keep;  // number of saved states left after the restore
        if (which < 0) {
            const size_t back = size_t(-int64_t(which));
            if (back > saved_.size()) return;
            keep = saved_.size() - back;
        } else {
            if (which == 0 || size_t(which) > saved_.size()) return;
            keep = size_t(which) - 1;
        }
        dc_ = saved_[keep];
        saved_.resize(keep);
        UpdateTransform();
        ApplyClip();
    }

    void Blit(const ImageBlit& blit);
    void Text(const Command& c);
    void Execute(const Command& c);

    const Document& doc_;
    QPainter& painter_;
    QTransform devOut_;
    QTransform logicalToDevice_;
    QTransform full_;
    QPainterPath clipBase_;
    DcState dc_;
    std::vector<DcState> saved_;
    std::vector<std::shared_ptr<const GdiObject>> objects_;
    bool inPath_ = false;
    QPainterPath path_;  // painter device coordinates
    bool haveFonts_ = false;
};

void Player::Blit(const ImageBlit& blit) {
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (blit.rop) {
    case SRCAND: mode = QPainter::RasterOp_SourceAndDestination; break;
    case SRCPAINT: mode = QPainter::RasterOp_SourceOrDestination; break;
    case SRCINVERT: case PATINVERT: mode = QPainter::RasterOp_SourceXorDestination; break;
    case NOTSRCCOPY: mode = QPainter::RasterOp_NotSource; break;
    case DSTINVERT: mode = QPainter::RasterOp_NotDestination; break;
    default: break;
    }
    painter_.setCompositionMode(mode);
    if (!blit.image) {
        QBrush brush = MakeBrush();
        if (blit.rop == BLACKNESS) brush = Qt::black;
        if (blit.rop == WHITENESS || blit.rop == DSTINVERT) brush = Qt::white;
        if (!inPath_) {
            painter_.setTransform(full_);
            painter_.fillRect(blit.dest.normalized(), brush);
        }
    } else {
        const QImage& image = *blit.image;
        const QRectF source = blit.source.normalized();
        const QRectF visible = source.intersected(QRectF(image.rect()));
        if (!visible.isEmpty() && source.width() > 0 && source.height() > 0) {
            // Source pixels map linearly onto the destination; a reversed source or
            // destination mirrors.
            double sx = blit.dest.width() / source.width();
            double sy = blit.dest.height() / source.height();
            double ox = blit.dest.left(), oy = blit.dest.top();
            if (blit.source.width() < 0) { sx = -sx; ox = blit.dest.right(); }
            if (blit.source.height() < 0) { sy = -sy; oy = blit.dest.bottom(); }
            const QTransform toLogical(sx, 0, 0, sy, ox - source.left() * sx, oy - source.top() * sy);
            painter_.setTransform(toLogical * full_);
            painter_.setOpacity(blit.opacity);
            painter_.setRenderHint(QPainter::SmoothPixmapTransform, dc_.stretchMode == kHalftone);
            painter_.drawImage(visible, image, visible);
            painter_.setOpacity(1);
        }
    }
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.setTransform(full_);
}

void Player::Text(const Command& c) {
    if (!haveFonts_) return;
    TextSettings settings;
    settings.toOutput = full_;
    settings.logicalToDevice = logicalToDevice_;
    settings.defaultEm = 16 * std::hypot(devOut_.m21(), devOut_.m22());
    settings.bkMode = dc_.bkMode;
    settings.bkColor = ToColor(dc_.bkColor);
    settings.textColor = ToColor(dc_.textColor);
    settings.textAlign = dc_.textAlign;
    const QPointF reference = (dc_.textAlign & TA_UPDATECP) ? dc_.current : c.points[0];
    const QPointF after = DrawTextRun(painter_, *c.text, *dc_.font, reference, settings);
    if (dc_.textAlign & TA_UPDATECP) dc_.current = after;
}

void Player::Execute(const Command& c) {
    switch (c.op) {
    case Op::SetMapMode:
        if (c.v[0] >= MM_TEXT && c.v[0] <= MM_ANISOTROPIC) dc_.mapMode = c.v[0];
        UpdateTransform();
        break;
    case Op::SetWindowOrg: dc_.windowOrg = c.points[0]; UpdateTransform(); break;
    case Op::SetViewportOrg: dc_.viewportOrg = c.points[0]; UpdateTransform(); break;
    case Op::OffsetWindowOrg: dc_.windowOrg += c.points[0]; UpdateTransform(); break;
    case Op::OffsetViewportOrg: dc_.viewportOrg += c.points[0]; UpdateTransform(); break;
    case Op::SetWindowExt:
    case Op::SetViewportExt:
        // Extents of zero are refused, as GDI refuses them.
        if (c.points[0].x() != 0 && c.points[0].y() != 0) {
            (c.op == Op::SetWindowExt ? dc_.windowExt : dc_.viewportExt) = c.points[0];
            UpdateTransform();
        }
        break;
    case Op::ScaleWindowExt:
    case Op::ScaleViewportExt: {
        if (c.v[1] == 0 || c.v[3] == 0) break;
        QPointF& ext = c.op == Op::ScaleWindowExt ? dc_.windowExt : dc_.viewportExt;
        const QPointF scaled(ext.x() * c.v[0] / c.v[1], ext.y() * c.v[2] / c.v[3]);
        if (scaled.x() != 0 && scaled.y() != 0) ext = scaled;
        UpdateTransform();
        break;
    }
    case Op::SetWorldTransform:
    case Op::ModifyWorldTransform: {
        const QTransform x(c.f[0], c.f[1], c.f[2], c.f[3], c.f[4], c.f[5]);
        if (c.op == Op::SetWorldTransform || c.v[0] == 4) dc_.world = x;
        else if (c.v[0] == 1) dc_.world = QTransform();
        else if (c.v[0] == 2) dc_.world = x * dc_.world;
        else if (c.v[0] == 3) dc_.world = dc_.world * x;
        UpdateTransform();
        break;
    }
    case Op::SaveDC:
        if (saved_.size() < kMaxSavedStates) saved_.push_back(dc_);
        break;
    case Op::RestoreDC: RestoreState(c.v[0]); break;
    case Op::CreateObject:
        if (size_t(c.v[0]) < objects_.size()) objects_[size_t(c.v[0])] = c.object;
        break;
    case Op::SelectObject: Select(static_cast<uint32_t>(c.v[0])); break;
    case Op::DeleteObject:
        if (size_t(c.v[0]) < objects_.size()) objects_[size_t(c.v[0])].reset();
        break;
    case Op::SetBkMode: dc_.bkMode = c.v[0]; break;
    case Op::SetBkColor: dc_.bkColor = static_cast<uint32_t>(c.v[0]); break;
    case Op::SetTextColor: dc_.textColor = static_cast<uint32_t>(c.v[0]); break;
    case Op::SetTextAlign: dc_.textAlign = static_cast<uint32_t>(c.v[0]); break;
    case Op::SetPolyFillMode: dc_.fillMode = c.v[0]; break;
    case Op::SetMiterLimit: dc_.miterLimit = std::clamp(c.v[0], 1, 100); break;
    case Op::SetArcDirection: dc_.arcDirection = c.v[0]; break;
    case Op::SetStretchMode: dc_.stretchMode = c.v[0]; break;
    case Op::MoveTo:
        dc_.current = c.points[0];
        if (inPath_) path_.moveTo(full_.map(c.points[0]));
        break;
    case Op::LineTo: ContinueFigure(c.points, false); break;
    case Op::PolylineTo: ContinueFigure(c.points, false); break;
    case Op::PolyBezierTo: ContinueFigure(c.points, true); break;
    case Op::Polyline: Draw(Figure(c.points.data(), c.points.size(), false), false, true); break;
    case Op::Polygon: Draw(Figure(c.points.data(), c.points.size(), true), true, true); break;
    case Op::PolyBezier: {
        if (c.points.empty()) break;
        QPainterPath path(c.points[0]);
        AppendTo(path, std::vector<QPointF>(c.points.begin() + 1, c.points.end()), true, QTransform());
        Draw(path, false, true);
        break;
    }
    case Op::PolyDraw: PolyDraw(c); break;
    case Op::PolyPolyline: PolyPoly(c, false); break;
    case Op::PolyPolygon: PolyPoly(c, true); break;
    case Op::Rectangle:
    case Op::Ellipse:
    case Op::RoundRect: {
        const QRectF box = QRectF(QPointF(c.v[0], c.v[1]), QPointF(c.v[2], c.v[3])).normalized();
        QPainterPath path;
        if (c.op == Op::Rectangle) path.addRect(box);
        else if (c.op == Op::Ellipse) path.addEllipse(box);
        else path.addRoundedRect(box, std::abs(c.v[4]) / 2.0, std::abs(c.v[5]) / 2.0);
        Draw(path, true, true);
        break;
    }
    case Op::Arc: case Op::Chord: case Op::Pie: case Op::ArcTo: ArcFamily(c); break;
    case Op::AngleArc: {
        const QPointF center = c.points[0];
        const double r = c.f[0];
        const QRectF box(center.x() - r, center.y() - r, 2 * r, 2 * r);
        QPainterPath arc;
        arc.arcMoveTo(box, c.f[1]);
        ContinueFigure({arc.currentPosition()}, false);
        arc.arcTo(box, c.f[1], c.f[2]);
        if (inPath_) path_.addPath(full_.map(arc));
        else Draw(arc, false, true);
        dc_.current = arc.currentPosition();
        break;
    }
    case Op::SetPixel:
        if (!inPath_) {
            painter_.setTransform(devOut_);
            const QPointF device = logicalToDevice_.map(c.points[0]);
            painter_.fillRect(QRectF(std::floor(device.x()), std::floor(device.y()), 1, 1), ToColor(uint32_t(c.v[0])));
            painter_.setTransform(full_);
        }
        break;
    case Op::Text: Text(c); break;
    case Op::Image:
    case Op::PatBlt: Blit(*c.blit); break;
    case Op::IntersectClip: SetClip(LogicalRectPath(c), 1); break;
    case Op::ExcludeClip: SetClip(LogicalRectPath(c), 4); break;
    case Op::ResetClip:
        dc_.clipped = false;
        ApplyClip();
        break;
    case Op::OffsetClip:
        if (dc_.clipped) {
            dc_.clip.translate(full_.map(c.points[0]) - full_.map(QPointF(0, 0)));
            ApplyClip();
        }
        break;
    case Op::ClipRegion: {
        // Region rectangles are in device units.
        QPainterPath region;
        for (size_t i = 0; i + 1 < c.points.size(); i += 2) {
            QPainterPath rect;
            rect.addRect(QRectF(c.points[i], c.points[i + 1]).normalized());
            region.addPath(devOut_.map(rect));
        }
        region.setFillRule(Qt::WindingFill);
        SetClip(region.simplified(), c.v[0]);
        break;
    }
    case Op::BeginPath:
        inPath_ = true;
        path_ = QPainterPath();
        break;
    case Op::EndPath: inPath_ = false; break;
    case Op::CloseFigure:
        if (inPath_) path_.closeSubpath();
        break;
    case Op::AbortPath:
        inPath_ = false;
        path_ = QPainterPath();
        break;
    case Op::FillPath:
    case Op::StrokePath:
    case Op::StrokeAndFillPath: {
        if (inPath_) break;
        bool invertible = false;
        const QTransform back = full_.inverted(&invertible);
        if (invertible)
            Draw(back.map(path_), c.op != Op::StrokePath, c.op != Op::FillPath);
        path_ = QPainterPath();
        break;
    }
    case Op::SelectClipPath:
        if (inPath_) break;
        path_.setFillRule(dc_.fillMode == kWinding ? Qt::WindingFill : Qt::OddEvenFill);
        SetClip(path_, c.v[0]);
        path_ = QPainterPath();
        break;
    }
}

}  // namespace

void PlayDocument(const Document& document, QPainter& painter, const QRectF& target, const QTransform& toDevice) {
    if (document.frame.width() == 0 || document.frame.height() == 0 || target.width() == 0 || target.height() == 0)
        return;
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    Player(document, painter, target, toDevice).Play();
    painter.restore();
}

}  // namespace gfx::metafile

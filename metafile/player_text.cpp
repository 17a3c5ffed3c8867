#include "metafile/player_text.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <vector>

#include "metafile/text_codec.h"

namespace gfx::metafile {

namespace {

// Text larger than this many pixels is not drawn: no font engine copes with it.
constexpr double kMaxFontPixels = 8192;

}  // namespace

QPointF DrawTextRun(QPainter& painter, const TextRun& run, const GdiObject& fontObject, const QPointF& reference,
                    const TextSettings& settings) {
    if (run.options & ETO_GLYPH_INDEX) return reference;  // glyph numbers of a font we do not have

    // One piece per character with its advance from the file, when it gives them.
    struct Piece {
        QString text;
        double advance = 0;
    };
    std::vector<Piece> pieces;
    const bool hasDx = !run.dx.empty();
    if (run.wide) {
        for (qsizetype i = 0; i < run.text.size(); ++i) {
            Piece piece;
            const qsizetype units = run.text[i].isHighSurrogate() && i + 1 < run.text.size() ? 2 : 1;
            piece.text = run.text.mid(i, units);
            for (qsizetype k = 0; k < units && hasDx; ++k)
                if (size_t(i + k) < run.dx.size()) piece.advance += run.dx[size_t(i + k)];
            i += units - 1;
            pieces.push_back(std::move(piece));
        }
    } else {
        size_t byte = 0;
        for (DecodedChar& ch : DecodeCharsetText(run.bytes, fontObject.charSet)) {
            Piece piece;
            piece.text = std::move(ch.text);
            for (int k = 0; k < ch.bytes && hasDx; ++k)
                if (byte + size_t(k) < run.dx.size()) piece.advance += run.dx[byte + size_t(k)];
            byte += size_t(ch.bytes);
            pieces.push_back(std::move(piece));
        }
    }

    // Local text space: one unit is one pixel of the painter's device, y points down
    // on the upright glyphs, the origin is the reference point.
    const double sx = std::hypot(settings.toOutput.m11(), settings.toOutput.m12());
    const double sy = std::hypot(settings.toOutput.m21(), settings.toOutput.m22());
    if (!(sx > 0) || !(sy > 0)) return reference;
    const bool flip = settings.logicalToDevice.determinant() < 0;

    QFont font(fontObject.faceName.isEmpty() && !fontObject.faceBytes.empty()
                   ? DecodeCharsetString(fontObject.faceBytes, fontObject.charSet)
                   : fontObject.faceName);
    if (font.family().isEmpty()) font.setFamily(QStringLiteral("sans-serif"));
    double em;
    if (fontObject.height < 0) {
        em = -double(fontObject.height) * sy;
    } else if (fontObject.height > 0) {
        // A positive height is the cell height: ascent plus descent.
        QFont probe(font);
        probe.setPixelSize(100);
        const QFontMetricsF metrics(probe);
        em = fontObject.height * sy * 100 / std::max(1.0, metrics.ascent() + metrics.descent());
    } else {
        em = settings.defaultEm;
    }
    if (!(em < kMaxFontPixels)) return reference;
    font.setPixelSize(std::max(1, int(std::lround(em))));
    font.setWeight(fontObject.weight <= 0 ? QFont::Normal : QFont::Weight(std::clamp(fontObject.weight, 100, 900)));
    font.setItalic(fontObject.italic);
    font.setUnderline(fontObject.underline);
    font.setStrikeOut(fontObject.strikeOut);
    const QFontMetricsF metrics(font);

    double total = 0;
    for (Piece& piece : pieces) {
        piece.advance = hasDx ? piece.advance * sx : metrics.horizontalAdvance(piece.text);
        total += piece.advance;
    }
    const uint32_t align = settings.textAlign;
    double x0 = 0;
    if ((align & TA_CENTER) == TA_CENTER) x0 = -total / 2;
    else if (align & TA_RIGHT) x0 = -total;
    double baseline = metrics.ascent();
    if ((align & TA_BASELINE) == TA_BASELINE) baseline = 0;
    else if (align & TA_BOTTOM) baseline = -metrics.descent();

    const QTransform toLogical = QTransform().rotate(-fontObject.escapement / 10.0) *
                                 QTransform::fromScale(1 / sx, (flip ? -1 : 1) / sy) *
                                 QTransform::fromTranslate(reference.x(), reference.y());
    const QTransform local = toLogical * settings.toOutput;

    painter.save();
    if (run.hasRect && (run.options & ETO_OPAQUE)) {
        painter.setTransform(settings.toOutput);
        painter.fillRect(run.rect.normalized(), settings.bkColor);
    }
    if (run.hasRect && (run.options & ETO_CLIPPED)) {
        painter.setTransform(settings.toOutput);
        painter.setClipRect(run.rect.normalized(), Qt::IntersectClip);
    }
    painter.setTransform(local);
    if (settings.bkMode == kOpaque && !(run.hasRect && (run.options & ETO_OPAQUE)))
        painter.fillRect(QRectF(x0, baseline - metrics.ascent(), total, metrics.ascent() + metrics.descent()),
                          settings.bkColor);
    painter.setFont(font);
    painter.setPen(settings.textColor);
    if (!hasDx) {
        QString text;
        for (const Piece& piece : pieces) text += piece.text;
        painter.drawText(QPointF(x0, baseline), text);
    } else {
        double x = x0;
        for (const Piece& piece : pieces) {
            painter.drawText(QPointF(x, baseline), piece.text);
            x += piece.advance;
        }
    }
    painter.restore();

    // The current position follows the text, except for centred text.
    if (!(align & TA_UPDATECP) || (align & TA_CENTER) == TA_CENTER) return reference;
    return toLogical.map(QPointF((align & TA_RIGHT) ? x0 : x0 + total, 0));
}

}  // namespace gfx::metafile

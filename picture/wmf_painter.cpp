// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/wmf_painter.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainterPath>
#include <QtEndian>
#include <cmath>
#include <vector>

namespace vardesca::wmf {

namespace {

// A metafile that takes longer than this to play is taken for a damaged one.
constexpr qint64 kPlayTimeLimitMs = 20000;

Device& Dev(wmfAPI* api) {
    return *static_cast<Device*>(api->device_data);
}

const QImage* Bitmap(wmfAPI* api, const void* data) {
    return data != nullptr && Dev(api).bitmaps.count(data) ? static_cast<const QImage*>(data)
                                                           : nullptr;
}

QColor Colour(const wmfRGB& c) {
    return QColor(c.r, c.g, c.b);
}
QPointF Pt(const wmfD_Coord& c) {
    return {c.x, c.y};
}

QPen PenOf(const wmfDC* dc) {
    const wmfPen* pen = dc->pen;
    const unsigned style = pen->lopnStyle & PS_STYLE_MASK;
    if (style == PS_NULL) {
        return Qt::NoPen;
    }
    QPen qpen(Colour(pen->lopnColor));
    qpen.setWidthF(std::max(0.0, std::fabs(pen->width)));
    switch (style) {
        case PS_DASH:
            qpen.setStyle(Qt::DashLine);
            break;
        case PS_DOT:
        case PS_ALTERNATE:
            qpen.setStyle(Qt::DotLine);
            break;
        case PS_DASHDOT:
            qpen.setStyle(Qt::DashDotLine);
            break;
        case PS_DASHDOTDOT:
            qpen.setStyle(Qt::DashDotDotLine);
            break;
        default:
            qpen.setStyle(Qt::SolidLine);
    }
    return qpen;
}

QBrush BrushOf(wmfAPI* api, const wmfDC* dc) {
    const wmfBrush* brush = dc->brush;
    switch (brush->lbStyle) {
        case BS_NULL:
            return Qt::NoBrush;
        case BS_HATCHED: {
            static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                     Qt::FDiagPattern, Qt::BDiagPattern,
                                                     Qt::CrossPattern, Qt::DiagCrossPattern};
            const Qt::BrushStyle s =
                brush->lbHatch < 6 ? hatches[brush->lbHatch] : Qt::SolidPattern;
            return QBrush(Colour(brush->lbColor), s);
        }
        case BS_PATTERN:
        case BS_DIBPATTERN:
        case BS_DIBPATTERNPT:
        case BS_DIBPATTERN8X8:
        case BS_PATTERN8X8:
            if (const QImage* pattern = Bitmap(api, brush->bmp.data)) {
                return QBrush(*pattern);
            }
            return QBrush(Colour(brush->lbColor));
        default:
            return QBrush(Colour(brush->lbColor));
    }
}

void Prepare(wmfAPI* api, const wmfDC* dc, bool fill) {
    QPainter& p = *Dev(api).painter;
    p.setPen(PenOf(dc));
    p.setBrush(fill ? BrushOf(api, dc) : QBrush(Qt::NoBrush));
    p.setBackgroundMode(dc->bgmode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    p.setBackground(Colour(dc->bgcolor));
}

Qt::FillRule FillRule(const wmfDC* dc) {
    return dc->polyfillmode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
}

// Angle in degrees, Qt's way (counter-clockwise on screen), of a point on the
// ellipse inscribed in `box`.
double AngleOf(const QRectF& box, const QPointF& p) {
    const double rx = box.width() / 2;
    const double ry = box.height() / 2;
    if (rx == 0 || ry == 0)
        return 0;
    const QPointF c = box.center();
    return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180.0 / M_PI;
}

enum class ArcKind { Open, Chord, Pie };

void DrawArc(wmfAPI* api, wmfDrawArc_t* arc, ArcKind kind) {
    const QRectF box = QRectF(Pt(arc->TL), Pt(arc->BR)).normalized();
    Prepare(api, arc->dc, kind != ArcKind::Open);
    QPainter& p = *Dev(api).painter;
    if (arc->start.x == arc->end.x && arc->start.y == arc->end.y) {
        if (kind == ArcKind::Open) {
            p.drawArc(box, 0, 360 * 16);
        } else {
            p.drawEllipse(box);
        }
        return;
    }
    // From start to end, clockwise on the screen.
    const double a1 = AngleOf(box, Pt(arc->start));
    double sweep = AngleOf(box, Pt(arc->end)) - a1;
    if (sweep >= 0)
        sweep -= 360;
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(box.center());
    } else {
        path.arcMoveTo(box, a1);
    }
    path.arcTo(box, a1, sweep);
    if (kind != ArcKind::Open)
        path.closeSubpath();
    p.drawPath(path);
}

// --- the device callbacks ---------------------------------------------------

void DeviceNoop(wmfAPI*) {}

void DeviceBegin(wmfAPI* api) {
    QPainter& p = *Dev(api).painter;
    p.save();
    p.resetTransform();
    p.fillRect(QRect(QPoint(0, 0),
                     p.device() ? QSize(p.device()->width(), p.device()->height()) : QSize()),
               Qt::white);
    p.restore();
}

void FloodNoop(wmfAPI*, wmfFlood_t*) {}

void DrawPixel(wmfAPI* api, wmfDrawPixel_t* px) {
    Dev(api).painter->fillRect(
        QRectF(px->pt.x, px->pt.y, std::fabs(px->pixel_width), std::fabs(px->pixel_height)),
        Colour(px->color));
}

void DrawPie(wmfAPI* api, wmfDrawArc_t* arc) {
    DrawArc(api, arc, ArcKind::Pie);
}
void DrawChord(wmfAPI* api, wmfDrawArc_t* arc) {
    DrawArc(api, arc, ArcKind::Chord);
}
void DrawOpenArc(wmfAPI* api, wmfDrawArc_t* arc) {
    DrawArc(api, arc, ArcKind::Open);
}

void DrawEllipse(wmfAPI* api, wmfDrawArc_t* arc) {
    Prepare(api, arc->dc, true);
    Dev(api).painter->drawEllipse(QRectF(Pt(arc->TL), Pt(arc->BR)).normalized());
}

void DrawLine(wmfAPI* api, wmfDrawLine_t* line) {
    Prepare(api, line->dc, false);
    Dev(api).painter->drawLine(Pt(line->from), Pt(line->to));
}

QPolygonF Polygon(const wmfD_Coord* pts, unsigned count) {
    QPolygonF poly;
    poly.reserve(count);
    for (unsigned i = 0; i < count; ++i)
        poly << Pt(pts[i]);
    return poly;
}

void PolyLine(wmfAPI* api, wmfPolyLine_t* line) {
    if (line->count < 2 || line->pt == nullptr)
        return;
    Prepare(api, line->dc, false);
    Dev(api).painter->drawPolyline(Polygon(line->pt, line->count));
}

void DrawPolygon(wmfAPI* api, wmfPolyLine_t* line) {
    if (line->count < 2 || line->pt == nullptr)
        return;
    Prepare(api, line->dc, true);
    Dev(api).painter->drawPolygon(Polygon(line->pt, line->count), FillRule(line->dc));
}

void DrawPolyPolygon(wmfAPI* api, wmfPolyPoly_t* poly) {
    if (poly->pt == nullptr || poly->count == nullptr)
        return;
    QPainterPath path;
    path.setFillRule(FillRule(poly->dc));
    for (unsigned i = 0; i < poly->npoly; ++i) {
        if (poly->pt[i] != nullptr && poly->count[i] > 1) {
            path.addPolygon(Polygon(poly->pt[i], poly->count[i]));
            path.closeSubpath();
        }
    }
    Prepare(api, poly->dc, true);
    Dev(api).painter->drawPath(path);
}

void DrawRectangle(wmfAPI* api, wmfDrawRectangle_t* rect) {
    Prepare(api, rect->dc, true);
    const QRectF r = QRectF(Pt(rect->TL), Pt(rect->BR)).normalized();
    if (rect->width > 0 || rect->height > 0) {
        Dev(api).painter->drawRoundedRect(r, rect->width / 2, rect->height / 2);
    } else {
        Dev(api).painter->drawRect(r);
    }
}

void RopDraw(wmfAPI* api, wmfROP_Draw_t* rop) {
    const QRectF r = QRectF(Pt(rop->TL), Pt(rop->BR)).normalized();
    QPainter& p = *Dev(api).painter;
    switch (rop->ROP) {
        case 0x00000042:  // BLACKNESS
            p.fillRect(r, Qt::black);
            break;
        case 0x00FF0062:  // WHITENESS
            p.fillRect(r, Qt::white);
            break;
        case 0x00F00021:  // PATCOPY
            p.fillRect(r, BrushOf(api, rop->dc));
            break;
        default:
            break;
    }
}

// A device-independent bitmap as the player hands it over, without the file
// header that a BMP file has: give it one and let Qt's BMP reader decode it.
void BmpRead(wmfAPI* api, wmfBMP_Read_t* read) {
    read->bmp.data = nullptr;
    read->bmp.width = 0;
    read->bmp.height = 0;
    if (read->buffer == nullptr || read->length < 16)
        return;
    const auto* dib = read->buffer;
    const auto length = static_cast<quint32>(read->length);
    const quint32 headerSize = qFromLittleEndian<quint32>(dib);
    if (headerSize < 12 || headerSize > length)
        return;
    quint32 colours = 0;
    quint32 masks = 0;
    if (headerSize == 12) {  // OS/2 core header
        const quint16 bits = qFromLittleEndian<quint16>(dib + 10);
        colours = bits <= 8 ? (1u << bits) * 3 : 0;
    } else {
        if (headerSize < 40)
            return;
        const quint16 bits = qFromLittleEndian<quint16>(dib + 14);
        const quint32 compression = qFromLittleEndian<quint32>(dib + 16);
        quint32 used = qFromLittleEndian<quint32>(dib + 32);
        if (used == 0 && bits <= 8)
            used = 1u << bits;
        if (used > 256 && bits <= 8)
            used = 256;
        colours = used * 4;
        if (headerSize == 40 && compression == 3)
            masks = 12;  // BI_BITFIELDS
    }
    const quint32 offset = 14 + headerSize + masks + colours;
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian<quint32>(14 + length, file.data() + 2);
    qToLittleEndian<quint32>(offset, file.data() + 10);
    file.append(reinterpret_cast<const char*>(dib), static_cast<qsizetype>(length));

    QBuffer buffer(&file);
    QImageReader reader(&buffer, "bmp");
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > Dev(api).maxBitmapPixels) {
        return;
    }
    auto image = std::make_unique<QImage>();
    if (!reader.read(image.get()) || image->isNull())
        return;
    if (image->width() > 0xFFFF || image->height() > 0xFFFF)
        return;
    read->bmp.width = static_cast<U16>(image->width());
    read->bmp.height = static_cast<U16>(image->height());
    read->bmp.data = image.release();
    Dev(api).bitmaps.insert(read->bmp.data);
}

void BmpFree(wmfAPI* api, wmfBMP* bmp) {
    if (Dev(api).bitmaps.erase(bmp->data) > 0) {
        delete static_cast<QImage*>(bmp->data);
    }
    bmp->data = nullptr;
}

void BmpDraw(wmfAPI* api, wmfBMP_Draw_t* draw) {
    if (draw->bmp.data == nullptr)
        return;
    const QImage& image = *static_cast<const QImage*>(draw->bmp.data);
    // A bottom-up bitmap counts its source rows from the bottom.
    const QRect source(draw->crop.x, image.height() - draw->crop.y - draw->crop.h, draw->crop.w,
                       draw->crop.h);
    const double w = draw->pixel_width * draw->crop.w;
    const double h = draw->pixel_height * draw->crop.h;
    QRectF target(draw->pt.x, draw->pt.y, std::fabs(w), std::fabs(h));
    QImage piece = image.copy(source).mirrored(w < 0, h < 0);
    // Nearest neighbour: bitmap pixels stay sharp.
    Dev(api).painter->drawImage(target, piece);
}

QFont FontOf(const wmfDC* dc, double height) {
    QFont font(QString::fromLatin1(dc->font->lfFaceName ? dc->font->lfFaceName : "Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(std::fabs(height)))));
    font.setItalic(dc->font->lfItalic != 0);
    font.setUnderline(dc->font->lfUnderline != 0);
    font.setStrikeOut(dc->font->lfStrikeOut != 0);
    if (dc->font->lfWeight >= 600)
        font.setBold(true);
    return font;
}

void DrawText(wmfAPI* api, wmfDrawText_t* text) {
    if (text->str == nullptr || text->dc->font == nullptr)
        return;
    QPainter& p = *Dev(api).painter;
    p.save();
    p.setFont(FontOf(text->dc, text->font_height));
    p.setPen(Colour(text->dc->textcolor));
    p.translate(Pt(text->pt));
    p.rotate(-text->dc->font->lfEscapement / 10.0);
    p.drawText(QPointF(0, 0), QString::fromLatin1(text->str));
    p.restore();
}

void UdataNoop(wmfAPI*, wmfUserData_t*) {}

void RegionPaint(wmfAPI* api, wmfPolyRectangle_t* rects) {
    if (rects->TL == nullptr || rects->BR == nullptr)
        return;
    const QBrush brush = BrushOf(api, rects->dc);
    for (unsigned i = 0; i < rects->count; ++i) {
        Dev(api).painter->fillRect(QRectF(Pt(rects->TL[i]), Pt(rects->BR[i])).normalized(), brush);
    }
}

void RegionFrame(wmfAPI* api, wmfPolyRectangle_t* rects) {
    if (rects->TL == nullptr || rects->BR == nullptr)
        return;
    QPainter& p = *Dev(api).painter;
    p.setPen(QPen(BrushOf(api, rects->dc), std::max(rects->width, rects->height)));
    p.setBrush(Qt::NoBrush);
    for (unsigned i = 0; i < rects->count; ++i) {
        p.drawRect(QRectF(Pt(rects->TL[i]), Pt(rects->BR[i])).normalized());
    }
}

void RegionClip(wmfAPI* api, wmfPolyRectangle_t* rects) {
    QPainter& p = *Dev(api).painter;
    if (rects->count == 0 || rects->TL == nullptr || rects->BR == nullptr) {
        p.setClipping(false);
        return;
    }
    QPainterPath clip;
    for (unsigned i = 0; i < rects->count; ++i) {
        clip.addRect(QRectF(Pt(rects->TL[i]), Pt(rects->BR[i])).normalized());
    }
    p.setClipPath(clip);
}

// Fonts: the player asks how wide a string is, in units of the font height.
void FontMap(wmfAPI*, wmfFont*) {}

float StringWidth(wmfAPI*, wmfFont* font, char* str) {
    if (str == nullptr)
        return 0;
    QFont qfont(QString::fromLatin1(font && font->lfFaceName ? font->lfFaceName : "Sans"));
    qfont.setPixelSize(100);
    return static_cast<float>(QFontMetricsF(qfont).horizontalAdvance(QString::fromLatin1(str)) /
                              100.0);
}

}  // namespace

void SetUp(wmfAPI* api) {
    auto* fr = static_cast<wmfFunctionReference*>(wmf_malloc(api, sizeof(wmfFunctionReference)));
    auto* fonts = static_cast<wmfFontData*>(wmf_malloc(api, sizeof(wmfFontData)));
    if (fr == nullptr || fonts == nullptr)
        return;
    *fr = {};
    fr->device_open = DeviceNoop;
    fr->device_close = DeviceNoop;
    fr->device_begin = DeviceBegin;
    fr->device_end = DeviceNoop;
    fr->flood_interior = FloodNoop;
    fr->flood_exterior = FloodNoop;
    fr->draw_pixel = DrawPixel;
    fr->draw_pie = DrawPie;
    fr->draw_chord = DrawChord;
    fr->draw_arc = DrawOpenArc;
    fr->draw_ellipse = DrawEllipse;
    fr->draw_line = DrawLine;
    fr->poly_line = PolyLine;
    fr->draw_polygon = DrawPolygon;
    fr->draw_polypolygon = DrawPolyPolygon;
    fr->draw_rectangle = DrawRectangle;
    fr->rop_draw = RopDraw;
    fr->bmp_draw = BmpDraw;
    fr->bmp_read = BmpRead;
    fr->bmp_free = BmpFree;
    fr->draw_text = DrawText;
    fr->udata_init = UdataNoop;
    fr->udata_copy = UdataNoop;
    fr->udata_set = UdataNoop;
    fr->udata_free = UdataNoop;
    fr->region_frame = RegionFrame;
    fr->region_paint = RegionPaint;
    fr->region_clip = RegionClip;
    api->function_reference = fr;
    fonts->map = FontMap;
    fonts->stringwidth = StringWidth;
    fonts->user_data = nullptr;
    api->font_data = fonts;
}

// Called by the player as it goes; a non-zero answer stops it.
int Status(void* context, float) {
    const auto* device = static_cast<const Device*>(context);
    return device->clock.elapsed() > kPlayTimeLimitMs ? 1 : 0;
}

}  // namespace vardesca::wmf

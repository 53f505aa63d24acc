#include "platform/DC.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace {

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

int Round(double v)
{
    return static_cast<int>(std::lround(std::clamp(v, -1e9, 1e9)));
}

} // namespace

CBrush CBrush::Hollow()
{
    CBrush b;
    b.m_hollow = true;
    return b;
}

CBrush CBrush::Hatched(COLORREF colour)
{
    CBrush b(colour);
    b.m_hatched = true;
    return b;
}

CDC::CDC(QImage* image, const QRegion& clip)
    : m_image(image), m_clip(clip), m_pen(&m_defaultPen), m_brush(&m_defaultBrush), m_font(&m_defaultFont)
{
    m_painter = std::make_unique<QPainter>(image);
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_visible = m_clip.isEmpty() ? QRegion(m_image->rect()) : m_clip;
    if (!m_clip.isEmpty())
        m_painter->setClipRegion(m_clip);
}

CDC::~CDC() = default;

int CDC::SetMapMode(int mode)
{
    int previous = m_mapMode;
    m_mapMode = mode;
    UpdateMapping();
    return previous;
}

CSize CDC::SetWindowExt(int cx, int cy)
{
    CSize previous = m_windowExt;
    m_windowExt = {cx, cy};
    UpdateMapping();
    return previous;
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    CPoint previous = m_windowOrg;
    m_windowOrg = {x, y};
    return previous;
}

CSize CDC::SetViewportExt(int cx, int cy)
{
    CSize previous = m_viewportExt;
    m_viewportExt = {cx, cy};
    UpdateMapping();
    return previous;
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    CPoint previous = m_viewportOrg;
    m_viewportOrg = {x, y};
    return previous;
}

double CDC::Scale() const
{
    return std::fabs(m_kx);
}

void CDC::UpdateMapping()
{
    if (m_mapMode != MM_ISOTROPIC || m_windowExt.cx == 0 || m_windowExt.cy == 0) {
        m_kx = m_ky = 1;
        return;
    }
    const double rx = double(m_viewportExt.cx) / m_windowExt.cx, ry = double(m_viewportExt.cy) / m_windowExt.cy;
    const double k = std::min(std::fabs(rx), std::fabs(ry));
    m_kx = rx < 0 ? -k : k;
    m_ky = ry < 0 ? -k : k;
}

void CDC::SetWorldTransform(const XFORM& xform)
{
    m_world = xform;
    m_worldIdentity = xform.eM11 == 1 && xform.eM22 == 1 && xform.eDx == 0 && xform.eDy == 0;
}

QPoint CDC::ToDevice(int x, int y) const
{
    // The identity gives back x and y exactly, so an untransformed picture is what it always was.
    const double px = x * m_world.eM11 + m_world.eDx, py = y * m_world.eM22 + m_world.eDy;
    return QPoint(Round((px - m_windowOrg.x) * m_kx) + m_viewportOrg.x,
                  Round((py - m_windowOrg.y) * m_ky) + m_viewportOrg.y);
}

void CDC::LPtoDP(CPoint* points, int count) const
{
    for (int i = 0; i < count; ++i) {
        QPoint d = ToDevice(points[i].x, points[i].y);
        points[i] = {d.x(), d.y()};
    }
}

void CDC::DPtoLP(CPoint* points, int count) const
{
    for (int i = 0; i < count; ++i) {
        if (m_worldIdentity) {
            points[i] = {Round((points[i].x - m_viewportOrg.x) / m_kx) + m_windowOrg.x,
                         Round((points[i].y - m_viewportOrg.y) / m_ky) + m_windowOrg.y};
            continue;
        }
        const double px = (points[i].x - m_viewportOrg.x) / m_kx + m_windowOrg.x;
        const double py = (points[i].y - m_viewportOrg.y) / m_ky + m_windowOrg.y;
        points[i] = {Round((px - m_world.eDx) / m_world.eM11), Round((py - m_world.eDy) / m_world.eM22)};
    }
}

void CDC::LPtoDP(CRect* rect) const
{
    CPoint p[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    LPtoDP(p, 2);
    *rect = {p[0].x, p[0].y, p[1].x, p[1].y};
}

void CDC::DPtoLP(CRect* rect) const
{
    CPoint p[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    DPtoLP(p, 2);
    *rect = {p[0].x, p[0].y, p[1].x, p[1].y};
}

QRect CDC::DeviceRect(const CRect& rect) const
{
    QPoint a = ToDevice(rect.left, rect.top), b = ToDevice(rect.right, rect.bottom);
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
}

CPen* CDC::SelectObject(CPen* pen)
{
    CPen* previous = m_pen;
    m_pen = pen;
    return previous;
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    CBrush* previous = m_brush;
    m_brush = brush;
    return previous;
}

CFont* CDC::SelectObject(CFont* font)
{
    CFont* previous = m_font;
    m_font = font;
    return previous;
}

void CDC::SelectStockObject(int object, CPen** previousPen, CBrush** previousBrush)
{
    switch (object) {
    case NULL_PEN:
    case BLACK_PEN: {
        CPen* p = SelectObject(object == NULL_PEN ? &m_nullPen : &m_blackPen);
        if (previousPen)
            *previousPen = p;
        break;
    }
    default: {
        CBrush* b = SelectObject(object == NULL_BRUSH     ? &m_nullBrush
                                 : object == LTGRAY_BRUSH ? &m_lightGreyBrush
                                                          : &m_whiteBrush);
        if (previousBrush)
            *previousBrush = b;
        break;
    }
    }
}

int CDC::SetROP2(int mode)
{
    int previous = m_rop;
    m_rop = mode;
    return previous;
}

unsigned CDC::SetTextAlign(unsigned align)
{
    unsigned previous = m_textAlign;
    m_textAlign = align;
    return previous;
}

int CDC::SetBkMode(int mode)
{
    int previous = m_bkMode;
    m_bkMode = mode;
    return previous;
}

void CDC::ApplyPen()
{
    if (m_applied.rop != m_rop) {
        m_painter->setCompositionMode(m_rop == R2_NOTXORPEN ? QPainter::RasterOp_NotSourceXorDestination
                                                            : QPainter::CompositionMode_SourceOver);
        m_applied.rop = m_rop;
    }
    // Width 0 is one pixel; a logical width becomes pixels, at least one.
    const int width = m_pen->m_width <= 0 ? 1 : std::max(1, Round(m_pen->m_width * Scale()));
    if (m_applied.style == m_pen->m_style && m_applied.width == width && m_applied.colour == m_pen->m_colour)
        return;
    m_applied.style = m_pen->m_style;
    m_applied.width = width;
    m_applied.colour = m_pen->m_colour;
    if (m_pen->m_style == PS_NULL) {
        m_painter->setPen(Qt::NoPen);
        return;
    }
    QPen pen(ToQColor(m_pen->m_colour));
    pen.setWidth(width);
    if (width > 1) {
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    } else {
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
    }
    if (m_pen->m_style == PS_DASH)
        pen.setDashPattern({18.0 / width, 6.0 / width});
    else if (m_pen->m_style == PS_DOT)
        pen.setDashPattern({3.0 / width, 3.0 / width});
    m_painter->setPen(pen);
}

void CDC::ApplyBrush()
{
    if (m_applied.brushSet && m_applied.hollow == m_brush->m_hollow && m_applied.hatched == m_brush->m_hatched &&
        (m_brush->m_hollow || m_applied.fill == m_brush->m_colour))
        return;
    m_applied.brushSet = true;
    m_applied.hollow = m_brush->m_hollow;
    m_applied.hatched = m_brush->m_hatched;
    m_applied.fill = m_brush->m_colour;
    if (m_brush->m_hollow)
        m_painter->setBrush(Qt::NoBrush);
    else
        m_painter->setBrush(
            QBrush(ToQColor(m_brush->m_colour), m_brush->m_hatched ? Qt::BDiagPattern : Qt::SolidPattern));
}

void CDC::Touch(const QRect& r)
{
    const int margin = m_pen->m_style == PS_NULL ? 1 : std::max(1, Round(m_pen->m_width * Scale())) + 1;
    m_dirty |= r.adjusted(-margin, -margin, margin, margin);
}

void CDC::Rectangle(const CRect& rect)
{
    QRect r = DeviceRect(rect);
    ApplyPen();
    ApplyBrush();
    // One pixel in from the right and the bottom: the outline covers left..right-1.
    m_painter->drawRect(QRect(r.left(), r.top(), std::max(0, r.width() - 1), std::max(0, r.height() - 1)));
    Touch(r);
}

void CDC::PolyRectangle(const CRect* rects, int count)
{
    if (count <= 0)
        return;
    ApplyPen();
    ApplyBrush();
    QRect bounds;
    // Kept between calls: a discretized model draws thousands of small runs of cells.
    m_deviceRects.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const QRect r = DeviceRect(rects[i]);
        m_deviceRects[static_cast<size_t>(i)] =
            QRect(r.left(), r.top(), std::max(0, r.width() - 1), std::max(0, r.height() - 1));
        bounds |= r;
    }
    m_painter->drawRects(m_deviceRects.data(), count);
    Touch(bounds);
}

void CDC::Ellipse(const CRect& rect)
{
    QRect r = DeviceRect(rect);
    ApplyPen();
    ApplyBrush();
    m_painter->drawEllipse(QRect(r.left(), r.top(), std::max(0, r.width() - 1), std::max(0, r.height() - 1)));
    Touch(r);
}

void CDC::Polygon(const CPoint* points, int count)
{
    QPolygon polygon;
    for (int i = 0; i < count; ++i)
        polygon << ToDevice(points[i].x, points[i].y);
    ApplyPen();
    ApplyBrush();
    m_painter->drawPolygon(polygon, Qt::OddEvenFill);
    Touch(polygon.boundingRect());
}

void CDC::Polyline(const CPoint* points, int count)
{
    if (count < 1)
        return;
    MoveTo(points[0].x, points[0].y);
    for (int i = 1; i < count; ++i)
        LineTo(points[i].x, points[i].y);
}

void CDC::MoveTo(int x, int y)
{
    m_current = {x, y};
    if (m_inPath)
        m_path.moveTo(ToDevice(x, y));
}

void CDC::LineTo(int x, int y)
{
    if (m_inPath) {
        m_path.lineTo(ToDevice(x, y));
    } else {
        QPoint a = ToDevice(m_current.x, m_current.y), b = ToDevice(x, y);
        ApplyPen();
        m_painter->drawLine(a, b);
        Touch(QRect(a, b).normalized());
    }
    m_current = {x, y};
}

void CDC::FillRect(const CRect& rect, const CBrush* brush)
{
    if (!brush || brush->m_hollow)
        return;
    QRect r = DeviceRect(rect);
    if (m_applied.rop != R2_COPYPEN) {
        m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
        m_applied.rop = R2_COPYPEN;
    }
    m_painter->fillRect(r, ToQColor(brush->m_colour));
    m_dirty |= r;
}

void CDC::FillSolidRect(const CRect& rect, COLORREF colour)
{
    CBrush brush(colour);
    FillRect(rect, &brush);
}

QFont CDC::SelectedFont() const
{
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, Round(m_font->m_height * Scale())));
    return font;
}

const QFontMetrics& CDC::SelectedFontMetrics() const
{
    const QFont font = SelectedFont();
    if (!m_metrics || m_metricsPixels != font.pixelSize()) {
        m_metrics = std::make_unique<QFontMetrics>(font);
        m_metricsPixels = font.pixelSize();
    }
    return *m_metrics;
}

CSize CDC::GetTextExtent(const std::string& text) const
{
    const QFontMetrics& metrics = SelectedFontMetrics();
    const double k = Scale();
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(QString::fromStdString(text)) / k)),
            static_cast<int>(std::ceil(metrics.height() / k))};
}

void CDC::TextOut(int x, int y, const std::string& text)
{
    const QFont font = SelectedFont();
    m_painter->setFont(font);
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter->setPen(Qt::black); // text is always black here
    m_applied.rop = R2_COPYPEN;
    m_applied.style = -1; // the text colour replaced the pen
    const QString s = QString::fromStdString(text);
    const QFontMetrics& metrics = SelectedFontMetrics();
    // Aligned about the reference point in the text's own direction, which the escapement turns.
    QTransform turn = QTransform::fromTranslate(ToDevice(x, y).x(), ToDevice(x, y).y());
    turn.rotate(-m_font->m_escapement / 10.0);
    const int width = metrics.horizontalAdvance(s);
    int left = 0;
    if ((m_textAlign & TA_CENTER) == TA_CENTER)
        left -= width / 2;
    else if (m_textAlign & TA_RIGHT)
        left -= width;
    const int baseline = (m_textAlign & TA_BASELINE) == TA_BASELINE ? 0 : metrics.ascent();
    m_painter->setWorldTransform(turn);
    m_painter->drawText(QPoint(left, baseline), s);
    m_painter->resetTransform();
    m_dirty |= turn.mapRect(QRect(left, baseline - metrics.ascent(), width, metrics.height()));
}

void CDC::BeginPath()
{
    m_inPath = true;
    m_path = QPainterPath();
}

void CDC::EndPath()
{
    m_inPath = false;
    m_path.closeSubpath();
}

void CDC::FillPath()
{
    if (m_brush->m_hollow)
        return;
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_applied.rop = R2_COPYPEN;
    m_path.setFillRule(Qt::OddEvenFill);
    m_painter->fillPath(m_path, ToQColor(m_brush->m_colour));
    m_dirty |= m_path.boundingRect().toAlignedRect();
    m_path = QPainterPath();
}

void CDC::ApplyClip()
{
    const QRegion own = m_clip.isEmpty() ? QRegion(m_image->rect()) : m_clip;
    m_visible = m_narrowed ? own & m_narrowing : own;
    if (m_narrowed)
        m_painter->setClipRegion(m_visible);
    else if (!m_clip.isEmpty())
        m_painter->setClipRegion(m_clip);
    else
        m_painter->setClipping(false);
}

void CDC::IntersectClipRect(const CRect& rect)
{
    const QRegion narrowing(DeviceRect(rect));
    m_narrowing = m_narrowed ? m_narrowing & narrowing : narrowing;
    m_narrowed = true;
    ApplyClip();
}

void CDC::ResetClip()
{
    m_narrowed = false;
    m_narrowing = QRegion();
    ApplyClip();
}

CRect CDC::GetClipBox() const
{
    QRect r = m_visible.boundingRect();
    CRect box{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    DPtoLP(&box);
    return box;
}

bool CDC::RectVisible(const CRect& rect) const
{
    QRect r = DeviceRect(rect);
    if (r.isEmpty())
        r.setSize(QSize(std::max(1, r.width()), std::max(1, r.height())));
    return m_visible.intersects(r);
}

#include "platform/View.h"

QImage* CClientDC::Buffer(CView* view)
{
    view->EnsureBuffer();
    return &view->m_buffer;
}

CClientDC::CClientDC(CView* view) : CDC(Buffer(view)), m_view(view)
{
    view->OnPrepareDC(this);
}

CClientDC::~CClientDC()
{
    m_view->update(m_dirty);
}

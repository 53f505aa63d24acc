#pragma once

#include "platform/Colour.h"
#include "platform/Geometry.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <memory>
#include <string>
#include <vector>

// Mapping modes, raster modes, text alignment and background modes of the drawing context.
enum : int { MM_TEXT = 1, MM_ISOTROPIC = 7 };
enum : int { R2_NOTXORPEN = 10, R2_COPYPEN = 13 };
enum : unsigned { TA_LEFT = 0, TA_TOP = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_BASELINE = 24 };
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int { PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_NULL = 5 };
enum : int { WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, NULL_BRUSH = 5, BLACK_PEN = 7, NULL_PEN = 8 };

struct CSize {
    int cx = 0;
    int cy = 0;
};

// A world transform that scales and shifts each axis on its own (no rotation or shear):
// page = world * eM11 + eDx across, world * eM22 + eDy down. The default is the identity.
struct XFORM {
    double eM11 = 1;
    double eM22 = 1;
    double eDx = 0;
    double eDy = 0;
};

// A pen: style, width in logical units (0: one pixel whatever the mapping) and colour.
class CPen {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF colour) : m_style(style), m_width(width), m_colour(colour) {}
    int m_style = PS_SOLID;
    int m_width = 0;
    COLORREF m_colour = RGB(0, 0, 0);
};

// A solid brush, the hollow one that fills nothing, or one of diagonal lines that leaves what
// lies between them.
class CBrush {
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) : m_colour(colour), m_hollow(false) {}
    static CBrush Hollow();
    static CBrush Hatched(COLORREF colour);
    COLORREF m_colour = RGB(255, 255, 255);
    bool m_hollow = false;
    bool m_hatched = false;
};

// A font whose height is given in logical units.
class CFont {
public:
    CFont() = default;
    // Height in logical units, a Swiss (sans-serif) face of variable pitch; an escapement of 900
    // (tenths of a degree) turns its texts to read from the bottom up.
    explicit CFont(int height, int escapement = 0) : m_height(height), m_escapement(escapement) {}
    int m_height = 0;
    int m_escapement = 0;
};

// A drawing context on an image, with the isotropic mapping from logical units to pixels and
// the pens, brushes, fonts and raster modes of the Windows GDI. Coordinates are mapped here, so
// that pixels land where the mapping formula puts them and an inverted shape drawn twice
// restores the picture exactly.
class CDC {
public:
    // Draws on image, limited to clip (device pixels); an empty clip means the whole image.
    CDC(QImage* image, const QRegion& clip = QRegion());
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Mapping: device = (logical - window origin) * k + viewport origin, with k the smaller
    // ratio of viewport to window extent in the isotropic mode and 1 in the text mode.
    int SetMapMode(int mode);
    CSize SetWindowExt(int cx, int cy);
    CPoint SetWindowOrg(int x, int y);
    CSize SetViewportExt(int cx, int cy);
    CPoint SetViewportOrg(int x, int y);
    CSize GetWindowExt() const { return m_windowExt; }
    // Logical units are world units, taken to the page by the world transform; pen widths and
    // font heights stay in page units, so that a magnified world keeps thin lines thin.
    void SetWorldTransform(const XFORM& xform);
    void LPtoDP(CPoint* points, int count = 1) const;
    void DPtoLP(CPoint* points, int count = 1) const;
    void LPtoDP(CRect* rect) const;
    void DPtoLP(CRect* rect) const;
    double Scale() const;

    // Objects: each selection gives back the one it replaced.
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    // NULL_PEN, BLACK_PEN, NULL_BRUSH, WHITE_BRUSH or LTGRAY_BRUSH; gives back the pen or the brush
    // it replaced (the other stays null).
    void SelectStockObject(int object, CPen** previousPen = nullptr, CBrush** previousBrush = nullptr);
    CBrush* GetCurrentBrush() const { return m_brush; }

    int SetROP2(int mode);
    unsigned SetTextAlign(unsigned align);
    int SetBkMode(int mode);

    // Shapes, in logical units. Rectangle and Ellipse cover left..right-1 and top..bottom-1.
    void Rectangle(const CRect& rect);
    void Ellipse(const CRect& rect);
    void Polygon(const CPoint* points, int count);
    // Many rectangles with the same pen and brush, in one go.
    void PolyRectangle(const CRect* rects, int count);
    void Polyline(const CPoint* points, int count);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void FillRect(const CRect& rect, const CBrush* brush);
    void FillSolidRect(const CRect& rect, COLORREF colour);
    void TextOut(int x, int y, const std::string& text);

    // A path recorded by MoveTo and LineTo between BeginPath and EndPath, filled without outline.
    void BeginPath();
    void EndPath();
    void FillPath();

    // The size of a text in the selected font, in page units.
    CSize GetTextExtent(const std::string& text) const;

    // Narrows drawing to a logical rectangle (left..right-1, top..bottom-1) within the area
    // being drawn; ResetClip widens it back to that area.
    void IntersectClipRect(const CRect& rect);
    void ResetClip();

    // The area being drawn, in logical units, and whether a logical rectangle touches it.
    CRect GetClipBox() const;
    bool RectVisible(const CRect& rect) const;

protected:
    // The bounds of the device pixels drawn so far, for a client context to show.
    QRect m_dirty;

private:
    QPoint ToDevice(int x, int y) const;
    QRect DeviceRect(const CRect& rect) const;
    void UpdateMapping();
    // Hands the selected pen, brush and raster mode to the painter when they changed.
    void ApplyPen();
    void ApplyBrush();
    void Touch(const QRect& r);
    QFont SelectedFont() const;
    const QFontMetrics& SelectedFontMetrics() const;
    // Works out the area drawing may touch and hands it to the painter.
    void ApplyClip();

    QImage* m_image;
    QRegion m_clip;
    bool m_narrowed = false;
    QRegion m_narrowing;
    QRegion m_visible; // in device pixels: the context's own clip and the narrowing
    XFORM m_world;
    mutable std::unique_ptr<QFontMetrics> m_metrics; // of the selected font, made on first use
    mutable int m_metricsPixels = 0;
    std::vector<QRect> m_deviceRects;
    bool m_worldIdentity = true;
    std::unique_ptr<QPainter> m_painter;
    int m_mapMode = MM_TEXT;
    CSize m_windowExt{1, 1};
    CPoint m_windowOrg;
    CSize m_viewportExt{1, 1};
    CPoint m_viewportOrg;
    CPen m_defaultPen;
    CBrush m_defaultBrush;
    CFont m_defaultFont;
    CPen* m_pen;
    CBrush* m_brush;
    CFont* m_font;
    CPen m_nullPen{PS_NULL, 0, RGB(0, 0, 0)};
    CPen m_blackPen;
    CBrush m_nullBrush = CBrush::Hollow();
    CBrush m_whiteBrush{RGB(255, 255, 255)};
    CBrush m_lightGreyBrush{RGB(192, 192, 192)};
    int m_rop = R2_COPYPEN;
    unsigned m_textAlign = TA_LEFT | TA_TOP;
    int m_bkMode = OPAQUE;
    CPoint m_current;
    bool m_inPath = false;
    QPainterPath m_path;
    // The mapping's signed factors, kept up to date by the Set functions.
    double m_kx = 1;
    double m_ky = 1;
    // What the painter holds now, so that a long run of shapes sets it up once.
    struct Applied {
        int rop = -1;
        int style = -1;
        int width = -1;
        COLORREF colour = 0;
        bool hollow = false;
        bool hatched = false;
        COLORREF fill = 0;
        bool brushSet = false;
    } m_applied;
};

class CView;

// A context on a view outside a paint: draws into the view's back buffer and shows what it
// drew when it goes. The view's mapping is prepared.
class CClientDC : public CDC {
public:
    explicit CClientDC(CView* view);
    ~CClientDC() override;

private:
    static QImage* Buffer(CView* view);
    CView* m_view;
};

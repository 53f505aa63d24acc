#pragma once

#include "draw/Canvas.h"
#include "platform/DC.h"

// The view's device context as a canvas for the drawing library, in the page's units with a
// font of height page units; it selects a thin black pen and the font while it lives.
class CDCCanvas : public CCanvas {
public:
    CDCCanvas(CDC& dc, int height);
    ~CDCCanvas() override;
    CDCCanvas(const CDCCanvas&) = delete;
    CDCCanvas& operator=(const CDCCanvas&) = delete;

    double TextWidth(const std::string& text) const override { return m_dc.GetTextExtent(text).cx; }
    void Line(QPointF from, QPointF to) override;
    void Fill(const QRectF& rect, COLORREF colour) override;
    void Text(QPointF anchor, unsigned align, const std::string& text, bool upward = false) override;

private:
    CDC& m_dc;
    CFont m_font;
    CFont m_upward;
    CPen m_pen;
    CFont* m_oldFont;
    CPen* m_oldPen;
};

#include "view/DCCanvas.h"

#include "platform/Numbers.h"

namespace {

int TextLineHeight(CDC& dc, int height)
{
    CFont font(height);
    CFont* old = dc.SelectObject(&font);
    const int lineHeight = dc.GetTextExtent("0").cy;
    dc.SelectObject(old);
    return lineHeight;
}

} // namespace

CDCCanvas::CDCCanvas(CDC& dc, int height)
    : CCanvas(height, TextLineHeight(dc, height), 1 / dc.Scale()), m_dc(dc), m_font(height), m_upward(height, 900),
      m_pen(PS_SOLID, 0, RGB(0, 0, 0)), m_oldFont(dc.SelectObject(&m_font)), m_oldPen(dc.SelectObject(&m_pen))
{
}

CDCCanvas::~CDCCanvas()
{
    m_dc.SelectObject(m_oldFont);
    m_dc.SelectObject(m_oldPen);
}

void CDCCanvas::Line(QPointF from, QPointF to)
{
    m_dc.MoveTo(RoundToInt(from.x()), RoundToInt(from.y()));
    m_dc.LineTo(RoundToInt(to.x()), RoundToInt(to.y()));
}

void CDCCanvas::Fill(const QRectF& rect, COLORREF colour)
{
    m_dc.FillSolidRect(
        {RoundToInt(rect.left()), RoundToInt(rect.top()), RoundToInt(rect.right()), RoundToInt(rect.bottom())}, colour);
}

void CDCCanvas::Text(QPointF anchor, unsigned align, const std::string& text, bool upward)
{
    // The context aligns across the text only; down it, the text's top goes to the reference
    // point, which moves against the text's own downward direction (to the right when upward).
    const unsigned across = align & 3, down = align & 12;
    m_dc.SetTextAlign(TA_TOP | (across == centre ? TA_CENTER : across == right ? TA_RIGHT : TA_LEFT));
    const double drop = down == middle ? LineHeight() / 2.0 : down == bottom ? LineHeight() : 0;
    m_dc.SelectObject(upward ? &m_upward : &m_font);
    const QPointF at = upward ? anchor - QPointF(drop, 0) : anchor - QPointF(0, drop);
    m_dc.TextOut(RoundToInt(at.x()), RoundToInt(at.y()), text);
    m_dc.SelectObject(&m_font);
}

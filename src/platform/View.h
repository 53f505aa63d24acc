#pragma once

#include "platform/CmdTarget.h"
#include "platform/Geometry.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <vector>

class CDC;
class CDocument;
class CFrameWnd;
struct MenuPopup;

// Key-state flags of the mouse messages.
constexpr unsigned MK_LBUTTON = 0x0001;
// Virtual-key codes of the key messages.
constexpr unsigned VK_ESCAPE = 0x1B;

// A window that shows a document. Commands the view does not handle go on to its document.
// It paints into a back buffer: a paint redraws only what was invalidated and then shows the
// buffer, and a client context draws into the same buffer, so that shapes inverted outside a
// paint stay consistent with it.
class CView : public QWidget, public CCmdTarget {
public:
    explicit CView(QWidget* parent = nullptr);
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    CFrameWnd* GetParentFrame() const;

    // Called once the document was created or opened; the framework's version calls OnUpdate.
    virtual void OnInitialUpdate();
    // The document changed; the framework's version repaints the whole view.
    virtual void OnUpdate(CView* sender, long hint, void* hintObject);

    bool OnCmdMsg(unsigned id, CmdCode code, CCmdUI* ui) override;

    // Marks device rectangles to be redrawn, or not.
    void Invalidate(bool erase = true);
    void InvalidateRect(const CRect& deviceRect, bool erase = true);
    void ValidateRect(const CRect& deviceRect);
    CRect GetClientRect() const;

    // Redraws what is invalid into the back buffer now.
    void UpdateWindow();
    const QImage& GetBackBuffer() const { return m_buffer; }

    // Sets up the logical mapping of a context before drawing or converting with it.
    virtual void OnPrepareDC(CDC* pDC);

    // Shows a context menu at a screen position and sends the chosen command to this view
    // (which passes it on as any command). Items of disabledIds are greyed. Returns the command
    // chosen, 0 for none.
    unsigned TrackPopupMenu(const MenuPopup& popup, CPoint screen, const std::vector<unsigned>& disabledIds);

    // Mouse messages: key-state flags and the pointer in client pixels; the context menu's
    // position in screen pixels.
    virtual void OnLButtonDown(unsigned flags, CPoint point);
    virtual void OnLButtonUp(unsigned flags, CPoint point);
    virtual void OnLButtonDblClk(unsigned flags, CPoint point);
    virtual void OnMouseMove(unsigned flags, CPoint point);
    virtual void OnContextMenu(CPoint screen);
    // A key pressed while the view has the focus; only Escape is passed on.
    virtual void OnKeyDown(unsigned key);

protected:
    virtual void OnDraw(CDC* pDC);
    // Fills the area being redrawn with the context's brush (white); true when done.
    virtual bool OnEraseBkgnd(CDC* pDC);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class CDocument;
    friend class CClientDC;
    // A buffer of the window's size; a new one is all to be redrawn.
    void EnsureBuffer();

    CDocument* m_pDocument = nullptr;
    QImage m_buffer;
    QRegion m_invalid;
};

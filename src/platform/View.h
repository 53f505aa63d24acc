#pragma once

#include "platform/CmdTarget.h"

#include <QWidget>

class CDocument;
class CFrameWnd;
class QPainter;

// A window that shows a document. Commands the view does not handle go on to its document.
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

protected:
    virtual void OnDraw(QPainter& painter);
    void paintEvent(QPaintEvent* event) override;

private:
    friend class CDocument;
    CDocument* m_pDocument = nullptr;
};

#include "view/SectomatView.h"

#include "model/SectomatDoc.h"

CSectomatView::CSectomatView(QWidget* parent) : CView(parent) {}

CSectomatDoc* CSectomatView::GetDocument() const
{
    return static_cast<CSectomatDoc*>(CView::GetDocument());
}

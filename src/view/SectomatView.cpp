#include "view/SectomatView.h"

#include "app/Resource.h"
#include "forward/ForwardRun.h"
#include "model/SectomatDoc.h"

CSectomatView::CSectomatView(QWidget* parent) : CView(parent)
{
    MapCommand(ID_VIEW_DATA, &CSectomatView::OnViewData);
    MapUpdate(ID_VIEW_DATA, &CSectomatView::OnUpdateViewData);
    MapCommand(ID_VIEW_MODEL, &CSectomatView::OnViewModel);
    MapUpdate(ID_VIEW_MODEL, &CSectomatView::OnUpdateViewModel);
}

CSectomatDoc* CSectomatView::GetDocument() const
{
    return static_cast<CSectomatDoc*>(CView::GetDocument());
}

void CSectomatView::OnUpdate(CView* sender, long hint, void* hintObject)
{
    CView::OnUpdate(sender, hint, hintObject);
    if (GetDocument() && GetDocument()->m_bDiscretized)
        OnViewModel();
}

void CSectomatView::OnViewData()
{
    LaunchProgram(DataViewerCommandLine(*GetDocument(), m_bDCModel));
}

void CSectomatView::OnUpdateViewData(CCmdUI* ui)
{
    const CSectomatDoc* doc = GetDocument();
    ui->Enable(!doc->IsModified() && doc->m_bForwardDone && (m_bDCModel || doc->m_fwdType != 0));
}

void CSectomatView::OnViewModel()
{
    LaunchProgram(ModelViewerCommandLine(*GetDocument(), m_bDCModel));
}

void CSectomatView::OnUpdateViewModel(CCmdUI* ui)
{
    const CSectomatDoc* doc = GetDocument();
    ui->Enable(!doc->IsModified() && doc->m_bDiscretized && (m_bDCModel || doc->m_fwdType != 0));
}

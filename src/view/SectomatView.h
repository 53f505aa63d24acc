#pragma once

#include "platform/View.h"

class CSectomatDoc;

// The window in which the vertical section is drawn and edited.
class CSectomatView : public CView {
public:
    explicit CSectomatView(QWidget* parent = nullptr);

    CSectomatDoc* GetDocument() const;

    // Re-fits the view to the document; after a successful discretization it also opens the
    // model viewer on the new files.
    void OnUpdate(CView* sender, long hint, void* hintObject) override;

    // View > Data and View > Model: the external viewers on the results of the model shown.
    void OnViewData();
    void OnUpdateViewData(CCmdUI* ui);
    void OnViewModel();
    void OnUpdateViewModel(CCmdUI* ui);

    bool m_bDCModel = true; // the DC model is shown and edited, otherwise the IP model
};

#pragma once

#include "platform/View.h"

class CSectomatDoc;

// The window in which the vertical section is drawn and edited.
class CSectomatView : public CView {
public:
    explicit CSectomatView(QWidget* parent = nullptr);

    CSectomatDoc* GetDocument() const;
};

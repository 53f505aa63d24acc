#pragma once

#include "platform/Dialog.h"

// Asks for the vertical exaggeration of the section: how many times depths are stretched
// against distances.
class CExaggerationDlg : public CDialog {
public:
    CExaggerationDlg();

    double m_exaggeration = 1;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};

enum : int {
    IDC_EXAGGERATION = 1000,
};

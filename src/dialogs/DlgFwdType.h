#pragma once

#include "platform/Dialog.h"

// What the forward-modelling program is to compute: 0 DC, 1 DC and IP, 2 DC and IPL.
class CDlgFwdType : public CDialog {
public:
    CDlgFwdType();

    int m_fwdType = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

enum : int { IDC_FWD_DC = 1017, IDC_FWD_DC_IP = 1018, IDC_FWD_DC_IPL = 1019 };

#pragma once

#include "model/ModelData.h"
#include "platform/Dialog.h"

// What the forward-modelling program is to compute, DC, DC and IP, or DC and IPL, how accurate
// its data are to be, and whether it computes the sensitivities too.
class CDlgFwdType : public CDialog {
public:
    CDlgFwdType();

    EForwardType m_fwdType = EForwardType::dc;
    double m_accuracyPercent = kDefaultAccuracyPercent; // 0: off
    bool m_sensitivities = false;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

enum : int {
    IDC_FWD_DC = 1017,
    IDC_FWD_DC_IP = 1018,
    IDC_FWD_DC_IPL = 1019,
    IDC_FWD_ACCURACY = 1020,
    IDC_FWD_SENSITIVITY = 1021
};

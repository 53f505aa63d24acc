#pragma once

#include "platform/Dialog.h"

// Asks for the frame of a model: the core area's x extent, its top and depth (depth downward, so a
// core that takes in a hill has a negative top), and the two backgrounds.
class CModPropDlg : public CDialog {
public:
    CModPropDlg();

    double m_x1 = 0;
    double m_x2 = 0;
    double m_top = 0;
    double m_depth = 0;
    float m_dcBackground = 0; // log10 of the conductivity
    float m_ipBackground = 0; // chargeability

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};

enum : int {
    IDC_MODPROP_X1 = 1000,
    IDC_MODPROP_TOP = 1001,
    IDC_MODPROP_X2 = 1002,
    IDC_MODPROP_DEPTH = 1003,
    IDC_MODPROP_DC_BACKGROUND = 1005,
    IDC_MODPROP_IP_BACKGROUND = 1006,
};

#pragma once

#include "platform/Dialog.h"

// Shows and edits one block: its rectangle, value, slope and whether it is an ellipse. The
// value is shown as the colour bar shows it (log or plain, conductivity or resistivity) and
// handed back in the form the model stores.
class CBlockPropDlg : public CDialog {
public:
    CBlockPropDlg(float background, bool dcModel, bool conductivity, bool log10);

    float m_fBackground;
    bool m_bDCModel;
    bool m_bConductivity;
    bool m_bLog10;
    double m_x1 = 0;
    double m_x2 = 0;
    double m_z1 = 0;
    double m_z2 = 0;
    float m_value = 0; // stored form before and after; shown form while open
    double m_slope = 0;
    int m_nEllipse = 0;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnEllipse();
};

enum : int {
    IDC_BLOCK_X1 = 1000,
    IDC_BLOCK_Z1 = 1001,
    IDC_BLOCK_X2 = 1002,
    IDC_BLOCK_Z2 = 1003,
    IDC_BLOCK_VALUE = 1004,
    IDC_BLOCK_VALUE_LABEL = 1015,
    IDC_BLOCK_SLOPE = 1016,
    IDC_BLOCK_ELLIPSE = 1022,
};

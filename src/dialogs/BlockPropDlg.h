#pragma once

#include "formats/Choices.h"
#include "platform/Dialog.h"

#include <cmath>

// Shows and edits one block: its rectangle, value, slope and whether it is an ellipse. The
// value is shown as the colour bar shows it (log or plain, conductivity or resistivity) and
// handed back in the form the model stores.
class CBlockPropDlg : public CDialog {
public:
    CBlockPropDlg(float background, EModelKind kind, bool conductivity, bool log10);

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
    // The core area, which a block must overlap; unbounded unless set.
    void SetCore(double x1, double x2, double z1, double z2)
    {
        m_coreX1 = x1;
        m_coreX2 = x2;
        m_coreZ1 = z1;
        m_coreZ2 = z2;
    }
    double m_coreX1 = -HUGE_VAL;
    double m_coreX2 = HUGE_VAL;
    double m_coreZ1 = -HUGE_VAL;
    double m_coreZ2 = HUGE_VAL;

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

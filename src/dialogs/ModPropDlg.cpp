#include "dialogs/ModPropDlg.h"

#include "dialogs/ResourceIds.h"
#include "platform/DataExchange.h"
#include "platform/MessageBox.h"

namespace {

const DlgTemplate kTemplate = {
    IDD_MODPROP,
    "Model Properties",
    "MS Sans Serif",
    8,
    162,
    125,
    {
        {DlgItemKind::DefPushButton, IDOK, "OK", 30, 104, 37, 14},
        {DlgItemKind::PushButton, IDCANCEL, "Cancel", 75, 104, 37, 14},
        {DlgItemKind::LText, IDC_STATIC, "x1", 7, 15, 12, 8},
        {DlgItemKind::Edit, IDC_MODPROP_X1, nullptr, 25, 12, 44, 14, ES_AUTOHSCROLL},
        {DlgItemKind::RText, IDC_STATIC, "top", 80, 15, 21, 8},
        {DlgItemKind::Edit, IDC_MODPROP_TOP, nullptr, 106, 12, 44, 14, ES_AUTOHSCROLL},
        {DlgItemKind::LText, IDC_STATIC, "x2", 7, 37, 12, 8},
        {DlgItemKind::Edit, IDC_MODPROP_X2, nullptr, 25, 34, 44, 14, ES_AUTOHSCROLL},
        {DlgItemKind::RText, IDC_STATIC, "depth", 80, 37, 21, 8},
        {DlgItemKind::Edit, IDC_MODPROP_DEPTH, nullptr, 106, 34, 44, 14, ES_AUTOHSCROLL},
        {DlgItemKind::RText, IDC_STATIC, "Background log conductivity", 7, 64, 91, 8},
        {DlgItemKind::Edit, IDC_MODPROP_DC_BACKGROUND, nullptr, 106, 61, 44, 14, ES_AUTOHSCROLL},
        {DlgItemKind::RText, IDC_STATIC, "Background chargeability", 7, 84, 91, 8},
        {DlgItemKind::Edit, IDC_MODPROP_IP_BACKGROUND, nullptr, 106, 81, 44, 14, ES_AUTOHSCROLL},
    },
};

} // namespace

CModPropDlg::CModPropDlg() : CDialog(kTemplate) {}

void CModPropDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_MODPROP_X1, m_x1);
    DDX_Text(pDX, IDC_MODPROP_TOP, m_top);
    DDX_Text(pDX, IDC_MODPROP_X2, m_x2);
    DDX_Text(pDX, IDC_MODPROP_DEPTH, m_depth);
    DDX_Text(pDX, IDC_MODPROP_DC_BACKGROUND, m_dcBackground);
    DDX_Text(pDX, IDC_MODPROP_IP_BACKGROUND, m_ipBackground);
}

void CModPropDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    if (!(m_x1 < m_x2)) {
        AfxMessageBox("x1 should be less than x2.");
        return;
    }
    if (m_ipBackground < 0) {
        AfxMessageBox("Chargeability should be between positive.");
        return;
    }
    // A core area without height can be neither drawn nor meshed.
    if (!(m_top < m_depth)) {
        AfxMessageBox("top should be less than depth.");
        return;
    }
    EndDialog(IDOK);
}

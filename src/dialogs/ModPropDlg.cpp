#include "dialogs/ModPropDlg.h"

#include "dialogs/ResourceIds.h"
#include "formats/Limits.h"
#include "platform/DataExchange.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

#include <tuple>

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
    // A model the file's reader refuses could be saved but never opened again.
    for (auto [id, v, name] : {std::tuple{IDC_MODPROP_X1, m_x1, "x1"}, std::tuple{IDC_MODPROP_TOP, m_top, "top"},
                               std::tuple{IDC_MODPROP_X2, m_x2, "x2"}, std::tuple{IDC_MODPROP_DEPTH, m_depth, "depth"}})
        if (!Require(IsModelPosition(v), id, ShouldBeBetween(name, -kMaxCoordinate, kMaxCoordinate)))
            return;
    if (!Require(IsDCValue(m_dcBackground), IDC_MODPROP_DC_BACKGROUND,
                 ShouldBeBetween("Background log conductivity", -kMaxLogConductivity, kMaxLogConductivity)) ||
        !Require(m_x1 < m_x2, IDC_MODPROP_X1, "x1 should be less than x2.") ||
        !Require(IsCoreSide(m_x1, m_x2), IDC_MODPROP_X2, FormatC("x2 should be at least %g more than x1.", kMinLength)))
        return;
    if (!Require(m_ipBackground >= 0, IDC_MODPROP_IP_BACKGROUND, "Chargeability should be between positive."))
        return;
    // A core area without height can be neither drawn nor meshed.
    if (!Require(m_top < m_depth, IDC_MODPROP_TOP, "top should be less than depth.") ||
        !Require(IsCoreSide(m_top, m_depth), IDC_MODPROP_DEPTH,
                 FormatC("depth should be at least %g more than top.", kMinLength)))
        return;
    EndDialog(IDOK);
}

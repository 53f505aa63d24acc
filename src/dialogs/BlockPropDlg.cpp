#include "dialogs/BlockPropDlg.h"

#include "dialogs/ResourceIds.h"
#include "formats/Limits.h"
#include "platform/DataExchange.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

#include <cmath>
#include <tuple>

namespace {

const DlgTemplate kTemplate = {
    IDD_BLOCKPROP,
    "Block Properties",
    "MS Sans Serif",
    8,
    176,
    138,
    {
        {DlgItemKind::DefPushButton, IDOK, "OK", 39, 117, 37, 14},
        {DlgItemKind::PushButton, IDCANCEL, "Cancel", 84, 117, 37, 14},
        {DlgItemKind::LText, IDC_STATIC, "x1", 7, 21, 8, 8},
        {DlgItemKind::Edit, IDC_BLOCK_X1, nullptr, 25, 18, 53, 14, ES_AUTOHSCROLL},
        {DlgItemKind::LText, IDC_STATIC, "x2", 7, 43, 8, 8},
        {DlgItemKind::Edit, IDC_BLOCK_X2, nullptr, 25, 40, 53, 14, ES_AUTOHSCROLL},
        {DlgItemKind::LText, IDC_STATIC, "z1", 94, 21, 8, 8},
        {DlgItemKind::Edit, IDC_BLOCK_Z1, nullptr, 112, 18, 53, 14, ES_AUTOHSCROLL},
        {DlgItemKind::LText, IDC_STATIC, "z2", 94, 43, 8, 8},
        {DlgItemKind::Edit, IDC_BLOCK_Z2, nullptr, 112, 40, 53, 14, ES_AUTOHSCROLL},
        {DlgItemKind::RText, IDC_BLOCK_VALUE_LABEL, "log conductivity", 28, 72, 74, 8},
        {DlgItemKind::Edit, IDC_BLOCK_VALUE, nullptr, 112, 69, 53, 14, ES_AUTOHSCROLL},
        {DlgItemKind::AutoCheckBox, IDC_BLOCK_ELLIPSE, "ellipse", 26, 95, 35, 10},
        {DlgItemKind::LText, IDC_STATIC, "slope", 74, 96, 28, 8},
        {DlgItemKind::Edit, IDC_BLOCK_SLOPE, nullptr, 112, 93, 53, 14, ES_AUTOHSCROLL},
    },
};

} // namespace

CBlockPropDlg::CBlockPropDlg(float background, EModelKind kind, bool conductivity, bool log10)
    : CDialog(kTemplate), m_fBackground(background), m_bDCModel(kind == EModelKind::dc), m_bConductivity(conductivity),
      m_bLog10(log10)
{
    MapCommand(IDC_BLOCK_ELLIPSE, &CBlockPropDlg::OnEllipse);
}

void CBlockPropDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_BLOCK_X1, m_x1);
    DDX_Text(pDX, IDC_BLOCK_X2, m_x2);
    DDX_Text(pDX, IDC_BLOCK_Z1, m_z1);
    DDX_Text(pDX, IDC_BLOCK_Z2, m_z2);
    DDX_Text(pDX, IDC_BLOCK_VALUE, m_value);
    DDX_Check(pDX, IDC_BLOCK_ELLIPSE, m_nEllipse);
    DDX_Text(pDX, IDC_BLOCK_SLOPE, m_slope);
}

bool CBlockPropDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    std::string label = "chargeability";
    if (m_bDCModel) {
        label = std::string(m_bLog10 ? "log " : "") + (m_bConductivity ? "conductivity" : "resistivity");
        float shown = m_bConductivity ? m_value : -m_value;
        if (!m_bLog10)
            shown = std::pow(10.0f, shown);
        m_value = shown;
        UpdateData(false);
    }
    SetDlgItemText(IDC_BLOCK_VALUE_LABEL, label);
    OnEllipse();
    return true;
}

void CBlockPropDlg::OnEllipse()
{
    EnableDlgItem(IDC_BLOCK_SLOPE, !IsDlgButtonChecked(IDC_BLOCK_ELLIPSE));
}

void CBlockPropDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    // A model the file's reader refuses could be saved but never opened again.
    for (auto [id, v, name] : {std::tuple{IDC_BLOCK_X1, m_x1, "x1"}, std::tuple{IDC_BLOCK_X2, m_x2, "x2"},
                               std::tuple{IDC_BLOCK_Z1, m_z1, "z1"}, std::tuple{IDC_BLOCK_Z2, m_z2, "z2"}})
        if (!Require(IsModelPosition(v), id, ShouldBeBetween(name, -kMaxCoordinate, kMaxCoordinate)))
            return;
    if (!Require(m_x1 < m_x2, IDC_BLOCK_X1, "x1 should be less than x2.") ||
        !Require(m_z1 < m_z2, IDC_BLOCK_Z1, "z1 should be less than z2."))
        return;
    // Only the part inside the core is drawn and meshed: a block wholly outside would be nothing.
    if (!Require(m_x1 < m_coreX2 && m_x2 > m_coreX1 && m_z1 < m_coreZ2 && m_z2 > m_coreZ1, IDC_BLOCK_X1,
                 FormatC("The block lies outside the core, which spans x = %g to %g and depth %g to %g.", m_coreX1,
                         m_coreX2, m_coreZ1, m_coreZ2)))
        return;
    if (!Require(m_nEllipse != 0 || std::fabs(m_slope) <= 3.0, IDC_BLOCK_SLOPE, "slope should be between -3 and 3."))
        return;
    if (m_nEllipse != 0)
        m_slope = 0;
    if (!Require(m_bDCModel || m_value >= 0, IDC_BLOCK_VALUE, "Chargeability should be positive."))
        return;
    if (m_bDCModel) {
        // A plain conductivity or resistivity has a logarithm only when it is positive.
        if (!Require(m_bLog10 || m_value > 0, IDC_BLOCK_VALUE,
                     m_bConductivity ? "Conductivity should be greater than 0."
                                     : "Resistivity should be greater than 0."))
            return;
        float stored = m_bLog10 ? m_value : std::log10(m_value);
        stored = m_bConductivity ? stored : -stored;
        // The reader's limit is on the stored logarithm; the message gives it as the field shows it.
        const double most = m_bLog10 ? kMaxLogConductivity : std::pow(10.0, kMaxLogConductivity);
        const double least = m_bLog10 ? -most : 1 / most;
        const char* name = m_bLog10 ? (m_bConductivity ? "Log conductivity" : "Log resistivity")
                                    : (m_bConductivity ? "Conductivity" : "Resistivity");
        if (!Require(IsDCValue(stored), IDC_BLOCK_VALUE, ShouldBeBetween(name, least, most)))
            return;
        m_value = stored;
    }
    // The framework reads the fields once more on closing: they must hold the stored value.
    UpdateData(false);
    if (m_value == m_fBackground)
        AfxMessageBox("Warning: block value is the same as the background.");
    CDialog::OnOK();
}

#include "dialogs/ExportDlg.h"

#include "dialogs/ResourceIds.h"
#include "formats/FileNames.h"
#include "platform/DataExchange.h"
#include "platform/FileDialog.h"
#include "platform/FilePath.h"
#include "platform/MessageBox.h"
#include "platform/Refusal.h"

#include <algorithm>
#include <string>

namespace {

const char* const kTipNoise = "Gaussian noise: this percentage of |V/I| plus the floor voltage divided by the current.";
const char* const kTipSeed = "The same seed gives the same noise, and so the same file.";
const char* const kTipPhase = "cR2 takes a phase: -factor times the chargeability in mV/V, in mrad.";
const std::string kTipModelling = std::string("The forward run's estimate of its own error of each datum (") +
                                  kErrorFileName +
                                  "), combined with the noise's in the error column. Not for Res2DInv, which has none.";

const DlgTemplate kTemplate = {
    IDD_EXPORT,
    "Export data",
    "MS Sans Serif",
    8,
    250,
    238,
    {
        {DlgItemKind::GroupBox, IDC_STATIC, "file for", 7, 6, 236, 62},
        {DlgItemKind::AutoRadioButton, IDC_EXPORT_PYGIMLI, "pyGIMLi / BERT: unified data (.ohm)", 13, 18, 220, 10,
         WS_GROUP},
        {DlgItemKind::AutoRadioButton, IDC_EXPORT_RES2DINV, "Res2DInv: general array", 13, 30, 220, 10},
        {DlgItemKind::AutoRadioButton, IDC_EXPORT_RESIPY, "ResIPy: general array with remote electrodes", 13, 42, 220,
         10},
        {DlgItemKind::AutoRadioButton, IDC_EXPORT_R2, "R2 / cR2: protocol.dat, and electrodes for ResIPy", 13, 54, 220,
         10},
        {DlgItemKind::GroupBox, IDC_STATIC, "noise", 7, 72, 236, 92},
        {DlgItemKind::RText, IDC_STATIC, "relative (%)", 12, 87, 70, 8, 0, kTipNoise},
        {DlgItemKind::Edit, IDC_EXPORT_RELATIVE, nullptr, 88, 84, 40, 14, ES_AUTOHSCROLL, kTipNoise},
        {DlgItemKind::RText, IDC_STATIC, "floor (mV)", 132, 87, 55, 8, 0, kTipNoise},
        {DlgItemKind::Edit, IDC_EXPORT_FLOOR, nullptr, 192, 84, 40, 14, ES_AUTOHSCROLL, kTipNoise},
        {DlgItemKind::RText, IDC_STATIC, "current (A)", 132, 105, 55, 8, 0, kTipNoise},
        {DlgItemKind::Edit, IDC_EXPORT_CURRENT, nullptr, 192, 102, 40, 14, ES_AUTOHSCROLL, kTipNoise},
        {DlgItemKind::RText, IDC_STATIC, "IP (mV/V)", 12, 105, 70, 8},
        {DlgItemKind::Edit, IDC_EXPORT_IP, nullptr, 88, 102, 40, 14, ES_AUTOHSCROLL},
        {DlgItemKind::RText, IDC_STATIC, "seed", 12, 123, 70, 8, 0, kTipSeed},
        {DlgItemKind::Edit, IDC_EXPORT_SEED, nullptr, 88, 120, 40, 14, ES_NUMBER | ES_AUTOHSCROLL, kTipSeed},
        {DlgItemKind::RText, IDC_STATIC, "cR2 phase factor", 112, 141, 75, 8, 0, kTipPhase},
        {DlgItemKind::Edit, IDC_EXPORT_PHASE, nullptr, 192, 138, 40, 14, ES_AUTOHSCROLL, kTipPhase},
        {DlgItemKind::AutoCheckBox, IDC_EXPORT_MODELLING_ERROR, "Add the estimated modelling error to the data error",
         7, 170, 236, 10, 0, kTipModelling.c_str()},
        {DlgItemKind::LText, IDC_STATIC, "file", 7, 188, 30, 8},
        {DlgItemKind::Edit, IDC_EXPORT_FILE, nullptr, 7, 198, 196, 14, ES_AUTOHSCROLL},
        {DlgItemKind::PushButton, IDC_EXPORT_BROWSE, "Browse", 207, 198, 36, 14},
        {DlgItemKind::DefPushButton, IDOK, "OK", 75, 218, 45, 14, WS_GROUP},
        {DlgItemKind::PushButton, IDCANCEL, "Cancel", 130, 218, 45, 14},
    },
};

} // namespace

CExportDlg::CExportDlg() : CDialog(kTemplate)
{
    for (int id = IDC_EXPORT_PYGIMLI; id <= IDC_EXPORT_R2; ++id)
        MapCommand(id, &CExportDlg::OnFormat);
    MapCommand(IDC_EXPORT_BROWSE, &CExportDlg::OnBrowse);
}

void CExportDlg::DoDataExchange(CDataExchange* pDX)
{
    CNoiseModel& n = m_settings.noise;
    if (!pDX->m_bSaveAndValidate)
        m_seed = static_cast<int>(std::min<uint64_t>(n.seed, 999'999'999));
    DDX_Radio(pDX, IDC_EXPORT_PYGIMLI, m_settings.format);
    DDX_Text(pDX, IDC_EXPORT_RELATIVE, n.relativePercent);
    DDX_Text(pDX, IDC_EXPORT_FLOOR, n.floorMillivolts);
    DDX_Text(pDX, IDC_EXPORT_CURRENT, n.currentAmps);
    DDX_Text(pDX, IDC_EXPORT_IP, n.ipMillivoltsPerVolt);
    DDX_Text(pDX, IDC_EXPORT_SEED, m_seed);
    DDX_Text(pDX, IDC_EXPORT_PHASE, m_settings.phaseFactor);
    DDX_Check(pDX, IDC_EXPORT_MODELLING_ERROR, m_settings.addModellingError);
    DDX_Text(pDX, IDC_EXPORT_FILE, m_settings.path);
    if (pDX->m_bSaveAndValidate)
        n.seed = static_cast<uint64_t>(std::max(0, m_seed));
}

// A file name that is still the proposed one follows the format.
void CExportDlg::OnFormat()
{
    const std::string path = GetDlgItemText(IDC_EXPORT_FILE);
    const std::string name = FileNamePart(path);
    for (EExportFormat f :
         {EExportFormat::pygimli, EExportFormat::res2dinv, EExportFormat::res2dinvResipy, EExportFormat::r2}) {
        if (name != DefaultExportFileName(f))
            continue;
        for (int id = IDC_EXPORT_PYGIMLI; id <= IDC_EXPORT_R2; ++id)
            if (IsDlgButtonChecked(id)) {
                const std::string folder = RemoveLastComponent(path);
                const std::string chosen = DefaultExportFileName(EExportFormat(id - IDC_EXPORT_PYGIMLI));
                SetDlgItemText(IDC_EXPORT_FILE, folder.empty() ? chosen : folder + "/" + chosen);
            }
        return;
    }
}

void CExportDlg::OnBrowse()
{
    CFileDialog dlg(false, nullptr, GetDlgItemText(IDC_EXPORT_FILE).c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    "Data||");
    dlg.m_strTitle = "Export data";
    if (dlg.DoModal() == IDOK)
        SetDlgItemText(IDC_EXPORT_FILE, dlg.GetPathName());
}

void CExportDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    const CNoiseModel& n = m_settings.noise;
    if (!AcceptVerdict(CheckExportSettings(m_settings),
                       {{&n.relativePercent, IDC_EXPORT_RELATIVE},
                        {&n.floorMillivolts, IDC_EXPORT_FLOOR},
                        {&n.ipMillivoltsPerVolt, IDC_EXPORT_IP},
                        {&n.currentAmps, IDC_EXPORT_CURRENT},
                        {&m_settings.phaseFactor, IDC_EXPORT_PHASE},
                        {&m_settings.path, IDC_EXPORT_FILE},
                        {&m_settings.format, IDC_EXPORT_PYGIMLI + static_cast<int>(m_settings.format)}}))
        return;
    if (m_acceptPath && !m_acceptPath(m_settings.path)) {
        GotoDlgCtrl(IDC_EXPORT_FILE);
        return;
    }
    EndDialog(IDOK);
}

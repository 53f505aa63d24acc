#include "dialogs/DlgFwdType.h"

#include "dialogs/ResourceIds.h"
#include "formats/Text.h"
#include "platform/DataExchange.h"
#include "platform/MessageBox.h"

namespace {

const char* const kTipAccuracy = "The forward run refines its grid until the estimated error of every datum is within "
                                 "this percentage of V/I. off: one grid and no estimate.";

const DlgTemplate kTemplate = {
    IDD_FWDTYPE,
    "Type of 2D Forwad Modelling",
    "MS Shell Dlg",
    8,
    133,
    146,
    {
        {DlgItemKind::DefPushButton, IDOK, "OK", 13, 125, 42, 14},
        {DlgItemKind::PushButton, IDCANCEL, "Cancel", 66, 125, 42, 14},
        {DlgItemKind::AutoRadioButton, IDC_FWD_DC, "DC", 35, 20, 51, 10, WS_GROUP},
        {DlgItemKind::AutoRadioButton, IDC_FWD_DC_IP, "DC and IP", 35, 40, 51, 10, 0,
         "Also compute apparent chargeabilities (IP) from a second run in which the chargeabilities lower the "
         "conductivities."},
        {DlgItemKind::AutoRadioButton, IDC_FWD_DC_IPL, "DC and IPL", 35, 60, 51, 10, 0,
         "Also compute apparent chargeabilities by the linearized formula (IPL), which takes chargeabilities of 1 and "
         "more."},
        {DlgItemKind::RText, IDC_STATIC, "Accuracy target (%)", 7, 85, 76, 8, 0, kTipAccuracy},
        {DlgItemKind::Edit, IDC_FWD_ACCURACY, nullptr, 87, 82, 36, 14, ES_AUTOHSCROLL, kTipAccuracy},
        {DlgItemKind::AutoCheckBox, IDC_FWD_SENSITIVITY, "Sensitivities", 35, 104, 80, 10, 0,
         "Also compute how much every datum depends on every cell, and the depth of investigation; View > "
         "Sensitivity shows them."},
    },
};

} // namespace

CDlgFwdType::CDlgFwdType() : CDialog(kTemplate) {}

void CDlgFwdType::DoDataExchange(CDataExchange* pDX)
{
    DDX_Radio(pDX, IDC_FWD_DC, m_fwdType);
    DDX_Check(pDX, IDC_FWD_SENSITIVITY, m_sensitivities);
    if (!pDX->m_bSaveAndValidate) {
        SetDlgItemText(IDC_FWD_ACCURACY, m_accuracyPercent > 0 ? Exact(m_accuracyPercent) : std::string("off"));
        return;
    }
    // The batch mode's check, so that the window and a script refuse the same values.
    double percent = 0;
    if (!ParseAccuracyPercent(GetDlgItemText(IDC_FWD_ACCURACY), percent)) {
        AfxMessageBox(std::string("Enter ") + kAccuracyValues + ".");
        pDX->Fail(IDC_FWD_ACCURACY);
        return;
    }
    m_accuracyPercent = percent;
}

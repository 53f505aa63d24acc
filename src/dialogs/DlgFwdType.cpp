#include "dialogs/DlgFwdType.h"

#include "dialogs/ResourceIds.h"
#include "platform/DataExchange.h"
#include "platform/MessageBox.h"

namespace {

const DlgTemplate kTemplate = {
    IDD_FWDTYPE,
    "Type of 2D Forwad Modelling",
    "MS Shell Dlg",
    8,
    133,
    106,
    {
        {DlgItemKind::DefPushButton, IDOK, "OK", 13, 85, 42, 14},
        {DlgItemKind::PushButton, IDCANCEL, "Cancel", 66, 85, 42, 14},
        {DlgItemKind::AutoRadioButton, IDC_FWD_DC, "DC", 35, 20, 51, 10, WS_GROUP},
        {DlgItemKind::AutoRadioButton, IDC_FWD_DC_IP, "DC and IP", 35, 40, 51, 10, 0,
         "Also compute apparent chargeabilities (IP) from a second run in which the chargeabilities lower the "
         "conductivities."},
        {DlgItemKind::AutoRadioButton, IDC_FWD_DC_IPL, "DC and IPL", 35, 60, 51, 10, 0,
         "Also compute apparent chargeabilities by the linearized formula (IPL), which takes chargeabilities of 1 and "
         "more."},
    },
};

} // namespace

CDlgFwdType::CDlgFwdType() : CDialog(kTemplate) {}

void CDlgFwdType::DoDataExchange(CDataExchange* pDX)
{
    DDX_Radio(pDX, IDC_FWD_DC, m_fwdType);
}

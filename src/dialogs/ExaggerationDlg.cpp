#include "dialogs/ExaggerationDlg.h"

#include "dialogs/ResourceIds.h"
#include "formats/Limits.h"
#include "platform/DataExchange.h"
#include "platform/MessageBox.h"

namespace {

const DlgTemplate kTemplate = {
    IDD_EXAGGERATION,
    "Vertical Exaggeration",
    "MS Sans Serif",
    8,
    130,
    52,
    {
        {DlgItemKind::LText, IDC_STATIC, "exaggeration", 7, 12, 50, 8},
        {DlgItemKind::Edit, IDC_EXAGGERATION, nullptr, 62, 9, 60, 14, ES_AUTOHSCROLL},
        {DlgItemKind::DefPushButton, IDOK, "OK", 20, 31, 40, 14},
        {DlgItemKind::PushButton, IDCANCEL, "Cancel", 70, 31, 40, 14},
    },
};

} // namespace

CExaggerationDlg::CExaggerationDlg() : CDialog(kTemplate) {}

void CExaggerationDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_EXAGGERATION, m_exaggeration);
}

void CExaggerationDlg::OnOK()
{
    if (UpdateData(true) &&
        Require(m_exaggeration >= kMinExaggeration && m_exaggeration <= kMaxExaggeration, IDC_EXAGGERATION,
                ShouldBeBetween("Exaggeration", kMinExaggeration, kMaxExaggeration)))
        EndDialog(IDOK);
}

#include "dialogs/ExaggerationDlg.h"

#include "dialogs/ResourceIds.h"
#include "platform/DataExchange.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

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
    if (!UpdateData(true))
        return;
    // Beyond these the section is a hairline or far taller than any screen.
    if (!(m_exaggeration >= kLeast && m_exaggeration <= kMost)) {
        AfxMessageBox(FormatC("Exaggeration should be between %g and %g.", kLeast, kMost));
        GotoDlgCtrl(IDC_EXAGGERATION);
        return;
    }
    EndDialog(IDOK);
}

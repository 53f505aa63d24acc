#include "dialogs/OptimizeSurveyDlg.h"

#include "dialogs/ResourceIds.h"
#include "formats/Limits.h"
#include "platform/DataExchange.h"
#include "platform/MessageBox.h"

namespace {

const DlgTemplate kTemplate = {
    IDD_OPTIMIZE_SURVEY,
    "Optimize Survey",
    "MS Sans Serif",
    8,
    240,
    104,
    {
        {DlgItemKind::LText, IDC_DESIGN_CANDIDATES, "", 7, 7, 226, 42},
        {DlgItemKind::LText, IDC_STATIC, "number of configurations", 7, 60, 100, 8},
        {DlgItemKind::Edit, IDC_DESIGN_COUNT, nullptr, 112, 57, 60, 14, ES_AUTOHSCROLL},
        {DlgItemKind::DefPushButton, IDOK, "OK", 70, 83, 40, 14},
        {DlgItemKind::PushButton, IDCANCEL, "Cancel", 130, 83, 40, 14},
    },
};

} // namespace

COptimizeSurveyDlg::COptimizeSurveyDlg() : CDialog(kTemplate) {}

bool COptimizeSurveyDlg::OnInitDialog()
{
    SetDlgItemText(IDC_DESIGN_CANDIDATES, m_candidates);
    return CDialog::OnInitDialog();
}

void COptimizeSurveyDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_DESIGN_COUNT, m_count);
}

void COptimizeSurveyDlg::OnOK()
{
    if (UpdateData(true) && Require(m_count >= 1 && m_count <= kMaxData, IDC_DESIGN_COUNT,
                                    ShouldBeBetween("Number of configurations", 1, kMaxData)))
        EndDialog(IDOK);
}

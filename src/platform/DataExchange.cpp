#include "platform/DataExchange.h"

#include "platform/Dialog.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

#include <cfloat>
#include <cmath>
#include <vector>

void CDataExchange::Fail(int id)
{
    m_bFailed = true;
    m_pDlgWnd->GotoDlgCtrl(id);
}

namespace {

// The message is shown before the focus moves, as the user reads it first.
void Refuse(CDataExchange* pDX, int id, const std::string& message)
{
    AfxMessageBox(message);
    pDX->Fail(id);
}

} // namespace

void DDX_Text(CDataExchange* pDX, int id, int& value)
{
    if (pDX->Failed())
        return;
    if (!pDX->m_bSaveAndValidate) {
        pDX->m_pDlgWnd->SetDlgItemText(id, FormatC("%d", value));
        return;
    }
    int v = 0;
    if (!ParseIntC(pDX->m_pDlgWnd->GetDlgItemText(id), v))
        return Refuse(pDX, id, "Enter an integer.");
    value = v;
}

namespace {

// Shows a real with the given significant digits; takes one in when it is finite and within
// limit. True when value was taken in.
bool ExchangeReal(CDataExchange* pDX, int id, double& value, int digits, double limit)
{
    if (pDX->Failed())
        return false;
    if (!pDX->m_bSaveAndValidate) {
        pDX->m_pDlgWnd->SetDlgItemText(id, FormatC("%.*g", digits, value));
        return false;
    }
    double v = 0;
    const std::string text = pDX->m_pDlgWnd->GetDlgItemText(id);
    const bool parsed = ParseDoubleC(text, v);
    if ((parsed && std::fabs(v) > limit) || (!parsed && IsBeyondDoubleC(text))) {
        Refuse(pDX, id, FormatC("The number is too large. Enter a number between %g and %g.", -limit, limit));
        return false;
    }
    if (!parsed) {
        Refuse(pDX, id, "Enter a number.");
        return false;
    }
    value = v;
    return true;
}

} // namespace

void DDX_Text(CDataExchange* pDX, int id, double& value)
{
    ExchangeReal(pDX, id, value, DBL_DIG, DBL_MAX);
}

void DDX_Text(CDataExchange* pDX, int id, float& value)
{
    double v = value;
    if (ExchangeReal(pDX, id, v, FLT_DIG, FLT_MAX))
        value = static_cast<float>(v);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value)
{
    if (pDX->Failed())
        return;
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->GetDlgItemText(id);
    else
        pDX->m_pDlgWnd->SetDlgItemText(id, value);
}

void DDX_Radio(CDataExchange* pDX, int id, int& value)
{
    if (pDX->Failed())
        return;
    const std::vector<int> buttons = pDX->m_pDlgWnd->GetRadioGroup(id);
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (size_t i = 0; i < buttons.size(); ++i)
            if (pDX->m_pDlgWnd->IsDlgButtonChecked(buttons[i]))
                value = static_cast<int>(i);
        return;
    }
    for (size_t i = 0; i < buttons.size(); ++i)
        pDX->m_pDlgWnd->CheckDlgButton(buttons[i], static_cast<int>(i) == value);
}

void DDX_Check(CDataExchange* pDX, int id, bool& value)
{
    if (pDX->Failed())
        return;
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->IsDlgButtonChecked(id);
    else
        pDX->m_pDlgWnd->CheckDlgButton(id, value);
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    bool checked = value != 0;
    DDX_Check(pDX, id, checked);
    value = checked ? 1 : 0;
}

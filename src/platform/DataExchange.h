#pragma once

#include <string>
#include <type_traits>

class CDialog;

// One pass of moving values between a dialog's members and its controls. A field that does
// not convert shows its message, takes the focus and ends the pass: later fields are skipped.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    void Fail(int id);
    bool Failed() const { return m_bFailed; }

    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;

private:
    bool m_bFailed = false;
};

// Numbers go as text in the "C" conventions: doubles with up to 15 significant digits, floats
// with up to 6. A field that is not a finite number of its type is refused with
// "Enter a number." or "Enter an integer.", a number beyond the range of its type as too large.
void DDX_Text(CDataExchange* pDX, int id, int& value);
void DDX_Text(CDataExchange* pDX, int id, double& value);
void DDX_Text(CDataExchange* pDX, int id, float& value);
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// The index of the checked button of the radio group starting at id; -1 when none is.
void DDX_Radio(CDataExchange* pDX, int id, int& value);
// The same for a choice numbered from 0 in the buttons' order; it keeps its value when no button is checked.
template <class Choice>
requires std::is_enum_v<Choice>
void DDX_Radio(CDataExchange* pDX, int id, Choice& value)
{
    int index = static_cast<int>(value);
    DDX_Radio(pDX, id, index);
    if (index >= 0)
        value = static_cast<Choice>(index);
}
void DDX_Check(CDataExchange* pDX, int id, bool& value);
void DDX_Check(CDataExchange* pDX, int id, int& value); // 0 or 1

#pragma once

#include "platform/Dialog.h"

#include <string>

// The About box: name, version, what the program does and where its documentation is.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    std::string m_strInfo;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

enum : int { IDC_ABOUT_INFO = 1041 };

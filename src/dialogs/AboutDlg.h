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

// Where README.md lies: beside the program, in its installation's share/doc/velquor-model-maker,
// or else in the source tree the program was built from.
std::string DocumentationFolder();

#pragma once

#include "platform/Dialog.h"

#include <string>

// Asks how many configurations a survey design chooses; m_candidates says from which.
class COptimizeSurveyDlg : public CDialog {
public:
    COptimizeSurveyDlg();

    int m_count = 1000;
    std::string m_candidates;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};

enum : int {
    IDC_DESIGN_CANDIDATES = 1000,
    IDC_DESIGN_COUNT = 1001,
};

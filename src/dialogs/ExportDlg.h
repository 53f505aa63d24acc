#pragma once

#include "forward/Export.h"
#include "platform/Dialog.h"

#include <functional>
#include <string>

// File > Export data: the format of the inversion program, the noise added, whether the forward
// run's estimate of its error goes into the error column, and the file.
class CExportDlg : public CDialog {
public:
    CExportDlg();

    CExportSettings m_settings; // the path is full; the caller proposes one
    // Asked on OK after the settings' own checks: false keeps the dialog open with the file name
    // selected (the caller has said why).
    std::function<bool(const std::string& path)> m_acceptPath;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

    void OnFormat();
    void OnBrowse();

private:
    int m_seed = 0;
};

enum : int {
    IDC_EXPORT_PYGIMLI = 1000,
    IDC_EXPORT_RES2DINV = 1001,
    IDC_EXPORT_RESIPY = 1002,
    IDC_EXPORT_R2 = 1003,
    IDC_EXPORT_RELATIVE = 1004,
    IDC_EXPORT_FLOOR = 1005,
    IDC_EXPORT_CURRENT = 1006,
    IDC_EXPORT_IP = 1007,
    IDC_EXPORT_SEED = 1008,
    IDC_EXPORT_PHASE = 1009,
    IDC_EXPORT_FILE = 1010,
    IDC_EXPORT_BROWSE = 1011,
    IDC_EXPORT_MODELLING_ERROR = 1012,
};

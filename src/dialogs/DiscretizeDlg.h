#pragma once

#include "dialogs/EditDrop.h"
#include "model/ModelData.h"
#include "platform/Dialog.h"

#include <string>

// The "Discretize model" dialog: the electrode array and how the mesh is made (m1: cells per
// electrode spacing and aspect ratio; m2: the smallest cell size; or an existing mesh file).
class CDiscretizeDlg : public CDialog {
public:
    CDiscretizeDlg();

    CDiscretizeSettings m_settings; // the forward type is not shown and passes through
    double m_coreWidth = 0;         // bounds the a-spacing; set by the caller

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnDropFiles(int id, const std::vector<std::string>& paths) override;

    void OnM1();
    void OnM2();
    void OnExistingMesh();
    void OnBrowse();
    void OnArray();
    void OnBrowseProtocol();

private:
    void EnableMeshOption(EMeshOption option);
    void EnableProtocol(bool enable);
    void Browse(int edit, const char* title, const char* filter, std::string& path);

    CEditDrop m_meshEdit;
    CEditDrop m_protocolEdit;
};

enum : int {
    IDC_ARRAY_POLE_POLE = 1006,
    IDC_ARRAY_DIPOLE_DIPOLE = 1007,
    IDC_ARRAY_POLE_DIPOLE_R = 1008,
    IDC_ARRAY_POLE_DIPOLE_L = 1009,
    IDC_N = 1010,
    IDC_A_SPACING = 1011,
    IDC_CELLS = 1012,
    IDC_ASPECT = 1013,
    IDC_DX = 1019,
    IDC_DZ = 1020,
    IDC_MESH_M1 = 1021,
    IDC_MESH_M2 = 1022,
    IDC_MESH_EXISTING = 1023,
    IDC_MESH_FILE = 1024,
    IDC_BROWSE = 1025,
    IDC_ARRAY_WENNER = 1026,
    IDC_ARRAY_WENNER_SCHLUMBERGER = 1027,
    IDC_ARRAY_GRADIENT = 1028,
    IDC_ARRAY_PROTOCOL = 1029,
    IDC_PROTOCOL_FILE = 1030,
    IDC_PROTOCOL_BROWSE = 1031,
};

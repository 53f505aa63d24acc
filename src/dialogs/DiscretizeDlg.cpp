#include "dialogs/DiscretizeDlg.h"

#include "dialogs/ResourceIds.h"
#include "mesh/Discretize.h"
#include "platform/DataExchange.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/Refusal.h"

namespace {

// The words of the dialog, each in one plain sentence.
const char* const kTipN = "The number of separations measured from each current electrode, from 1 to n a-spacings.";
const char* const kTipA = "The distance between neighbouring electrodes, in model units.";
const char* const kTipM1 =
    "Design the mesh from the number of cells between neighbouring electrodes and an aspect ratio.";
const char* const kTipCells = "How many cells lie between two neighbouring electrodes.";
const char* const kTipAspect = "The width of the smallest cells divided by their thickness.";
const char* const kTipM2 = "Design the mesh from the width dx and thickness dz of its smallest cells.";
const char* const kTipWenner = "A M N B equally spaced, n a apart for n from 1 to n.";
const char* const kTipWennerSchlumberger =
    "M N of every length that fits, with A and B 1 to n times that length outside them.";
const char* const kTipGradient = "A and B n + 2 a apart, the potential dipole at each of the n places between them.";
const char* const kTipProtocol =
    "A text file of A B M N electrode numbers, one datum a line, 0 for an electrode at infinity, # comments.";
const char* const kTipExisting = "Use a mesh file made earlier instead of designing one.";

const DlgTemplate kTemplate = {
    IDD_DISCRETIZE,
    "Discretize model",
    "MS Sans Serif",
    8,
    155 + 150,
    254,
    {
        {DlgItemKind::GroupBox, IDC_STATIC, "electrode geometry", 7, 6, 141, 45},
        {DlgItemKind::GroupBox, IDC_STATIC, "more arrays", 155, 6, 143, 88},
        {DlgItemKind::AutoRadioButton, IDC_ARRAY_POLE_POLE, "pole-pole", 13, 19, 45, 10, WS_GROUP},
        {DlgItemKind::AutoRadioButton, IDC_ARRAY_DIPOLE_DIPOLE, "dipole-dipole", 13, 34, 56, 10},
        {DlgItemKind::AutoRadioButton, IDC_ARRAY_POLE_DIPOLE_R, "pole-dipole(R)", 82, 19, 60, 10},
        {DlgItemKind::AutoRadioButton, IDC_ARRAY_POLE_DIPOLE_L, "pole-dipole(L)", 82, 34, 58, 10},
        {DlgItemKind::AutoRadioButton, IDC_ARRAY_WENNER, "Wenner", 161, 19, 60, 10, 0, kTipWenner},
        {DlgItemKind::AutoRadioButton, IDC_ARRAY_WENNER_SCHLUMBERGER, "Wenner-Schlumberger", 161, 32, 90, 10, 0,
         kTipWennerSchlumberger},
        {DlgItemKind::AutoRadioButton, IDC_ARRAY_GRADIENT, "multiple gradient", 161, 45, 80, 10, 0, kTipGradient},
        {DlgItemKind::AutoRadioButton, IDC_ARRAY_PROTOCOL, "protocol file", 161, 58, 70, 10, 0, kTipProtocol},
        {DlgItemKind::Edit, IDC_PROTOCOL_FILE, nullptr, 159, 72, 98, 14, ES_AUTOHSCROLL | WS_EX_ACCEPTFILES,
         kTipProtocol},
        {DlgItemKind::PushButton, IDC_PROTOCOL_BROWSE, "Browse", 261, 72, 32, 14},
        {DlgItemKind::RText, IDC_STATIC, "n", 36, 58, 23, 8, 0, kTipN},
        {DlgItemKind::Edit, IDC_N, nullptr, 68, 55, 32, 14, ES_NUMBER | ES_AUTOHSCROLL, kTipN},
        {DlgItemKind::RText, IDC_STATIC, "a-spacing", 12, 76, 47, 8, 0, kTipA},
        {DlgItemKind::Edit, IDC_A_SPACING, nullptr, 68, 73, 32, 14, ES_AUTOHSCROLL, kTipA},
        {DlgItemKind::GroupBox, IDC_STATIC, "Mesh parameters", 7, 91, 141, 132},
        {DlgItemKind::AutoRadioButton, IDC_MESH_M1, "m1", 13, 104, 25, 10, WS_GROUP, kTipM1},
        {DlgItemKind::RText, IDC_STATIC, "# of cells / electrodes", 27, 117, 70, 8, 0, kTipCells},
        {DlgItemKind::Edit, IDC_CELLS, nullptr, 102, 114, 42, 14, ES_NUMBER | ES_AUTOHSCROLL, kTipCells},
        {DlgItemKind::RText, IDC_STATIC, "aspect ratio (dx/dz)", 35, 136, 62, 8, 0, kTipAspect},
        {DlgItemKind::Edit, IDC_ASPECT, nullptr, 102, 133, 42, 14, ES_AUTOHSCROLL, kTipAspect},
        {DlgItemKind::AutoRadioButton, IDC_MESH_M2, "m2", 13, 151, 25, 10, 0, kTipM2},
        {DlgItemKind::RText, IDC_STATIC, "dx", 16, 167, 11, 8},
        {DlgItemKind::Edit, IDC_DX, nullptr, 32, 164, 42, 14, ES_AUTOHSCROLL},
        {DlgItemKind::RText, IDC_STATIC, "dz", 86, 167, 11, 8},
        {DlgItemKind::Edit, IDC_DZ, nullptr, 102, 164, 42, 14, ES_AUTOHSCROLL},
        {DlgItemKind::AutoRadioButton, IDC_MESH_EXISTING, "existing mesh", 13, 189, 58, 10, 0, kTipExisting},
        {DlgItemKind::Edit, IDC_MESH_FILE, nullptr, 11, 201, 98, 14, ES_AUTOHSCROLL | WS_EX_ACCEPTFILES},
        {DlgItemKind::PushButton, IDC_BROWSE, "Browse", 113, 201, 32, 14},
        {DlgItemKind::DefPushButton, IDOK, "OK", 33, 233, 39, 14, WS_GROUP},
        {DlgItemKind::PushButton, IDCANCEL, "Cancel", 79, 233, 39, 14},
    },
};

} // namespace

CDiscretizeDlg::CDiscretizeDlg() : CDialog(kTemplate)
{
    MapCommand(IDC_MESH_M1, &CDiscretizeDlg::OnM1);
    MapCommand(IDC_MESH_M2, &CDiscretizeDlg::OnM2);
    MapCommand(IDC_MESH_EXISTING, &CDiscretizeDlg::OnExistingMesh);
    MapCommand(IDC_BROWSE, &CDiscretizeDlg::OnBrowse);
    MapCommand(IDC_PROTOCOL_BROWSE, &CDiscretizeDlg::OnBrowseProtocol);
    for (int id = IDC_ARRAY_POLE_POLE; id <= IDC_ARRAY_POLE_DIPOLE_L; ++id)
        MapCommand(id, &CDiscretizeDlg::OnArray);
    for (int id = IDC_ARRAY_WENNER; id <= IDC_ARRAY_PROTOCOL; ++id)
        MapCommand(id, &CDiscretizeDlg::OnArray);
}

bool CDiscretizeDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_meshEdit.Attach(this, IDC_MESH_FILE);
    m_protocolEdit.Attach(this, IDC_PROTOCOL_FILE);
    EnableMeshOption(m_settings.mesh);
    EnableProtocol(m_settings.array == EArray::protocol);
    return true;
}

void CDiscretizeDlg::DoDataExchange(CDataExchange* pDX)
{
    CDiscretizeSettings& s = m_settings;
    DDX_Text(pDX, IDC_A_SPACING, s.aSpacing);
    DDX_Text(pDX, IDC_N, s.n);
    DDX_Radio(pDX, IDC_ARRAY_POLE_POLE, s.array);
    DDX_Text(pDX, IDC_ASPECT, s.aspectRatio);
    DDX_Text(pDX, IDC_CELLS, s.cellsPerElectrode);
    DDX_Text(pDX, IDC_DX, s.dx);
    DDX_Text(pDX, IDC_DZ, s.dz);
    DDX_Radio(pDX, IDC_MESH_M1, s.mesh);
    DDX_Text(pDX, IDC_MESH_FILE, s.existingMesh);
    DDX_Text(pDX, IDC_PROTOCOL_FILE, s.protocolFile);
}

void CDiscretizeDlg::EnableMeshOption(EMeshOption option)
{
    EnableDlgItem(IDC_CELLS, option == EMeshOption::cellsPerSpacing);
    EnableDlgItem(IDC_ASPECT, option == EMeshOption::cellsPerSpacing);
    EnableDlgItem(IDC_DX, option == EMeshOption::cellSize);
    EnableDlgItem(IDC_DZ, option == EMeshOption::cellSize);
    EnableDlgItem(IDC_MESH_FILE, option == EMeshOption::existing);
    EnableDlgItem(IDC_BROWSE, option == EMeshOption::existing);
}

void CDiscretizeDlg::OnM1()
{
    EnableMeshOption(EMeshOption::cellsPerSpacing);
}

void CDiscretizeDlg::OnM2()
{
    EnableMeshOption(EMeshOption::cellSize);
}

void CDiscretizeDlg::OnExistingMesh()
{
    EnableMeshOption(EMeshOption::existing);
}

void CDiscretizeDlg::EnableProtocol(bool enable)
{
    EnableDlgItem(IDC_PROTOCOL_FILE, enable);
    EnableDlgItem(IDC_PROTOCOL_BROWSE, enable);
}

void CDiscretizeDlg::OnArray()
{
    EnableProtocol(IsDlgButtonChecked(IDC_ARRAY_PROTOCOL));
}

void CDiscretizeDlg::OnBrowseProtocol()
{
    Browse(IDC_PROTOCOL_FILE, "Open protocol file", "Protocol||", m_settings.protocolFile);
}

void CDiscretizeDlg::OnBrowse()
{
    Browse(IDC_MESH_FILE, "Open mesh file", "Mesh||", m_settings.existingMesh);
}

// Only the file's field changes: what the user typed elsewhere stays.
void CDiscretizeDlg::Browse(int edit, const char* title, const char* filter, std::string& path)
{
    CFileDialog dlg(true, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER, filter);
    dlg.m_strTitle = title;
    if (dlg.DoModal() != IDOK)
        return;
    path = dlg.GetPathName();
    SetDlgItemText(edit, path);
}

void CDiscretizeDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    const CDiscretizeSettings& s = m_settings;
    if (AcceptVerdict(CheckDiscretizeSettings(s, m_coreWidth), {{&s.n, IDC_N},
                                                                {&s.aSpacing, IDC_A_SPACING},
                                                                {&s.cellsPerElectrode, IDC_CELLS},
                                                                {&s.aspectRatio, IDC_ASPECT},
                                                                {&s.dx, IDC_DX},
                                                                {&s.dz, IDC_DZ},
                                                                {&s.existingMesh, IDC_MESH_FILE},
                                                                {&s.protocolFile, IDC_PROTOCOL_FILE}}))
        EndDialog(IDOK);
}

void CDiscretizeDlg::OnDropFiles(int id, const std::vector<std::string>& paths)
{
    if (id == IDC_MESH_FILE)
        m_meshEdit.OnDropFiles(paths);
    else if (id == IDC_PROTOCOL_FILE)
        m_protocolEdit.OnDropFiles(paths);
}

#include "dialogs/AboutDlg.h"

#include "dialogs/ResourceIds.h"
#include "platform/DataExchange.h"
#include "platform/FilePath.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"

namespace {

const DlgTemplate kTemplate = {
    IDD_ABOUTBOX,
    "About Velquor Model Maker",
    "MS Sans Serif",
    8,
    241,
    158,
    {
        {DlgItemKind::Icon, IDC_STATIC, "136", 7, 7, 20, 20}, // IDI_ABOUT
        {DlgItemKind::DefPushButton, IDOK, "OK", 202, 7, 32, 14, WS_GROUP},
        {DlgItemKind::CText, IDC_STATIC, "Version 201210", 47, 27, 141, 8},
        {DlgItemKind::CText, IDC_STATIC, "Velquor Model Maker", 47, 7, 141, 14},
        {DlgItemKind::Edit, IDC_ABOUT_INFO, nullptr, 3, 58, 232, 93,
         ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL},
    },
};

} // namespace

std::string DocumentationFolder()
{
    const std::string program = GetProgramFolder();
    for (const std::string& folder : {program, RemoveLastComponent(program) + "/share/doc/velquor-model-maker"})
        if (!program.empty() && FileExists(folder + "/README.md"))
            return folder;
    return VMM_SOURCE_DIR;
}

CAboutDlg::CAboutDlg() : CDialog(kTemplate)
{
    // The pages linked are those that exist: the manual beside the program, or where it was built.
    const std::string docs = "file://" + DocumentationFolder();
    m_strInfo = "Functionality:\r\n"
                "Velquor Model Maker is a graphical user interface for constructing\r\n"
                "blocky 2D models, digitizing them to a 2D mesh, and running the\r\n"
                "Ferrovan forward-modelling code.\r\n"
                "\r\n"
                "Information:\r\n"
                "Documentation (file name): README.md\r\n"
                "Documentation (web): " +
                docs + "/README.md\r\nInversion tutorials (web): " + docs +
                "/README.md#exporting-the-data-for-an-inversion";
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_ABOUT_INFO, m_strInfo);
}

#include "platform/WinApp.h"

#include "platform/DocTemplate.h"
#include "platform/FileDialog.h"
#include "platform/FrameWnd.h"
#include "platform/MessageBox.h"

namespace {

CWinApp* g_app = nullptr;

} // namespace

CWinApp* AfxGetApp()
{
    return g_app;
}

CWinApp::CWinApp()
{
    g_app = this;
    MapCommand(ID_FILE_NEW, &CWinApp::OnFileNew);
    MapCommand(ID_FILE_OPEN, &CWinApp::OnFileOpen);
    MapCommand(ID_APP_EXIT, &CWinApp::OnAppExit);
}

CWinApp::~CWinApp()
{
    // The frame and document go before the application object they route commands to.
    m_pMainWnd = nullptr;
    m_template.reset();
    if (g_app == this)
        g_app = nullptr;
}

bool CWinApp::InitInstance()
{
    return true;
}

void CWinApp::AddDocTemplate(std::unique_ptr<CSingleDocTemplate> docTemplate)
{
    m_template = std::move(docTemplate);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const
{
    std::vector<std::string> files;
    bool options = true;
    for (const std::string& arg : m_args) {
        if (options && arg == "--") {
            options = false;
            continue;
        }
        if (options && arg.size() > 1 && arg[0] == '-') {
            info.m_nShellCommand = CCommandLineInfo::Usage;
            return;
        }
        files.push_back(arg);
    }
    if (files.size() > 1) {
        info.m_nShellCommand = CCommandLineInfo::Usage;
    } else if (files.size() == 1) {
        info.m_nShellCommand = CCommandLineInfo::FileOpen;
        info.m_strFileName = files.front();
    } else {
        info.m_nShellCommand = CCommandLineInfo::FileNew;
    }
}

bool CWinApp::ProcessShellCommand(const CCommandLineInfo& info)
{
    if (!m_template || info.m_nShellCommand == CCommandLineInfo::Usage)
        return false;
    const std::string* path = info.m_nShellCommand == CCommandLineInfo::FileOpen ? &info.m_strFileName : nullptr;
    if (!m_template->OpenDocumentFile(path))
        return false;
    m_pMainWnd = m_template->GetFrame();
    return m_pMainWnd != nullptr;
}

void CWinApp::OnFileNew()
{
    if (m_template)
        m_template->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen()
{
    CFileDialog dlg(true, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, "All Files|*.*||");
    if (dlg.DoModal() != IDOK || !m_template)
        return;
    std::string path = dlg.GetPathName();
    m_template->OpenDocumentFile(&path);
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd)
        m_pMainWnd->close();
}

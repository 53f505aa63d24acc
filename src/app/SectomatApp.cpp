#include "app/SectomatApp.h"

#include "app/Batch.h"
#include "app/Icons.h"
#include "app/MainFrame.h"
#include "app/Resource.h"
#include "dialogs/AboutDlg.h"
#include "document/SectomatDoc.h"
#include "platform/DocTemplate.h"
#include "platform/MessageBox.h"
#include "platform/QtMessageBox.h"
#include "platform/ScreenFit.h"
#include "view/SectomatView.h"

#include <QApplication>

#include <cstdio>
#include <iostream>

CSectomatApp::CSectomatApp()
{
    AfxSetStringTable(kStringTable);
    AfxSetAppName(AfxLoadString(AFX_IDS_APP_TITLE));
    MapCommand(ID_APP_ABOUT, &CSectomatApp::OnAppAbout);
}

bool CSectomatApp::InitInstance()
{
    RegisterIcons();
    AddDocTemplate(std::make_unique<CSingleDocTemplate>(
        kMainFrameResource, [] { return std::make_unique<CSectomatDoc>(); },
        [] { return std::make_unique<CMainFrame>(); }, [] { return new CSectomatView; }));

    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::Usage) {
        std::fprintf(stderr, "Usage: velquor-model-maker [MODEL-FILE]\n");
        m_nExitCode = 2;
        return false;
    }
    if (!ProcessShellCommand(cmdInfo)) {
        // Cancelling the first model's frame ends the program quietly; a file that could not
        // be opened has said why.
        m_nExitCode = cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen ? 1 : 0;
        return false;
    }
    PlaceOnScreen(*m_pMainWnd);
    m_pMainWnd->show();
    return true;
}

void CSectomatApp::OnAppAbout()
{
    CAboutDlg dlg;
    dlg.DoModal();
}

int RunSectomatApp(int argc, char** argv)
{
    // The batch mode needs no window system at all.
    const std::vector<std::string> raw(argv + 1, argv + argc);
    if (IsBatchCommandLine(raw))
        return RunBatch(raw, std::cout, std::cerr);

    QApplication qtApp(argc, argv);
    InstallQtMessageBoxHandler();
    CSectomatApp app;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i)
        app.m_args.push_back(args[i].toStdString());
    // Commands and edits report a failed allocation themselves; this catches the rest (a model
    // opened from the command line, say).
    int status = 1;
    RunReportingNoMemory([&] { status = app.InitInstance() ? QApplication::exec() : app.m_nExitCode; });
    return status;
}

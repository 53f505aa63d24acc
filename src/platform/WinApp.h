#pragma once

#include "platform/CmdTarget.h"
#include "platform/StandardIds.h"

#include <memory>
#include <string>
#include <vector>

class CFrameWnd;
class CSingleDocTemplate;

// What the command line asks for.
struct CCommandLineInfo {
    enum Command { FileNew, FileOpen, Usage };
    Command m_nShellCommand = FileNew;
    std::string m_strFileName;
};

// The application: the document template, the command line and the commands that need no
// document (New, Exit). One instance lives for the whole run.
class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;

    // Builds the application; false ends the program.
    virtual bool InitInstance();

    void AddDocTemplate(std::unique_ptr<CSingleDocTemplate> docTemplate);
    CSingleDocTemplate* GetDocTemplate() const { return m_template.get(); }

    // No argument asks for a new document, one argument opens it; anything else is a usage error.
    void ParseCommandLine(CCommandLineInfo& info) const;
    bool ProcessShellCommand(const CCommandLineInfo& info);

    // Command-line arguments after the program name, left over by Qt.
    std::vector<std::string> m_args;
    CFrameWnd* m_pMainWnd = nullptr;
    // Exit status when InitInstance fails: 0 when the user chose to end, otherwise an error.
    int m_nExitCode = 0;

protected:
    void OnFileNew();
    void OnFileOpen();
    void OnAppExit();

private:
    std::unique_ptr<CSingleDocTemplate> m_template;
};

// The running application, or null.
CWinApp* AfxGetApp();

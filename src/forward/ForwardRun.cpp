#include "forward/ForwardRun.h"

#include "forward/ForwardInput.h"
#include "model/ModelData.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"

namespace {

const char* const kForwardProgram = "ferrovan.exe";

void RemoveIfExists(const std::string& name)
{
    if (FileExists(name))
        RemoveFile(name);
}

} // namespace

bool RunForwardModel(CModelData& m)
{
    // A name the input file cannot hold stops the run while the old results are still there.
    if (!CheckForwardInputNames(m))
        return false;
    try {
        RemoveIfExists(m.m_obsDCFileName);
        if (m.m_fwdType == 1)
            RemoveIfExists(m.m_obsIPFileName);
        else if (m.m_fwdType == 2)
            RemoveIfExists(m.m_obsIPLFileName);
        // The results the Data command would show are gone now.
        m.m_bForwardDone = false;
        if (!WriteForwardInputFile(m, m.m_inpFileName))
            return false;
    } catch (const CFileException& e) {
        e.ReportError();
        return false;
    }

    if (!StartProgram(std::string(kForwardProgram) + " " + m.m_inpFileName, true)) {
        AfxMessageBox(std::string(kForwardProgram) + " not found.", MB_ICONERROR);
        return false;
    }
    bool ok = FileExists(m.m_obsDCFileName);
    if (m.m_fwdType == 1)
        ok = ok && FileExists(m.m_obsIPFileName);
    else if (m.m_fwdType == 2)
        ok = ok && FileExists(m.m_obsIPLFileName);
    if (!ok) {
        AfxMessageBox("Error occured during forward modelling.\nLook in the log file for more information.",
                      MB_ICONERROR);
        return false;
    }
    MessageBeep();
    AfxMessageBox("Forward modelling has finished.", MB_ICONINFORMATION);
    m.m_bForwardDone = true;
    return true;
}

void LaunchProgram(const std::string& commandLine)
{
    if (StartProgram(commandLine, false))
        return;
    AfxMessageBox("Could not execute program: " + commandLine.substr(0, commandLine.find(' ')), MB_ICONERROR);
}

std::string DataViewerCommandLine(const CModelData& m, bool dcModel)
{
    std::string line = "velquor-data-viewer.exe";
    if (dcModel)
        line += " " + QuoteArgument(m.m_obsDCFileName) + " /dc";
    else
        line += " " + QuoteArgument(m.m_fwdType == 2 ? m.m_obsIPLFileName : m.m_obsIPFileName) + " /ip";
    if (m.m_bTopography)
        line += " /topo=" + QuoteArgument(m.m_topoFileName);
    return line;
}

std::string ModelViewerCommandLine(const CModelData& m, bool dcModel)
{
    std::string line = "velquor-model-viewer.exe " + QuoteArgument(m.m_meshFileName) + " ";
    line += dcModel ? QuoteArgument(m.m_conFileName) : QuoteArgument(m.m_chgFileName) + " /ip";
    return line;
}

void ShowLogFile(const CModelData& m)
{
    if (!FileExists(m.m_logFileName)) {
        AfxMessageBox("Log file doesn't exist.\n" + m.m_logFileName);
        return;
    }
    LaunchProgram("notepad " + m.m_logFileName);
}

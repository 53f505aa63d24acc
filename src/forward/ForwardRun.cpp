#include "forward/ForwardRun.h"

#include "forward/ForwardInput.h"
#include "model/ModelData.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/MessageBox.h"
#include "platform/StdioFile.h"

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>
namespace {

const char* const kForwardProgram = "ferrovan.exe";
// How long the program has to end after the polite signal before it is killed.
constexpr int kGraceMs = 2000;

void RemoveIfExists(const std::string& name)
{
    if (FileExists(name))
        RemoveFile(name);
}

} // namespace

std::vector<std::string> CForwardRun::DataFileNames() const
{
    std::vector<std::string> names = {m.m_obsDCFileName};
    if (m.m_fwdType == 1)
        names.push_back(m.m_obsIPFileName);
    else if (m.m_fwdType == 2)
        names.push_back(m.m_obsIPLFileName);
    return names;
}

bool CForwardRun::Start()
{
    // A name the input file cannot hold stops the run while the old results are still there.
    if (!CheckForwardInputNames(m))
        return false;
    try {
        for (const std::string& name : DataFileNames())
            RemoveIfExists(name);
        // The results the Data command would show are gone now.
        m.m_bForwardDone = false;
        if (!WriteForwardInputFile(m, m.m_inpFileName))
            return false;
    } catch (const CFileException& e) {
        e.ReportError();
        return false;
    }
    if (!m_process.Start(std::string(kForwardProgram) + " " + QuoteArgument(m.m_inpFileName))) {
        AfxMessageBox(std::string(kForwardProgram) + " not found.", MB_ICONERROR);
        return false;
    }
    return true;
}

void CForwardRun::Cancel(int signal)
{
    m_process.End(signal, kGraceMs);
    m_cancelled = true;
    // The program writes each data file under a temporary name (".obs_dc.dat.AbC123") and
    // renames it when complete; a killed run may leave either.
    const std::vector<std::string> names = DataFileNames();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(".", ec)) {
        const std::string file = entry.path().filename().string();
        for (const std::string& name : names) {
            const bool temporary = file.size() == name.size() + 8 && file.rfind("." + name + ".", 0) == 0;
            if (file == name || temporary)
                std::filesystem::remove(entry.path(), ec);
        }
    }
    const int log = OpenReplacingLink(m.m_logFileName, O_WRONLY | O_APPEND);
    if (log >= 0) {
        static const char kNote[] = "The run was cancelled by the user.\r\n";
        // A note the log can do without: a failed write is no reason to report.
        [[maybe_unused]] const ssize_t written = ::write(log, kNote, sizeof kNote - 1);
        ::close(log);
    }
}

bool CForwardRun::Report()
{
    if (m_cancelled) {
        AfxMessageBox("Forward modelling was cancelled.", MB_ICONINFORMATION);
        return false;
    }
    // A program that failed may still have left data files; they are not its results.
    bool ok = m_process.ExitStatus() == 0;
    for (const std::string& name : DataFileNames())
        ok = ok && FileExists(name);
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

bool RunForwardModel(CModelData& m, const std::function<void(const std::string&)>& progress,
                     const std::function<int()>& stop)
{
    CForwardRun run(m);
    if (!run.Start())
        return false;
    std::vector<std::string> lines;
    for (bool running = true; running;) {
        running = run.ReadLines(100, lines);
        for (const std::string& line : lines)
            if (progress)
                progress(line);
        lines.clear();
        if (const int signal = running && stop ? stop() : 0) {
            run.Cancel(signal);
            running = false;
        }
    }
    return run.Report();
}

void LaunchProgram(const std::string& commandLine)
{
    if (StartProgram(commandLine))
        return;
    AfxMessageBox("Could not execute program: " + commandLine.substr(0, commandLine.find(' ')), MB_ICONERROR);
}

namespace {

// A file name quoted, and changed where the viewers would take it for one of their options
// ("--png", "/ip") into a name of the same file that they cannot.
std::string FileArgument(const std::string& name)
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (!name.empty() && name[0] == '-')
        return QuoteArgument("./" + name);
    if (lower == "/ip" || lower == "/dc" || lower.rfind("/topo=", 0) == 0)
        return QuoteArgument("/" + name);
    return QuoteArgument(name);
}

} // namespace

std::string DataViewerCommandLine(const CModelData& m, bool dcModel)
{
    std::string line = "velquor-data-viewer.exe";
    if (dcModel)
        line += " " + FileArgument(m.m_obsDCFileName) + " /dc";
    else
        line += " " + FileArgument(m.m_fwdType == 2 ? m.m_obsIPLFileName : m.m_obsIPFileName) + " /ip";
    if (m.m_bTopography)
        line += " /topo=" + QuoteArgument(m.m_topoFileName);
    return line;
}

std::string ModelViewerCommandLine(const CModelData& m, bool dcModel)
{
    std::string line = "velquor-model-viewer.exe " + FileArgument(m.m_meshFileName) + " ";
    line += dcModel ? FileArgument(m.m_conFileName) : FileArgument(m.m_chgFileName) + " /ip";
    return line;
}

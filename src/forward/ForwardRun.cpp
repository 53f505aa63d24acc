#include "forward/ForwardRun.h"

#include "formats/DataFile.h"
#include "formats/DoiFile.h"
#include "formats/FileNames.h"
#include "formats/ForwardInputFile.h"
#include "formats/Limits.h"
#include "formats/Text.h"

#include "forward/ForwardInput.h"
#include "model/ModelData.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/FolderLock.h"
#include "platform/Refusal.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>
namespace {

const char* const kForwardProgram = "ferrovan.exe";
// As the program is named on this system, for messages.
const char* const kForwardProgramName = "ferrovan";
// How long the program has to end after the polite signal before it is killed.
constexpr int kGraceMs = 2000;

void RemoveIfExists(const std::string& name)
{
    if (FileExists(name))
        RemoveFile(name);
}

// A line at the end of the log, which the log can do without: a failed write is no reason to
// report.
void AppendToLog(const std::string& logPath, const std::string& line)
{
    const int log = OpenReplacingLink(logPath, O_WRONLY | O_APPEND);
    if (log >= 0) {
        const std::string text = line + "\r\n";
        [[maybe_unused]] const ssize_t written = ::write(log, text.data(), text.size());
        ::close(log);
    }
}

// Why the program ended without a word of its own: the kernel's out-of-memory killer sends
// SIGKILL.
std::string KilledBy(int signal)
{
    return FormatC("%s was killed by signal %d", kForwardProgramName, signal) +
           (signal == SIGKILL ? " (the system may have run out of memory)." : ".");
}

// The lines of the program's log that start with prefix, without it; none when there is no log
// to read, which the messages built from them do without.
std::vector<std::string> LogLines(const std::string& logPath, std::string_view prefix)
{
    std::string text;
    try {
        text = ReadTextFileStart(logPath, 16 << 20);
    } catch (const std::exception&) {
        return {};
    } catch (const CFileException&) {
        return {};
    }
    std::vector<std::string> found;
    CLines lines(text);
    for (std::string_view line; lines.Next(line);)
        if (line.starts_with(prefix))
            found.emplace_back(line.substr(prefix.size()));
    return found;
}

} // namespace

std::vector<std::string> CForwardRun::DataFileNames() const
{
    if (m_designCount > 0)
        return {kDesignProtocolFileName, kDesignReportFileName};
    return ::DataFileNames(m.m_discretize.forward);
}

// The data files of every forward type and the estimate of their accuracy, which a new run
// makes stale.
std::vector<std::string> CForwardRun::ResultFileNames() const
{
    if (m_designCount > 0)
        return DataFileNames();
    std::vector<std::string> names(std::begin(kRunDataFileNames), std::end(kRunDataFileNames));
    names.insert(names.end(), std::begin(kSensitivityFileNames), std::end(kSensitivityFileNames));
    return names;
}

void CForwardRun::Start()
{
    // Another run in the folder or a name the input file cannot hold stops the run while the old
    // results are still there.
    m_lock.Take();
    CheckForwardInputNames(m);
    std::vector<std::string> written = ResultFileNames();
    for (const std::string& name : written)
        RemoveIfExists(name);
    // What a killed run, this program's or the forward program's, left half written.
    written.push_back(kInputFileName);
    RemoveLeftTemporaryFiles(written);
    // The results the Data command would show are gone now; a design leaves them.
    m_removedResults = m_designCount == 0;
    WriteForwardInputFile(m, kInputFileName, m_designCount);
    // The program runs under this lock, not one of its own, which a second run could take in between.
    std::string command = FormatC("%s %s %d", kForwardProgram, CFolderLock::kInheritedOption, kInheritedDescriptor);
    if (m_accuracyPercent)
        command += " --accuracy " + (*m_accuracyPercent > 0 ? Exact(*m_accuracyPercent) : std::string("off"));
    if (!m_process.Start(command + " " + QuoteArgument(kInputFileName), m_lock.Descriptor()))
        throw CRefusal(std::string(kForwardProgramName) + " not found.", CRefusal::error);
}

void CForwardRun::Cancel(int signal)
{
    m_process.End(signal, kGraceMs);
    m_cancelled = true;
    std::error_code ec;
    // The program writes each data file under a temporary name (".obs_dc.dat.AbC123") and
    // renames it when complete; a killed run may leave either.
    const std::vector<std::string> names = ResultFileNames();
    for (const std::string& name : names)
        std::filesystem::remove(name, ec);
    RemoveLeftTemporaryFiles(names);
    AppendToLog(kLogFileName, "The run was cancelled by the user.");
}

void CForwardRun::Finish()
{
    const bool design = m_designCount > 0;
    if (m_cancelled)
        throw CRefusal(design ? "The survey design was cancelled." : "Forward modelling was cancelled.",
                       CRefusal::news);
    // Killed, it could say nothing: this says why, in the log too.
    if (const int signal = m_process.EndSignal()) {
        RemoveLeftTemporaryFiles(ResultFileNames());
        const std::string killed = KilledBy(signal);
        AppendToLog(kLogFileName, killed);
        throw CRefusal((design ? "The survey design failed:\n" : "Error occured during forward modelling.\n") + killed,
                       CRefusal::error);
    }
    // A program that failed may still have left data files; they are not its results.
    bool ok = m_process.ExitStatus() == 0;
    for (const std::string& name : DataFileNames())
        ok = ok && FileExists(name);
    if (!ok && design) {
        // The program's reason, which for a design is mostly about what was asked of it.
        const std::vector<std::string> errors = LogLines(kLogFileName, "Error: ");
        const std::string reason = errors.empty() ? std::string() : errors.back();
        throw CRefusal(reason.empty() ? "An error occurred during the survey design.\nLook in the log file for more "
                                        "information."
                                      : "The survey design failed:\n" + reason,
                       CRefusal::error);
    }
    if (!ok)
        throw CRefusal("Error occured during forward modelling.\nLook in the log file for more information.",
                       CRefusal::error);
    if (design)
        return;
    // A line the view draws over the model; one it cannot read is simply not drawn.
    m.m_depthOfInvestigation.clear();
    if (FileExists(kDoiFileName)) {
        try {
            for (const CDoiFile::CPoint& p : CDoiFile::Read(kDoiFileName).points)
                m.m_depthOfInvestigation.emplace_back(p.x, p.z);
        } catch (const std::exception&) {
            m.m_depthOfInvestigation.clear();
        }
    }
}

void CForwardRun::Wait(const std::function<void(const std::string&)>& progress, const std::function<int()>& stop)
{
    std::vector<std::string> lines;
    for (bool running = true; running;) {
        running = ReadLines(100, lines);
        for (const std::string& line : lines)
            if (progress)
                progress(line);
        lines.clear();
        if (const int signal = running && stop ? stop() : 0) {
            Cancel(signal);
            running = false;
        }
    }
}

void RunForwardModel(CModelData& m, CFolderLock& lock, const std::function<void(const std::string&)>& progress,
                     const std::function<int()>& stop, std::optional<double> accuracyPercent)
{
    CForwardRun run(m, lock, accuracyPercent);
    run.Start();
    run.Wait(progress, stop);
    run.Finish();
}

std::string RunSurveyDesign(CModelData& m, CFolderLock& lock, int count,
                            const std::function<void(const std::string&)>& progress, const std::function<int()>& stop)
{
    CForwardRun run(m, lock, {}, count);
    run.Start();
    run.Wait(progress, stop);
    run.Finish();
    return SurveyDesignReport();
}

std::string SurveyDesignReport()
{
    std::string report = ReadTextFile(kDesignReportFileName, kMaxInputFileBytes);
    std::erase(report, '\r');
    return report;
}

namespace {

// The warnings of the program's log, but its own count of the data above the target, which the
// note gives from the estimate; the first few, and how many more.
std::string ProgramWarnings(const std::string& logPath)
{
    constexpr int kShown = 3;
    std::string shown;
    int count = 0;
    for (const std::string& warning : LogLines(logPath, "Warning: ")) {
        if (warning.find("data may be off by more than the target") != std::string::npos)
            continue;
        if (++count <= kShown)
            shown += "\n" + warning;
    }
    if (count > kShown)
        shown += FormatC("\n%d more in the log file.", count - kShown);
    return count > 0 ? "The forward-modelling program warned:" + shown : std::string();
}

// The count of the data the estimate puts above the target.
std::string DataAboveTarget(const CModelData& m, double targetPercent)
{
    if (targetPercent <= 0 || !FileExists(kErrorFileName))
        return std::string();
    try {
        const CErrorFile estimate = CErrorFile::Read(
            kErrorFileName, m.m_discretize.forward == EForwardType::dc ? EModelKind::dc : EModelKind::ip);
        size_t above = 0;
        double worst = 0;
        for (const CErrorRecord& r : estimate.data) {
            above += r.percent > targetPercent;
            worst = std::max(worst, r.percent);
        }
        if (above == 0)
            return std::string();
        const std::string upTo = FormatPercent(worst, targetPercent);
        return FormatC("The estimated error of %zu of %zu data is above %g %%, up to %s %%.\nThe estimate of every "
                       "datum is in %s, the worst data are named in the log file.",
                       above, estimate.data.size(), targetPercent, upTo.c_str(), kErrorFileName);
    } catch (const std::exception&) {
        return std::string(); // the data stand without it
    } catch (const CFileException&) {
        return std::string();
    }
}

} // namespace

std::string ForwardAccuracyNote(const CModelData& m, double targetPercent, bool programWarnings)
{
    const std::string above = DataAboveTarget(m, targetPercent);
    const std::string warned = programWarnings ? ProgramWarnings(kLogFileName) : std::string();
    return above + (!above.empty() && !warned.empty() ? "\n\n" : "") + warned;
}

void LaunchProgram(const std::string& commandLine)
{
    if (!StartProgram(commandLine))
        throw CRefusal("Could not execute program: " + commandLine.substr(0, commandLine.find(' ')), CRefusal::error);
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
    if (lower == "/ip" || lower == "/dc" || lower == "/sens" || lower.rfind("/topo=", 0) == 0 ||
        lower.rfind("/doi=", 0) == 0)
        return QuoteArgument("/" + name);
    return QuoteArgument(name);
}

} // namespace

std::string DataViewerCommandLine(const CModelData& m, EModelKind kind)
{
    std::string line = "velquor-data-viewer.exe " + FileArgument(DataFileName(m.m_discretize.forward, kind));
    line += kind == EModelKind::dc ? " /dc" : " /ip";
    if (m.m_bTopography)
        line += " /topo=" + QuoteArgument(kTopographyFileName);
    return line;
}

std::string ModelViewerCommandLine(const CModelData& m, EModelKind kind, bool forwardDone)
{
    std::string line = "velquor-model-viewer.exe " + FileArgument(m.m_meshFileName) + " ";
    line +=
        kind == EModelKind::dc ? FileArgument(kConductivityFileName) : FileArgument(kChargeabilityFileName) + " /ip";
    // The depth of investigation of the last run, over the model.
    if (forwardDone && !m.m_depthOfInvestigation.empty())
        line += " /doi=" + QuoteArgument(kDoiFileName);
    return line;
}

bool HasSensitivities()
{
    return FileExists(kSensitivityFileName);
}

std::string SensitivityViewerCommandLine(const CModelData& m)
{
    std::string line = "velquor-model-viewer.exe " + FileArgument(m.m_meshFileName) + " " +
                       FileArgument(kSensitivityFileName) + " /sens";
    if (!m.m_depthOfInvestigation.empty())
        line += " /doi=" + QuoteArgument(kDoiFileName);
    return line;
}

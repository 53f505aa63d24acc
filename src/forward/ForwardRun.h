#pragma once

#include "formats/DataFile.h"
#include "platform/Process.h"

#include <csignal>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CFolderLock;
struct CModelData;

// One run of the forward-modelling program on the discretized model in the current folder.
class CForwardRun {
public:
    // lock: the folder's, taken by Start when not yet held and handed on to the program.
    // accuracyPercent: the program's --accuracy, 0 for off; none leaves the program's default.
    // designCount: a run that chooses that many configurations by their resolution over the core
    // area instead of computing data; it leaves the data files as they are and writes a protocol
    // and a report.
    CForwardRun(CModelData& model, CFolderLock& lock, std::optional<double> accuracyPercent = {}, int designCount = 0)
        : m(model), m_lock(lock), m_accuracyPercent(accuracyPercent), m_designCount(designCount)
    {
    }

    // Locks the folder, removes the old data files of every forward type and the temporary files
    // a killed run left, writes the input file and starts "ferrovan.exe" with it and the lock,
    // its standard output to this. Raises CRefusal or CFileException when it cannot. Another run
    // in the folder or a file name that the input file cannot hold is refused before anything is
    // removed.
    void Start();
    // Whether Start removed the old data files: the results shown before are gone, whatever the
    // run then does.
    bool RemovedResults() const { return m_removedResults; }
    // The lines the program printed since the last call, waiting up to timeoutMs for something
    // to happen; false once it has ended.
    bool ReadLines(int timeoutMs, std::vector<std::string>& lines) { return m_process.ReadLines(timeoutMs, lines); }
    // Stops the run: signal to the program's process group, which is killed after a short grace;
    // then no data file of the run and no temporary file of the program is left, and the log
    // says that the user cancelled.
    void Cancel(int signal = SIGTERM);
    bool Cancelled() const { return m_cancelled; }
    pid_t ProcessGroup() const { return m_process.ProcessGroup(); }
    // How the ended run went. It succeeded when the program exited with 0 and left the data files
    // of the forward type (a design: its protocol and report); then a forward run's depth of
    // investigation is read into the model. Otherwise raises CRefusal with the text for a cancelled or a failed run; a
    // program killed by a signal is named with it, in the log too.
    void Finish();
    // Passes each line the program prints to progress until it ends, asking stop about ten times
    // a second for a signal that cancels the run (0 lets it go on).
    void Wait(const std::function<void(const std::string&)>& progress, const std::function<int()>& stop);

private:
    std::vector<std::string> DataFileNames() const;
    std::vector<std::string> ResultFileNames() const;

    CModelData& m;
    CFolderLock& m_lock;
    std::optional<double> m_accuracyPercent;
    int m_designCount = 0;
    CChildProcess m_process;
    bool m_cancelled = false;
    bool m_removedResults = false;
};

// A whole run under the folder's lock, waited for: progress gets each line the program prints,
// and stop, asked about ten times a second, gives a signal that cancels the run (0 lets it go
// on). Raises as Start and Finish do.
void RunForwardModel(CModelData& model, CFolderLock& lock, const std::function<void(const std::string&)>& progress = {},
                     const std::function<int()>& stop = {}, std::optional<double> accuracyPercent = {});

// A survey design of count configurations on the discretized model, waited for as
// RunForwardModel waits; returns its report, lines ending in LF. The protocol is kDesignProtocolFileName beside the
// model.
std::string RunSurveyDesign(CModelData& model, CFolderLock& lock, int count,
                            const std::function<void(const std::string&)>& progress = {},
                            const std::function<int()>& stop = {});

// The report of the last survey design in the current folder, lines ending in LF. Raises
// CFormatError or CFileException when it cannot be read.
std::string SurveyDesignReport();

// Starts a command line without waiting; raises CRefusal with "Could not execute program: " and
// the program's name when it cannot be started.
void LaunchProgram(const std::string& commandLine);

// After a finished run: a line saying how many data the program estimates to be off by more than
// the run's target (percent), from the estimate beside the data in the current folder, and the
// warnings of the program's log unless they were shown already; empty when there is neither.
std::string ForwardAccuracyNote(const CModelData& model, double targetPercent = kDefaultAccuracyPercent,
                                bool programWarnings = true);

// The viewers' command lines for the model shown (DC or IP), every file name quoted.
std::string DataViewerCommandLine(const CModelData& model, EModelKind kind);
// The model's, with the depth of investigation the last run wrote when it could be read and
// forwardDone says that run's results are the model's.
std::string ModelViewerCommandLine(const CModelData& model, EModelKind kind, bool forwardDone);
// Whether the folder holds the cumulative sensitivity of a run, for the model viewer.
bool HasSensitivities();
std::string SensitivityViewerCommandLine(const CModelData& model);

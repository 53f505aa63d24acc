#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Starting other programs from a command line, as the Windows tools these command lines were
// made for expect, but never through a shell: whatever a file name holds reaches the program
// as one literal argument.

// Splits a command line: blanks separate, double quotes group and are removed, 2n backslashes
// before a quote give n backslashes, 2n + 1 give n and a literal quote, "" inside quotes is a
// quote, other backslashes are literal. The first word is the program: only quotes count in it.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// word in double quotes, escaped so that SplitCommandLine gives it back exactly as any word but
// the first, whatever it holds.
std::string QuoteArgument(const std::string& word);

// Folders searched for a companion program named without a folder: the running program's
// folder, then the absolute folders of PATH. Never the current folder, the model's, where any
// file may lie.
std::vector<std::string> ProgramSearchPath();

// The executable file for name: a name with a folder as it stands, otherwise the first folder
// holding it, as written or, for a name ending in ".exe", without it. "" when none.
std::string FindProgram(const std::string& name, const std::vector<std::string>& folders);

// Where the program's companions are looked for first; by default the running program's folder.
// Tests point it at their stand-in programs.
void SetProgramFolder(const std::string& folder);
std::string GetProgramFolder();

// Starts the command line in a new process group at lower priority, inheriting the current
// folder and the environment, and returns at once; the program is reaped when it ends. False
// when it could not be started.
bool StartProgram(const std::string& commandLine);

// The descriptor that CChildProcess::Start hands on has this number in the program.
constexpr int kInheritedDescriptor = 3;

// A program run under watch, started as StartProgram starts one, its standard output read line
// by line. Destroying it ends a program still running.
class CChildProcess {
public:
    CChildProcess() = default;
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // False when the program could not be started. inherited, when given, is open in the program
    // as kInheritedDescriptor; no other descriptor of this program reaches it.
    bool Start(const std::string& commandLine, int inherited = -1);
    // Adds the lines the program has printed since the last call, without their line ends,
    // waiting up to timeoutMs for something to happen. False once the program has ended and
    // all it printed has been read.
    bool ReadLines(int timeoutMs, std::vector<std::string>& lines);
    // Sends signal to the program's process group and waits for the program; what is left of
    // the group after graceMs, or after the program, is killed.
    void End(int signal, int graceMs);

    // The program's exit code once it has ended; -1 when a signal ended it.
    int ExitStatus() const { return m_status; }
    // The signal that ended the program, or 0.
    int EndSignal() const { return m_signal; }
    // The program's process group (its process id); -1 before a start.
    pid_t ProcessGroup() const { return m_pid; }

private:
    bool Reap(bool block);
    void Drain(std::vector<std::string>& lines);

    pid_t m_pid = -1;
    int m_out = -1;
    bool m_ended = false;
    int m_status = -1;
    int m_signal = 0;
    std::string m_partial; // a line not yet ended
};

#pragma once

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
// folder and the environment. With wait, returns once the program has ended. False when it
// could not be started.
bool StartProgram(const std::string& commandLine, bool wait);

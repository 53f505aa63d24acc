#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct ProgramRun {
    int status = -1; // the exit status; -1 when it did not start or end normally
    std::string out, err;
};

// Runs program with args in the current folder, without a shell, and waits for it. Headless
// takes the display and the Qt platform out of its environment, as on a machine without one.
// watch, when given, sees the process id and the output so far whenever the program prints.
ProgramRun RunProgram(const std::string& program, std::vector<std::string> args, bool headless = false,
                      const std::function<void(pid_t, const ProgramRun&)>& watch = {});

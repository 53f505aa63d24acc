#pragma once

#include <chrono>
#include <string>
#include <vector>

// The run's log: what was read, the method, warnings, the time of each stage and, on failure,
// the reason. Kept in memory and written as a whole at the end, so that even a failed run
// leaves a complete log.
class CRunLog {
public:
    CRunLog();

    void Info(const std::string& line);
    // Also shown on standard error.
    void Warning(const std::string& line);
    void Error(const std::string& line);

    // Ends the current stage, logging its time, and starts the next.
    void Stage(const std::string& finished);

    int Warnings() const { return m_warnings; }
    double Seconds() const;
    const std::vector<std::string>& Lines() const { return m_lines; }

    // Writes the log; false, with the reason on standard error, when it cannot be written.
    bool Write(const std::string& path) const;

private:
    using Clock = std::chrono::steady_clock;
    std::vector<std::string> m_lines;
    Clock::time_point m_start;
    Clock::time_point m_stageStart;
    int m_warnings = 0;
};

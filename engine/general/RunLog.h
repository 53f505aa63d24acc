#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The run's log: what was read, the method, warnings, the time of each stage and, on failure,
// the reason. Kept in memory and, once Open has named a file, written there line by line as the
// run goes, so that a failed or killed run leaves a log that says how far it got.
class CRunLog {
public:
    // A quiet log keeps its warnings to itself: a run's side computations log there.
    explicit CRunLog(bool quiet = false);

    // Starts the log file afresh with the lines logged so far; every later line is written and
    // flushed at once, ending in CR LF. When the file cannot be opened or written, says so once on
    // standard error and keeps the log in memory only.
    void Open(const std::string& path);

    void Info(const std::string& line);
    // Also shown on standard error.
    void Warning(const std::string& line);
    void Error(const std::string& line);

    // Ends the current stage, logging its time, and starts the next.
    void Stage(const std::string& finished);

    // A line of progress ("wavenumber 3 of 14") on standard output, flushed; not logged.
    void Progress(const std::string& line);

    int Warnings() const { return m_warnings; }
    double Seconds() const;
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    void Add(const std::string& line);
    void WriteLine(const std::string& line);

    using Clock = std::chrono::steady_clock;
    std::mutex m_mutex; // the worker threads report progress
    std::vector<std::string> m_lines;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_file{nullptr, &std::fclose};
    Clock::time_point m_start;
    Clock::time_point m_stageStart;
    std::string m_path;
    std::atomic<int> m_warnings = 0;
    bool m_quiet = false;
};

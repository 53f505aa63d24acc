#include "engine/general/RunLog.h"

#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

CRunLog::CRunLog(bool quiet) : m_start(Clock::now()), m_stageStart(m_start), m_quiet(quiet) {}

void CRunLog::Open(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    m_path = path;
    // Not blocking: a named pipe without a reader in the log's place must not stop the run. A link
    // in its place is replaced, as it may lead out of the folder.
    const int fd = OpenReplacingLink(path, O_WRONLY | O_TRUNC | O_NONBLOCK);
    m_file.reset(fd < 0 ? nullptr : ::fdopen(fd, "wb"));
    if (!m_file) {
        std::fprintf(stderr, "ferrovan: The log %s cannot be written: %s.\n", path.c_str(), std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return;
    }
    for (const std::string& line : m_lines)
        WriteLine(line);
}

void CRunLog::WriteLine(const std::string& line)
{
    if (!m_file)
        return;
    std::fputs(line.c_str(), m_file.get());
    std::fputs("\r\n", m_file.get());
    if (std::fflush(m_file.get()) != 0) {
        std::fprintf(stderr, "ferrovan: The log %s cannot be written: %s.\n", m_path.c_str(), std::strerror(errno));
        m_file.reset();
    }
}

void CRunLog::Add(const std::string& line)
{
    std::lock_guard lock(m_mutex);
    m_lines.push_back(line);
    WriteLine(line);
}

void CRunLog::Info(const std::string& line)
{
    Add(line);
}

void CRunLog::Warning(const std::string& line)
{
    ++m_warnings;
    Add("Warning: " + line);
    if (!m_quiet)
        std::fprintf(stderr, "ferrovan: warning: %s\n", line.c_str());
}

void CRunLog::Error(const std::string& line)
{
    Add("Error: " + line);
    std::fprintf(stderr, "ferrovan: %s\n", line.c_str());
}

void CRunLog::Stage(const std::string& finished)
{
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - m_stageStart).count();
    Add(FormatC("  [%.3f s] %s", seconds, finished.c_str()));
    m_stageStart = now;
}

void CRunLog::Progress(const std::string& line)
{
    std::lock_guard lock(m_mutex);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

double CRunLog::Seconds() const
{
    return std::chrono::duration<double>(Clock::now() - m_start).count();
}

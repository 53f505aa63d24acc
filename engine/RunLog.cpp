#include "engine/RunLog.h"

#include "platform/FileException.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <cstdio>

CRunLog::CRunLog() : m_start(Clock::now()), m_stageStart(m_start) {}

void CRunLog::Info(const std::string& line)
{
    m_lines.push_back(line);
}

void CRunLog::Warning(const std::string& line)
{
    ++m_warnings;
    m_lines.push_back("Warning: " + line);
    std::fprintf(stderr, "ferrovan: warning: %s\n", line.c_str());
}

void CRunLog::Error(const std::string& line)
{
    m_lines.push_back("Error: " + line);
    std::fprintf(stderr, "ferrovan: %s\n", line.c_str());
}

void CRunLog::Stage(const std::string& finished)
{
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - m_stageStart).count();
    m_lines.push_back(FormatC("  [%.3f s] %s", seconds, finished.c_str()));
    m_stageStart = now;
}

double CRunLog::Seconds() const
{
    return std::chrono::duration<double>(Clock::now() - m_start).count();
}

bool CRunLog::Write(const std::string& path) const
{
    std::string text;
    for (const std::string& line : m_lines)
        text += line + "\n";
    try {
        CStdioFile file(path, CStdioFile::modeCreate | CStdioFile::modeWrite);
        file.WriteString(text);
        file.Close();
        return true;
    } catch (const CFileException& e) {
        std::fprintf(stderr, "ferrovan: the log cannot be written: %s\n", e.GetErrorMessage().c_str());
        return false;
    }
}

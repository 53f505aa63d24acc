#include "support/TempDir.h"

#include "platform/FilePath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TempDir::TempDir()
{
    std::string pattern = TempDirectory() + "/vmm-test-XXXXXX";
    if (::mkdtemp(pattern.data()))
        m_path = pattern;
    else
        ADD_FAILURE() << "cannot create a temporary folder";
}

TempDir::~TempDir()
{
    std::error_code ec;
    if (!m_path.empty()) {
        // Folders a test made unreadable must be opened again before they can be removed.
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_path, ec);
    }
}

CurrentDirGuard::CurrentDirGuard(const std::string& folder) : m_previous(GetCurrentDirectory())
{
    EXPECT_TRUE(SetCurrentDirectory(folder)) << folder;
}

CurrentDirGuard::~CurrentDirGuard()
{
    SetCurrentDirectory(m_previous);
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> FileNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string CrLf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

CommaLocale::CommaLocale()
{
    const char* current = std::setlocale(LC_ALL, nullptr);
    m_previous = current ? current : "C";
    ::setenv("LOCPATH", VMM_LOCPATH, 0);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        ADD_FAILURE() << "the de_DE.UTF-8 test locale is missing from " VMM_LOCPATH;
}

CommaLocale::~CommaLocale()
{
    std::setlocale(LC_ALL, m_previous.c_str());
}

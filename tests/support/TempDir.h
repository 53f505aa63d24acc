#pragma once

#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Makes folder the current directory and restores the previous one on destruction.
class CurrentDirGuard {
public:
    explicit CurrentDirGuard(const std::string& folder);
    ~CurrentDirGuard();
    CurrentDirGuard(const CurrentDirGuard&) = delete;
    CurrentDirGuard& operator=(const CurrentDirGuard&) = delete;

private:
    std::string m_previous;
};

// Whole-file helpers, byte for byte.
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> FileNames(const std::string& folder);
// The lines of a text, without their line ends; and lines joined, each ended by CR LF.
std::vector<std::string> Lines(const std::string& text);
std::string CrLf(const std::vector<std::string>& lines);

// Switches LC_ALL to the comma-decimal test locale for its lifetime; fails the test when the
// locale is missing.
class CommaLocale {
public:
    CommaLocale();
    ~CommaLocale();
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

private:
    std::string m_previous;
};

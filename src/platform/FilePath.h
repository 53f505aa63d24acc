#pragma once

#include <string>

// The file-name part of a path: what follows the last '/'. Only '/' separates folders here; a
// backslash is part of a name.
std::string FileNamePart(const std::string& path);

// The path with its last component removed ("" when it has none), split as FileNamePart does.
std::string RemoveLastComponent(const std::string& path);

// Compares two file names, ignoring the case of ASCII letters.
bool SameFileNameNoCase(const std::string& a, const std::string& b);
// Whether both paths name one existing file, through links and other names of its folder.
bool IsSameFile(const std::string& a, const std::string& b);

// An absolute form of path, without resolving symbolic links.
std::string AbsolutePath(const std::string& path);

// Whether path names an existing entry that is not a folder.
bool FileExists(const std::string& path);

bool SetCurrentDirectory(const std::string& folder);
std::string GetCurrentDirectory();

// Removes a file; raises CFileException on failure.
void RemoveFile(const std::string& path);

// Folder for the program's own scratch files (the tests' included).
std::string TempDirectory();

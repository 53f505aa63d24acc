#pragma once

#include <cstdio>
#include <string>

// A text file in the manner of the framework's CStdioFile. Every failure raises CFileException.
//
// Writing never touches the file it replaces until Close: the text goes to a temporary file in
// the same folder, which Close flushes to disk and renames over the target. A writer destroyed
// without Close, or a Close that fails, removes the temporary file and leaves the old one whole.
// Each "\n" written becomes CR LF, the line end of the Windows tools these files are shared with.
//
// Opening for reading only tells whether the file can be read: the shared files are read by
// formats/Text.h.
class CStdioFile {
public:
    enum OpenFlags { modeRead = 0x0, modeWrite = 0x1, modeCreate = 0x1000 };

    // Opens path for reading (modeRead) or creates it for writing (modeCreate | modeWrite).
    CStdioFile(const std::string& path, unsigned flags);
    ~CStdioFile();
    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;

    void WriteString(const std::string& text);

    // Ends a read, or commits a write.
    void Close();

    const std::string& GetFilePath() const { return m_path; }

private:
    void Discard() noexcept;

    std::string m_path;     // as the caller named it, for messages
    std::string m_target;   // the file a write replaces (symbolic links followed)
    std::string m_tempPath; // writing only
    std::FILE* m_file = nullptr;
    bool m_writing = false;
};

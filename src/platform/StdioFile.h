#pragma once

#include <cstdio>
#include <string>
#include <vector>

// A text file in the manner of the framework's CStdioFile. Every failure raises CFileException.
//
// Writing never touches the file it replaces until Close: the text goes to a temporary file in
// the same folder, which Close flushes to disk and renames over the target. A writer destroyed
// without Close, or a Close that fails, removes the temporary file and leaves the old one whole.
// A symbolic link in the target's place is replaced by the file, not written through, so that
// a folder that arrived with links cannot send the files written in it elsewhere; a writer that
// keeps the user's link names the file with FollowLink.
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
    // Writes the bytes as they are, without turning "\n" into CR LF: for a picture, say.
    void Write(const void* data, size_t count);

    // Ends a read, or commits a write.
    void Close();

private:
    void Discard() noexcept;
    // Raises the error of a failed write, after removing the temporary file.
    [[noreturn]] void FailWrite();

    std::string m_path;     // as the caller named it: the file a write replaces, and for messages
    std::string m_tempPath; // writing only
    int m_slot = -1;        // where a signal handler finds m_tempPath
    std::FILE* m_file = nullptr;
    bool m_writing = false;
};

// Writes text to path as CStdioFile does: CR LF line ends, through a temporary file renamed over
// it. Raises CFileException.
void WriteTextFile(const std::string& path, const std::string& text);

// The file path names once symbolic links are followed, also when that file does not exist yet;
// path itself when it is no link. The model file is written there, so that it stays behind the
// link the user made.
std::string FollowLink(const std::string& path);

// Opens path for writing as it goes (a log) with the open(2) flags given and O_CREAT: a symbolic
// link in its place is replaced by a new file, as CStdioFile does. The descriptor, or -1 with
// errno set.
int OpenReplacingLink(const std::string& path, int flags);

// What a CStdioFile writing path would refuse before it writes, checked without writing: a
// folder, a device or a pipe, a file or a folder that may not be written (CFileException, as the
// writer raises it) and a folder that does not exist (CRefusal naming the folder).
void CheckWritable(const std::string& path);

// Whether name is the temporary file of a CStdioFile writing target in the same folder:
// "." target "." and six letters or digits.
bool IsTemporaryFileOf(const std::string& name, const std::string& target);

// Removes the temporary files that writers of these targets left in the current folder when
// their program was killed; for a folder under a lock that keeps other writers out.
void RemoveLeftTemporaryFiles(const std::vector<std::string>& targets);

// Removes the temporary files of the writers open in this program at the moment, for a signal
// that ends it: safe in a signal handler.
void RemoveOpenTemporaryFiles() noexcept;

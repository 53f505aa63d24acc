#pragma once

#include <string>

// A file that could not be opened, read or written. Raised by CStdioFile and the file
// helpers, caught by the command that started the work and shown there with ReportError.
class CFileException {
public:
    enum Cause { generic, fileNotFound, badPath, accessDenied, diskFull, hardIO, notRegular };

    CFileException(Cause cause, std::string fileName, bool writing, int osError = 0);

    // Classifies a C library error number.
    static CFileException FromErrno(int error, const std::string& fileName, bool writing);

    // The framework's standard text for this cause, naming the file.
    std::string GetErrorMessage() const;

    // Shows the message in an error box.
    void ReportError() const;

    Cause m_cause;
    std::string m_strFileName;
    bool m_bWriting;
    int m_osError;
};

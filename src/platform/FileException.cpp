#include "platform/FileException.h"

#include "platform/MessageBox.h"

#include <cerrno>
#include <utility>

CFileException::CFileException(Cause cause, std::string fileName, bool writing, int osError)
    : m_cause(cause), m_strFileName(std::move(fileName)), m_bWriting(writing), m_osError(osError)
{
}

CFileException CFileException::FromErrno(int error, const std::string& fileName, bool writing)
{
    Cause cause = generic;
    switch (error) {
    case ENOENT:
        cause = fileNotFound;
        break;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        cause = badPath;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case EBUSY:
        cause = accessDenied;
        break;
    case ENOSPC:
    case EDQUOT:
        cause = diskFull;
        break;
    case EIO:
        cause = hardIO;
        break;
    default:
        break;
    }
    return CFileException(cause, fileName, writing, error);
}

std::string CFileException::GetErrorMessage() const
{
    const std::string& f = m_strFileName;
    switch (m_cause) {
    case fileNotFound:
    case badPath:
        return f + "\nCannot find this file.\nVerify that the correct path and file name are given.";
    case accessDenied:
        return m_bWriting ? "Unable to write to " + f + ", it is read-only or opened by someone else."
                          : "Unable to read from " + f + ", it is opened by someone else.";
    case diskFull:
        return "Disk full while accessing " + f + ".";
    case hardIO:
        return "A hardware I/O error was reported while accessing " + f + ".";
    case notRegular:
        return "Cannot write " + f + ":\nit is not a regular file but a device or a named pipe.";
    case generic:
        break;
    }
    return m_bWriting ? "An unexpected error occurred while writing " + f + "."
                      : "An unexpected error occurred while reading " + f + ".";
}

void CFileException::ReportError() const
{
    AfxMessageBox(GetErrorMessage(), MB_ICONERROR);
}

#include "platform/StdioFile.h"

#include "platform/FileException.h"
#include "platform/FilePath.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string FollowLink(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved))
        return resolved;
    ssize_t n = ::readlink(path.c_str(), resolved, sizeof resolved - 1);
    if (n <= 0)
        return path;
    std::string target(resolved, static_cast<size_t>(n));
    std::string folder = RemoveLastComponent(path);
    return target[0] == '/' || folder.empty() ? target : folder + "/" + target;
}

int OpenReplacingLink(const std::string& path, int flags)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::unlink(path.c_str()) != 0)
        return -1;
    // A link made again in between makes the open fail rather than be followed.
    return ::open(path.c_str(), flags | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
}

namespace {

mode_t NewFileMode()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

CStdioFile::CStdioFile(const std::string& path, unsigned flags) : m_path(path), m_writing((flags & modeWrite) != 0)
{
    if (!m_writing) {
        m_file = std::fopen(path.c_str(), "rb");
        if (!m_file)
            throw CFileException::FromErrno(errno, path, false);
        struct stat st;
        if (::fstat(fileno(m_file), &st) == 0 && S_ISDIR(st.st_mode)) {
            std::fclose(m_file);
            m_file = nullptr;
            throw CFileException(CFileException::accessDenied, path, false, EISDIR);
        }
        return;
    }

    mode_t mode = NewFileMode();
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        // Refuse what an in-place write would refuse: a folder, or a file we may not write.
        if (S_ISDIR(st.st_mode))
            throw CFileException(CFileException::accessDenied, path, true, EISDIR);
        // The new file would replace the node itself: a device or a pipe is never written over.
        if (!S_ISREG(st.st_mode))
            throw CFileException(CFileException::notRegular, path, true);
        if (::access(path.c_str(), W_OK) != 0)
            throw CFileException::FromErrno(errno, path, true);
        mode = st.st_mode & 07777;
    }

    std::string folder = RemoveLastComponent(path);
    std::string name = FileNamePart(path);
    m_tempPath = (folder.empty() ? std::string() : folder + "/") + "." + name + ".XXXXXX";
    int fd = ::mkstemp(m_tempPath.data());
    if (fd < 0) {
        int error = errno;
        m_tempPath.clear();
        throw CFileException::FromErrno(error, path, true);
    }
    ::fchmod(fd, mode);
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        int error = errno;
        ::close(fd);
        Discard();
        throw CFileException::FromErrno(error, path, true);
    }
}

CStdioFile::~CStdioFile()
{
    if (m_writing)
        Discard();
    else if (m_file)
        std::fclose(m_file);
}

void CStdioFile::Discard() noexcept
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

void CStdioFile::WriteString(const std::string& text)
{
    if (!m_file)
        throw CFileException(CFileException::generic, m_path, true);
    size_t start = 0;
    while (start < text.size()) {
        size_t newline = text.find('\n', start);
        size_t end = newline == std::string::npos ? text.size() : newline;
        if (std::fwrite(text.data() + start, 1, end - start, m_file) != end - start)
            break;
        if (newline != std::string::npos && std::fputs("\r\n", m_file) == EOF)
            break;
        start = end + 1;
    }
    if (std::ferror(m_file))
        FailWrite();
}

void CStdioFile::Write(const void* data, size_t count)
{
    if (!m_file)
        throw CFileException(CFileException::generic, m_path, true);
    if (std::fwrite(data, 1, count, m_file) != count)
        FailWrite();
}

void CStdioFile::FailWrite()
{
    int error = errno;
    Discard();
    throw CFileException::FromErrno(error, m_path, true);
}

void CStdioFile::Close()
{
    if (!m_writing) {
        if (m_file)
            std::fclose(m_file);
        m_file = nullptr;
        return;
    }
    if (!m_file)
        throw CFileException(CFileException::generic, m_path, true);
    int error = 0;
    if (std::fflush(m_file) != 0 || ::fsync(fileno(m_file)) != 0)
        error = errno;
    if (std::fclose(m_file) != 0 && error == 0)
        error = errno;
    m_file = nullptr;
    if (error == 0 && std::rename(m_tempPath.c_str(), m_path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        Discard();
        throw CFileException::FromErrno(error, m_path, true);
    }
    m_tempPath.clear();
}

void WriteTextFile(const std::string& path, const std::string& text)
{
    CStdioFile file(path, CStdioFile::modeCreate | CStdioFile::modeWrite);
    file.WriteString(text);
    file.Close();
}

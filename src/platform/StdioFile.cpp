#include "platform/StdioFile.h"

#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/Refusal.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

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

// Refuses what an in-place write would refuse: a folder, a device or a pipe, whose node the new
// file would replace, or a file we may not write. Gives the mode of the file replaced, or of a
// new file.
mode_t CheckTarget(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode))
        return NewFileMode();
    if (S_ISDIR(st.st_mode))
        throw CFileException(CFileException::accessDenied, path, true, EISDIR);
    if (!S_ISREG(st.st_mode))
        throw CFileException(CFileException::notRegular, path, true);
    if (::access(path.c_str(), W_OK) != 0)
        throw CFileException::FromErrno(errno, path, true);
    return st.st_mode & 07777;
}

// The temporary files being written, for a signal handler: fixed slots that it reads without a
// lock or an allocation. A slot is free (0), being filled or emptied (1) or holds a path (2).
struct CTemporarySlot {
    std::atomic<int> state{0};
    char path[PATH_MAX];
};
CTemporarySlot g_temporaries[32];

// The slot now holding path, or -1 when none was free or the path is too long: the next run
// clears such a file.
int HoldTemporary(const std::string& path)
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < int(std::size(g_temporaries)); ++i) {
        int free = 0;
        if (g_temporaries[i].state.compare_exchange_strong(free, 1)) {
            std::memcpy(g_temporaries[i].path, path.c_str(), path.size() + 1);
            g_temporaries[i].state.store(2);
            return i;
        }
    }
    return -1;
}

void LetGoTemporary(int slot)
{
    if (slot >= 0)
        g_temporaries[slot].state.store(0);
}

} // namespace

void CheckWritable(const std::string& path)
{
    CheckTarget(path);
    const std::string folder = path.find('/') == std::string::npos ? "." : RemoveLastComponent(path);
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw CRefusal("Cannot write " + path + ":\nthe folder " + folder + " does not exist.");
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        throw CFileException::FromErrno(errno, path, true);
}

bool IsTemporaryFileOf(const std::string& name, const std::string& target)
{
    if (name.size() != target.size() + 8 || name[0] != '.' || name.compare(1, target.size(), target) != 0 ||
        name[target.size() + 1] != '.')
        return false;
    for (size_t i = target.size() + 2; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

void RemoveLeftTemporaryFiles(const std::vector<std::string>& targets)
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(".", ec)) {
        const std::string name = entry.path().filename().string();
        for (const std::string& target : targets)
            if (IsTemporaryFileOf(name, target) && entry.is_regular_file(ec))
                std::filesystem::remove(entry.path(), ec);
    }
}

void RemoveOpenTemporaryFiles() noexcept
{
    for (CTemporarySlot& slot : g_temporaries)
        if (slot.state.load() == 2)
            ::unlink(slot.path);
}

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

    const mode_t mode = CheckTarget(path);
    std::string folder = RemoveLastComponent(path);
    std::string name = FileNamePart(path);
    m_tempPath = (folder.empty() ? std::string() : folder + "/") + "." + name + ".XXXXXX";
    // A signal that ends the program between the file's creation and its slot would leave it
    // behind: none is taken in between.
    sigset_t all, previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &previous);
    int fd = ::mkstemp(m_tempPath.data());
    const int error = errno;
    if (fd >= 0)
        m_slot = HoldTemporary(m_tempPath);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0) {
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
    LetGoTemporary(std::exchange(m_slot, -1));
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
    LetGoTemporary(std::exchange(m_slot, -1));
}

void WriteTextFile(const std::string& path, const std::string& text)
{
    CStdioFile file(path, CStdioFile::modeCreate | CStdioFile::modeWrite);
    file.WriteString(text);
    file.Close();
}

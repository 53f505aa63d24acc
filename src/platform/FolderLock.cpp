#include "platform/FolderLock.h"

#include "platform/FilePath.h"
#include "platform/Refusal.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

void CFolderLock::Take(bool create)
{
    const std::string folder = GetCurrentDirectory();
    if (Held() && folder == m_folder)
        return;
    Release();
    struct stat st;
    if (!create && ::lstat(kFileName, &st) != 0)
        return;
    // A link in the lock file's place is replaced, as for every file written in the folder.
    const int fd = OpenReplacingLink(kFileName, O_RDWR);
    if (fd < 0)
        throw CRefusal(FormatC("The lock file %s cannot be created in the folder %s: %s.", kFileName, folder.c_str(),
                               std::strerror(errno)),
                       CRefusal::error);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            throw CRefusal("Another run is using the folder " + folder + ".");
        throw CRefusal(FormatC("The lock file %s cannot be locked in the folder %s: %s.", kFileName, folder.c_str(),
                               std::strerror(error)),
                       CRefusal::error);
    }
    m_fd = fd;
    m_folder = folder;
}

bool CFolderLock::Adopt(int fd)
{
    Release();
    struct stat held, file;
    if (fd < 0 || ::fstat(fd, &held) != 0 || ::lstat(kFileName, &file) != 0 || !S_ISREG(file.st_mode) ||
        held.st_dev != file.st_dev || held.st_ino != file.st_ino)
        return false;
    // On the description its starter locked this only confirms the lock; on another description
    // of the file it fails while anyone holds the lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    m_fd = fd;
    m_folder = GetCurrentDirectory();
    return true;
}

void CFolderLock::Release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_folder.clear();
}

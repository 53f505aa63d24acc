#pragma once

#include <string>

// The lock of a model's folder against a second run: an exclusive flock on its ferrovan.lock.
// The model maker holds it from the first file a discretization erases or writes through the
// forward run and the export, ferrovan for its run; a second run is refused before it touches
// anything. The file stays, as removing it would race with the next run's lock.
class CFolderLock {
public:
    static constexpr const char* kFileName = "ferrovan.lock";
    // ferrovan's option that names the descriptor of the lock it inherited from the program that
    // started it.
    static constexpr const char* kInheritedOption = "--lock-fd";

    CFolderLock() = default;
    ~CFolderLock() { Release(); }
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

    // Locks the current folder; nothing more when this already holds its lock. Without create,
    // only when the lock file exists, so that an early look leaves no file behind. Raises
    // CRefusal naming the folder when another run holds it or its lock file cannot be made or
    // locked.
    void Take(bool create = true);
    // Takes on the lock that the program which started this one holds: true when fd is open on
    // the current folder's lock file (the same device and inode) and holds its lock; otherwise
    // false and nothing is held.
    bool Adopt(int fd);
    // Closes the descriptor without unlocking: a program started with it keeps the lock until it
    // ends, and an adopted lock stays its starter's.
    void Release();

    bool Held() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }

private:
    int m_fd = -1;
    std::string m_folder;
};

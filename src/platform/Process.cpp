#include "platform/Process.h"

#include "platform/FilePath.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace {

std::string& ProgramFolderOverride()
{
    static std::string folder;
    return folder;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsExecutableFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Starts the command line's program in a process group of its own, its standard output to out
// and inherited as kInheritedDescriptor when they are given. The process id, or -1.
pid_t Spawn(const std::string& commandLine, int out = -1, int inherited = -1)
{
    std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty())
        return -1;
    const std::string program = FindProgram(words[0], ProgramSearchPath());
    if (program.empty())
        return -1;
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    // A copy above the number it takes in the program: a dup2 onto itself would leave it
    // close-on-exec.
    const int passed = inherited >= 0 ? ::fcntl(inherited, F_DUPFD_CLOEXEC, kInheritedDescriptor + 1) : -1;
    if (inherited >= 0 && passed < 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out >= 0)
        posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    if (passed >= 0)
        posix_spawn_file_actions_adddup2(&actions, passed, kInheritedDescriptor);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (passed >= 0)
        ::close(passed);
    if (error != 0)
        return -1;

    // Below the user interface's own priority, as a long run should not make it sluggish.
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, 0);
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(pid), std::min(nice + 5, 19));
    return pid;
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& line)
{
    std::vector<std::string> words;
    size_t i = 0;
    const size_t n = line.size();
    while (i < n && IsBlank(line[i]))
        ++i;
    if (i >= n)
        return words;

    // The program's name: quotes group, nothing is escaped.
    std::string program;
    bool quoted = false;
    for (; i < n && (quoted || !IsBlank(line[i])); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else
            program += line[i];
    }
    words.push_back(program);

    for (;;) {
        while (i < n && IsBlank(line[i]))
            ++i;
        if (i >= n)
            break;
        std::string word;
        quoted = false;
        while (i < n && (quoted || !IsBlank(line[i]))) {
            if (line[i] == '\\') {
                size_t backslashes = 0;
                while (i < n && line[i] == '\\') {
                    ++backslashes;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    word.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        word += '"';
                        ++i;
                    }
                } else {
                    word.append(backslashes, '\\');
                }
                continue;
            }
            if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    word += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            word += line[i++];
        }
        words.push_back(word);
    }
    return words;
}

std::string QuoteArgument(const std::string& word)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : word) {
        if (c == '\\') {
            ++backslashes;
        } else {
            // Backslashes before a quote are doubled and the quote escaped; others stay literal.
            if (c == '"')
                quoted.append(backslashes + 1, '\\');
            backslashes = 0;
        }
        quoted += c;
    }
    // Before the closing quote they are doubled too.
    quoted.append(backslashes, '\\');
    return quoted + "\"";
}

void SetProgramFolder(const std::string& folder)
{
    ProgramFolderOverride() = folder;
}

std::string GetProgramFolder()
{
    if (!ProgramFolderOverride().empty())
        return ProgramFolderOverride();
    char path[PATH_MAX];
    ssize_t len = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (len <= 0)
        return "";
    return RemoveLastComponent(std::string(path, static_cast<size_t>(len)));
}

std::vector<std::string> ProgramSearchPath()
{
    std::vector<std::string> folders = {GetProgramFolder()};
    // An empty or relative entry of PATH would mean the current folder.
    if (const char* path = std::getenv("PATH")) {
        const std::string all = path;
        for (size_t start = 0; start <= all.size();) {
            const size_t colon = std::min(all.find(':', start), all.size());
            if (colon > start && all[start] == '/')
                folders.push_back(all.substr(start, colon - start));
            start = colon + 1;
        }
    }
    return folders;
}

std::string FindProgram(const std::string& name, const std::vector<std::string>& folders)
{
    if (name.empty())
        return "";
    std::vector<std::string> candidates = {name};
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
        candidates.push_back(name.substr(0, name.size() - 4));
    if (name.find('/') != std::string::npos) {
        for (const std::string& c : candidates)
            if (IsExecutableFile(c))
                return c;
        return "";
    }
    // Folder by folder, so that a "ferrovan.exe" further on never wins over the "ferrovan"
    // beside this program.
    for (const std::string& folder : folders)
        for (const std::string& c : candidates)
            if (!folder.empty() && IsExecutableFile(folder + "/" + c))
                return folder + "/" + c;
    return "";
}

bool StartProgram(const std::string& commandLine)
{
    const pid_t pid = Spawn(commandLine);
    if (pid < 0)
        return false;
    // Nothing waits for the program, so that it leaves no zombie behind a thread does.
    std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

CChildProcess::~CChildProcess()
{
    End(SIGKILL, 0);
}

bool CChildProcess::Start(const std::string& commandLine, int inherited)
{
    int pipe[2];
    if (m_pid >= 0 || ::pipe2(pipe, O_CLOEXEC) != 0)
        return false;
    m_pid = Spawn(commandLine, pipe[1], inherited);
    ::close(pipe[1]);
    if (m_pid < 0) {
        ::close(pipe[0]);
        return false;
    }
    m_out = pipe[0];
    ::fcntl(m_out, F_SETFL, ::fcntl(m_out, F_GETFL) | O_NONBLOCK);
    return true;
}

void CChildProcess::Drain(std::vector<std::string>& lines)
{
    char buffer[4096];
    ssize_t got = 0;
    while (m_out >= 0 && (got = ::read(m_out, buffer, sizeof buffer)) != 0) {
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN)
                return;
            break;
        }
        m_partial.append(buffer, static_cast<size_t>(got));
        for (size_t end; (end = m_partial.find('\n')) != std::string::npos;) {
            lines.push_back(m_partial.substr(0, end > 0 && m_partial[end - 1] == '\r' ? end - 1 : end));
            m_partial.erase(0, end + 1);
        }
    }
    // The end of the output, or a pipe that cannot be read.
    ::close(m_out);
    m_out = -1;
}

bool CChildProcess::Reap(bool block)
{
    if (m_ended)
        return true;
    if (m_pid < 0)
        return false;
    int status = 0;
    pid_t got;
    while ((got = ::waitpid(m_pid, &status, block ? 0 : WNOHANG)) < 0 && errno == EINTR) {
    }
    if (got == 0)
        return false;
    m_ended = true;
    m_status = got == m_pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m_signal = got == m_pid && WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return true;
}

bool CChildProcess::ReadLines(int timeoutMs, std::vector<std::string>& lines)
{
    if (m_pid < 0 || (m_ended && m_out < 0))
        return false;
    // Once its output has ended the program is about to end too: looked for again soon.
    pollfd fd = {m_out, POLLIN, 0};
    ::poll(&fd, m_out >= 0 ? 1 : 0, m_out >= 0 ? timeoutMs : std::min(timeoutMs, 10));
    Drain(lines);
    if (!Reap(false))
        return true;
    // The program is gone: what it printed last is read, but whatever else holds the pipe open
    // is not waited for.
    if (m_out >= 0) {
        Drain(lines);
        ::close(m_out);
        m_out = -1;
    }
    if (!m_partial.empty())
        lines.push_back(m_partial);
    m_partial.clear();
    return false;
}

void CChildProcess::End(int signal, int graceMs)
{
    if (m_pid >= 0 && !m_ended) {
        ::kill(-m_pid, signal);
        for (int waited = 0; !Reap(false) && waited < graceMs; waited += 10)
            ::usleep(10000);
        if (!m_ended) {
            ::kill(-m_pid, SIGKILL);
            Reap(true);
        }
        // Anything the program started in its group goes with it.
        ::kill(-m_pid, SIGKILL);
    }
    if (m_out >= 0) {
        ::close(m_out);
        m_out = -1;
    }
}

#include "platform/Process.h"

#include "platform/FilePath.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Programs started and not waited for; reaped as they end so that none lingers as a zombie.
std::vector<pid_t>& Launched()
{
    static std::vector<pid_t> pids;
    return pids;
}

void ReapLaunched()
{
    auto& pids = Launched();
    for (size_t i = 0; i < pids.size();) {
        if (::waitpid(pids[i], nullptr, WNOHANG) != 0) {
            pids[i] = pids.back();
            pids.pop_back();
        } else {
            ++i;
        }
    }
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

bool StartProgram(const std::string& commandLine, bool wait)
{
    ReapLaunched();
    std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty())
        return false;
    const std::vector<std::string> folders = ProgramSearchPath();
    std::string program = FindProgram(words[0], folders);
    // The Windows editor stands for the desktop's own opener of text files.
    if (program.empty() && (words[0] == "notepad" || words[0] == "notepad.exe")) {
        program = FindProgram("xdg-open", folders);
        words[0] = "xdg-open";
    }
    if (program.empty())
        return false;

    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = 0;
    int error = posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return false;

    // Below the user interface's own priority, as a long run should not make it sluggish.
    errno = 0;
    int nice = ::getpriority(PRIO_PROCESS, 0);
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(pid), std::min(nice + 5, 19));

    if (!wait) {
        Launched().push_back(pid);
        return true;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

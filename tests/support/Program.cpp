#include "support/Program.h"

#include <gtest/gtest.h>

#include <utility>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ProgramRun RunProgram(const std::string& program, std::vector<std::string> args, bool headless,
                      const std::function<void(pid_t, const ProgramRun&)>& watch)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool display = false;
        for (const char* name : {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "XDG_RUNTIME_DIR="})
            display = display || entry.rfind(name, 0) == 0;
        if (!headless || !display)
            env.push_back(entry);
    }
    args.insert(args.begin(), program);
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int out[2], err[2];
    EXPECT_TRUE(::pipe(out) == 0 && ::pipe(err) == 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    for (int fd : {out[0], out[1], err[0], err[1]})
        posix_spawn_file_actions_addclose(&actions, fd);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    ProgramRun run;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&run.out, &run.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        ::poll(fds, 2, -1);
        for (int i = 0; i < 2; ++i) {
            char buffer[4096];
            const ssize_t got = fds[i].revents ? ::read(fds[i].fd, buffer, sizeof buffer) : -1;
            if (got > 0)
                texts[i]->append(buffer, static_cast<size_t>(got));
            else if (got == 0)
                ::close(std::exchange(fds[i].fd, -1));
        }
        if (watch && spawned == 0)
            watch(pid, run);
    }
    EXPECT_EQ(spawned, 0) << program;
    int status = 0;
    if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    return run;
}

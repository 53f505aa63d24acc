// Stands in for the external programs. Follows standin-script.txt in its current folder, a step
// a line: "> TEXT" prints TEXT on standard output, "sleep MS" waits, "pid" writes its process id
// to standin-pid.txt, "exit N" sets its exit status, "kill N" sends it signal N, "NAME = TEXT"
// writes TEXT into the file NAME, and any other line names a file to create.
// Then it appends its arguments, one a line and then "--", to standin-args.txt, and exits.
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    // The steps first, so that a test that sees the arguments also sees the results.
    int status = 0;
    std::ifstream script("standin-script.txt");
    for (std::string step; std::getline(script, step);) {
        if (step.rfind("> ", 0) == 0)
            std::cout << step.substr(2) << std::endl;
        else if (step.rfind("sleep ", 0) == 0)
            ::usleep(static_cast<useconds_t>(std::stoi(step.substr(6)) * 1000));
        else if (step == "pid")
            std::ofstream("standin-pid.txt") << ::getpid();
        else if (step.rfind("exit ", 0) == 0)
            status = std::stoi(step.substr(5));
        else if (step.rfind("kill ", 0) == 0) {
            // The default action, not a sanitizer's handler, which would end the program with
            // its own abort instead.
            const int signal = std::stoi(step.substr(5));
            std::signal(signal, SIG_DFL);
            ::raise(signal);
        } else if (const size_t is = step.find(" = "); is != std::string::npos)
            std::ofstream(step.substr(0, is)) << step.substr(is + 3) << "\n";
        else if (!step.empty())
            std::ofstream(step) << "written by the stand-in\n";
    }

    std::string record;
    for (int i = 0; i < argc; ++i)
        record += std::string(argv[i]) + "\n";
    record += "--\n";
    // One write, so that a test polling for the record never reads half of it.
    int fd = ::open("standin-args.txt", O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0 || ::write(fd, record.data(), record.size()) != static_cast<ssize_t>(record.size()))
        return 1;
    ::close(fd);
    return status;
}

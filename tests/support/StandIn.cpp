// Stands in for the external programs: appends its arguments, one a line and then "--", to
// standin-args.txt in its current folder, creates every file named in standin-writes.txt there,
// and exits 0.
#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    // The files to write first, so that a test that sees the arguments also sees the results.
    std::ifstream writes("standin-writes.txt");
    for (std::string name; std::getline(writes, name);)
        if (!name.empty())
            std::ofstream(name) << "written by the stand-in\n";

    std::string record;
    for (int i = 0; i < argc; ++i)
        record += std::string(argv[i]) + "\n";
    record += "--\n";
    // One write, so that a test polling for the record never reads half of it.
    int fd = ::open("standin-args.txt", O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0 || ::write(fd, record.data(), record.size()) != static_cast<ssize_t>(record.size()))
        return 1;
    ::close(fd);
    return 0;
}

// Stands in for the forward-modelling program: reads the input file named on its command line
// and writes a data file for every configuration of its locations file, DC always and IP or IPL
// as the input asks, in the program's own format. The values vary smoothly with the electrodes;
// the estimated error of each is the target of --accuracy, and with off there is no estimate.
// Sensitivity files named by the input get 1 in every cell and a depth of investigation of 10.
// A survey design writes the configurations k, k + 3, k + 1, k + 2 from k = 1 as its protocol.
// It runs only under the folder's lock, handed on by --lock-fd and held by its starter.
#include "formats/DataFile.h"
#include "formats/DoiFile.h"
#include "formats/FileNames.h"
#include "formats/ForwardInputFile.h"
#include "formats/LocationsFile.h"
#include "formats/MeshFile.h"
#include "formats/ProtocolFile.h"
#include "formats/ValuesFile.h"
#include "platform/StdioFile.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether fd is open on the folder's lock file, which another description holds locked.
bool UnderTheFolderLock(int fd)
{
    struct stat inherited, file;
    const int other = ::open("ferrovan.lock", O_RDWR | O_CLOEXEC);
    const bool held = other >= 0 && ::flock(other, LOCK_EX | LOCK_NB) != 0;
    if (other >= 0)
        ::close(other);
    return held && ::fstat(fd, &inherited) == 0 && ::stat("ferrovan.lock", &file) == 0 &&
           inherited.st_dev == file.st_dev && inherited.st_ino == file.st_ino;
}

} // namespace

int main(int argc, char** argv)
{
    std::string target = "0.5";
    int lock = -1;
    for (int i = 1; i + 2 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--accuracy")
            target = argv[i + 1];
        else if (option == "--lock-fd")
            lock = std::atoi(argv[i + 1]);
    }
    if (argc < 2 || !UnderTheFolderLock(lock))
        return 2;
    try {
        const CForwardInputFile input = CForwardInputFile::Read(argv[argc - 1]);
        if (input.design.count > 0) {
            CProtocolFile protocol;
            for (int k = 1; k <= input.design.count; ++k)
                protocol.data.push_back({k, k + 3, k + 1, k + 2, 0});
            protocol.Write(input.protocolFile);
            WriteTextFile(input.designFile,
                          "Survey design of the stand-in: " + std::to_string(input.design.count) + " configurations\n");
            return 0;
        }
        CDataFile dc, ip;
        CErrorFile error;
        ip.ip = error.ip = input.type != EForwardType::dc;
        for (const CQuadrupole& q : CLocationsFile::Read(input.locationsFile).data) {
            const double rho = 100 + q.a, eta = 0.01 + q.m / 10000;
            dc.data.push_back({q.a, q.b, q.m, q.n, rho / 50, rho});
            ip.data.push_back({q.a, q.b, q.m, q.n, 0, eta});
            error.data.push_back({q.a, q.b, q.m, q.n, target == "off" ? 0 : std::stod(target)});
        }
        dc.Write("obs_dc.dat");
        if (target != "off")
            error.Write(kErrorFileName);
        if (input.type != EForwardType::dc)
            ip.Write(input.type == EForwardType::dcIp ? "obs_ip.dat" : "obs_ipL.dat");
        if (!input.sensitivityFile.empty()) {
            const CMeshFile mesh = CMeshFile::Read(input.meshFile);
            const std::vector<float> ones(static_cast<size_t>(mesh.x.Cells()) * mesh.z.Cells(), 1.0f);
            CValuesFile::Write(input.sensitivityFile, mesh.x.Cells(), mesh.z.Cells(), ones);
        }
        if (!input.doiFile.empty())
            CDoiFile{{{0, 10, 10}, {100, 10, 10}}}.Write(input.doiFile);
    } catch (...) {
        return 1;
    }
    return 0;
}

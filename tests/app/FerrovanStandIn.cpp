// Stands in for the forward-modelling program: reads the input file named on its command line
// and writes a data file for every configuration of its locations file, DC always and IP or IPL
// as the input asks, in the program's own format. The values vary smoothly with the electrodes.
#include "formats/DataFile.h"
#include "formats/ForwardInputFile.h"
#include "formats/LocationsFile.h"

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    try {
        const CForwardInputFile input = CForwardInputFile::Read(argv[1]);
        CDataFile dc, ip;
        ip.ip = true;
        for (const CQuadrupole& q : CLocationsFile::Read(input.locationsFile).data) {
            const double rho = 100 + q.a, eta = 0.01 + q.m / 10000;
            dc.data.push_back({q.a, q.b, q.m, q.n, rho / 50, rho});
            ip.data.push_back({q.a, q.b, q.m, q.n, 0, eta});
        }
        dc.Write("obs_dc.dat");
        if (input.type != CForwardInputFile::dc)
            ip.Write(input.type == CForwardInputFile::ip ? "obs_ip.dat" : "obs_ipL.dat");
    } catch (...) {
        return 1;
    }
    return 0;
}

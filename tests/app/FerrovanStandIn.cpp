// Stands in for the forward-modelling program: reads the input file named on its command line
// and writes a data file for every configuration of its locations file, DC always and IP or IPL
// as the input asks, in the program's own format. The values vary smoothly with the electrodes.
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    std::ifstream input(argv[1]);
    std::string line, locations, type = "DC";
    while (std::getline(input, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("LOC LOC_X ", 0) == 0)
            locations = line.substr(10);
        else if (line.rfind("FWD ", 0) == 0)
            type = line.substr(4);
    }
    std::ifstream in(locations);
    std::ofstream dc("obs_dc.dat", std::ios::binary);
    std::ofstream ip(type == "DC" ? "" : type == "IP" ? "obs_ip.dat" : "obs_ipL.dat", std::ios::binary);
    dc << "! A B M N V/I(ohm) rho_a(ohm m)\r\n";
    if (type != "DC")
        ip << "! A B M N eta_a\r\n";
    while (std::getline(in, line)) {
        double a, b, m, n;
        std::istringstream fields(line);
        if (line.empty() || line[0] == '#' || line[0] == '!' || !(fields >> a >> b >> m >> n))
            continue;
        const double rho = 100 + a, eta = 0.01 + m / 10000;
        dc << a << " " << b << "  " << m << " " << n << "  " << rho / 50 << " " << rho << "\r\n";
        if (type != "DC")
            ip << a << " " << b << "  " << m << " " << n << "  " << eta << "\r\n";
    }
    return dc && in.eof() ? 0 : 1;
}

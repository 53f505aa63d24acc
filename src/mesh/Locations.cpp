#include "mesh/Locations.h"

#include "mesh/Limits.h"
#include "model/ModelData.h"
#include "platform/MessageBox.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

bool WriteLocationsFile(CModelData& model, int& n, double& arrayLength, double a, int& transmitters, int& data)
{
    const double x1 = model.m_coreX1, x2 = model.m_coreX2;
    const int type = model.m_arrayType;
    const double R = (x2 - x1) / a;
    // Transmitter positions that leave room for at least one receiver.
    const double room = type == 0 ? R : type == 1 ? R - 2 : R - 1;
    if (!(room < kMaxTransmitters + 1.0)) {
        AfxMessageBox(FormatC("The a-spacing of %g is too small for this model:\nit would give more than %i "
                              "transmitters.",
                              a, kMaxTransmitters));
        return false;
    }
    const int nmax = std::max(0, static_cast<int>(std::trunc(room)));

    CStdioFile file(model.m_locFileName, CStdioFile::modeCreate | CStdioFile::modeWrite);
    std::string text = FormatC("#%i %g %i %i %g\n", n, a, type, model.m_cellsPerElectrode, model.m_aspectRatio);
    data = 0;
    if (n > nmax) {
        AfxMessageBox(
            FormatC("The value of %i entered for n is too large for this model.\nIt has been reduced to %i.", n, nmax));
        n = nmax;
        model.m_n = nmax;
    }
    const int spacings = type == 0 ? n : type == 1 ? n + 2 : n + 1;
    arrayLength = spacings * a;
    text += type == 0 ? "!pole-pole\n" : type == 1 ? "!dipole-dipole\n" : "!pole-dipole\n";

    for (int i = 0; i < nmax; ++i) {
        double A, s;
        switch (type) {
        case 0:
            A = x1 + i * a;
            s = (x2 - A) / a;
            break;
        case 1:
            A = x1 + i * a;
            s = (x2 - A) / a - 2;
            break;
        case 3:
            A = x2 - (nmax - 1 - i) * a;
            s = (A - x1) / a - 1;
            break;
        default:
            A = x1 + i * a;
            s = (x2 - A) / a - 1;
            break;
        }
        for (int k = 1; k <= n && k <= s; ++k) {
            double B = A, M, N;
            switch (type) {
            case 0:
                M = N = A + k * a;
                break;
            case 1:
                B = A + a;
                M = B + k * a;
                N = M + a;
                break;
            case 3:
                M = A - k * a;
                N = M - a;
                break;
            default:
                M = A + k * a;
                N = M + a;
                break;
            }
            text += FormatC("%g %g  %g %g\n", A, B, M, N);
            ++data;
        }
        // Flush in pieces: a large survey need not sit in memory whole.
        if (text.size() > (1 << 16)) {
            file.WriteString(text);
            text.clear();
        }
    }
    file.WriteString(text);
    file.Close();
    transmitters = nmax;
    return true;
}

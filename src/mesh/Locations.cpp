#include "mesh/Locations.h"

#include "formats/LocationsFile.h"
#include "mesh/Limits.h"
#include "model/ModelData.h"
#include "platform/MessageBox.h"
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

    CLocationsFile file;
    file.header = {n, a, type, model.m_cellsPerElectrode, model.m_aspectRatio};
    if (n > nmax) {
        AfxMessageBox(
            FormatC("The value of %i entered for n is too large for this model.\nIt has been reduced to %i.", n, nmax));
        n = nmax;
        model.m_n = nmax;
    }
    const int spacings = type == 0 ? n : type == 1 ? n + 2 : n + 1;
    arrayLength = spacings * a;

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
            if (file.data.size() >= static_cast<size_t>(kMaxData)) {
                AfxMessageBox(FormatC("The survey would have more than %i data.\nChoose a larger a-spacing or a "
                                      "smaller n.",
                                      kMaxData));
                return false;
            }
            file.data.push_back({A, B, M, N});
        }
    }
    file.Write(model.m_locFileName);
    transmitters = nmax;
    data = static_cast<int>(file.data.size());
    return true;
}

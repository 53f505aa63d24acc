#include "mesh/Locations.h"

#include "formats/LocationsFile.h"
#include "mesh/Limits.h"
#include "model/ModelData.h"
#include "platform/Refusal.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

CSurveyPlan PlanSurvey(CModelData& model)
{
    CSurveyPlan survey;
    CSurveySize& size = survey.size;
    CLocationsFile& file = survey.file;
    int& n = size.n;
    n = model.m_discretize.n;
    const double a = model.m_discretize.aSpacing;
    const double x1 = model.m_coreX1, x2 = model.m_coreX2;
    const EArray array = model.m_discretize.array;
    const double R = (x2 - x1) / a;
    // Transmitter positions that leave room for at least one receiver.
    const double room = array == EArray::polePole ? R : array == EArray::dipoleDipole ? R - 2 : R - 1;
    if (!(room < kMaxTransmitters + 1.0))
        throw CRefusal(FormatC("The a-spacing of %g is too small for this model:\nit would give more than %i "
                               "transmitters.",
                               a, kMaxTransmitters));
    const int nmax = std::max(0, static_cast<int>(std::trunc(room)));

    file.header = {n, a, static_cast<int>(array), model.m_discretize.cellsPerElectrode, model.m_discretize.aspectRatio};
    if (n > nmax) {
        size.warnings.push_back(
            FormatC("The value of %i entered for n is too large for this model.\nIt has been reduced to %i.", n, nmax));
        n = nmax;
        model.m_discretize.n = nmax;
    }
    const int spacings = array == EArray::polePole ? n : array == EArray::dipoleDipole ? n + 2 : n + 1;
    size.arrayLength = spacings * a;

    for (int i = 0; i < nmax; ++i) {
        double A, s;
        switch (array) {
        case EArray::polePole:
            A = x1 + i * a;
            s = (x2 - A) / a;
            break;
        case EArray::dipoleDipole:
            A = x1 + i * a;
            s = (x2 - A) / a - 2;
            break;
        case EArray::poleDipoleLeft:
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
            switch (array) {
            case EArray::polePole:
                M = N = A + k * a;
                break;
            case EArray::dipoleDipole:
                B = A + a;
                M = B + k * a;
                N = M + a;
                break;
            case EArray::poleDipoleLeft:
                M = A - k * a;
                N = M - a;
                break;
            default:
                M = A + k * a;
                N = M + a;
                break;
            }
            if (file.data.size() >= static_cast<size_t>(kMaxData))
                throw CRefusal(FormatC("The survey would have more than %i data.\nChoose a larger a-spacing or a "
                                       "smaller n.",
                                       kMaxData));
            file.data.push_back({A, B, M, N});
        }
    }
    size.transmitters = nmax;
    size.data = static_cast<int>(file.data.size());
    return survey;
}

CSurveySize WriteLocationsFile(CModelData& model)
{
    const CSurveyPlan survey = PlanSurvey(model);
    survey.file.Write(model.m_locFileName);
    return survey.size;
}

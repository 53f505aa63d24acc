#include "model/ColourScale.h"

#include "model/Element.h"
#include "platform/TextFormat.h"

#include <cmath>

std::array<COLORREF, 61> BuildColourTable()
{
    std::array<COLORREF, 61> table{};
    int r = 255, g = 70, b = 0;
    auto part = [](double fraction, double scale) { return static_cast<int>(std::sqrt(fraction) * scale); };
    // Colour number i (1 to 61) is built in order and stored at 61 - i.
    for (int i = 1; i <= 61; ++i) {
        if (i <= 11)
            b = part((11 - i) / 10.0, 150);
        else if (i <= 21)
            g = part((i - 11) / 10.0, 255);
        else if (i <= 31)
            r = part((31 - i) / 10.0, 255);
        else if (i <= 41)
            b = part((i - 31) / 10.0, 255);
        else if (i <= 51)
            g = part((51 - i) / 10.0, 255);
        else
            b = part((61 - i) / 10.0 * 0.667 + 0.3, 255);
        table[61 - i] = RGB(r, g, b);
    }
    return table;
}

int ColourIndex(double v, double min, double max)
{
    const double factor = 60.0 / (max - min);
    const double index = std::trunc((v - min) * factor);
    // An empty range gives NaN, which counts as below the table.
    if (!(index >= 0))
        return 0;
    return index > 60 ? 60 : static_cast<int>(index);
}

void FoldIntoRange(double v, double& min, double& max)
{
    if (v < min)
        min = v;
    if (v > max)
        max = v;
}

std::string ModelTitle(EModelKind kind, bool conductivity, bool log10)
{
    if (kind == EModelKind::ip)
        return "Chargeability Model";
    return std::string(log10 ? "Log " : "") + (conductivity ? "Conductivity Model" : "Resistivity Model");
}

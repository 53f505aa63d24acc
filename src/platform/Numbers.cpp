#include "platform/Numbers.h"

#include <climits>
#include <cmath>

int RoundToInt(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (x <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return x > 0 ? static_cast<int>(x + 0.5) : static_cast<int>(x - 0.5);
}

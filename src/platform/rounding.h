#pragma once

#include <cfenv>
#include <cmath>

// Whole-number rounding of the program: halves go to the even neighbour (22.5 gives 22).
inline long long roundHalfEven(double v)
{
    const double r = std::nearbyint(v); // default rounding mode is to nearest, ties to even
    return static_cast<long long>(r);
}

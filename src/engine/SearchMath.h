#pragma once

#include <cmath>
#include <cstdint>

// Truncation toward zero of a count computed in doubles, saturating instead of
// overflowing: a cap far beyond any piece count stays harmlessly large.
inline int64_t TruncCount(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 9.0e18)
        return INT64_C(9000000000000000000);
    if (v <= -9.0e18)
        return -INT64_C(9000000000000000000);
    return int64_t(v);
}

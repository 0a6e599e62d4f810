#include "face/linear_solve.h"

#include <cmath>
#include <utility>

namespace mugwarp {

bool solveLinear(std::vector<std::vector<double>>& a) {
    const std::size_t n = a.size();
    const std::size_t width = n ? a[0].size() : 0;
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < n; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (!(std::fabs(a[pivot][col]) >= 1e-12)) return false;
        std::swap(a[col], a[pivot]);
        for (std::size_t r = col + 1; r < n; ++r) {
            const double f = a[r][col] / a[col][col];
            if (f == 0) continue;
            for (std::size_t c = col; c < width; ++c) a[r][c] -= f * a[col][c];
        }
    }
    for (std::size_t col = n; col-- > 0;) {
        for (std::size_t k = n; k < width; ++k) {
            double v = a[col][k];
            for (std::size_t c = col + 1; c < n; ++c) v -= a[col][c] * a[c][k];
            a[col][k] = v / a[col][col];
        }
    }
    return true;
}

}  // namespace mugwarp

#pragma once
#include <vector>

namespace mugwarp {

// Solves the n x n system held in the first n columns of rows, for the
// right-hand sides held in the columns after them (overwritten with the
// solutions), by Gaussian elimination with partial pivoting. Returns false
// when the system is singular (a pivot below 1e-12).
bool solveLinear(std::vector<std::vector<double>>& rows);

}  // namespace mugwarp

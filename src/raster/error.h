#pragma once
#include <stdexcept>
#include <string>

namespace mugwarp {

// Every failure the user may see travels as an Error carrying the text shown in
// the message box; the application catches it once, at its edge.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace mugwarp

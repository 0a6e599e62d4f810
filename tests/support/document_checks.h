#pragma once
// Checks on a whole document shared by the document and window tests.
#include "document/document.h"

namespace mugwarp::test {

// The deformation is all zero at the source's size: the display shows the
// picture itself.
inline bool deformationIsIdentity(const Document& document) {
    const DisplacementMap& map = document.deformation();
    if (map.width() != document.source().width() || map.height() != document.source().height()) return false;
    for (int y = 0; y < map.height(); ++y)
        for (int x = 0; x < map.width(); ++x)
            if (!(map.vector(x, y) == FixedVector{})) return false;
    return true;
}

}  // namespace mugwarp::test

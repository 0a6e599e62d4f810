#include "document/freeze_mask.h"

#include <algorithm>
#include <cstring>

#include "document/canvas_operations.h"

namespace mugwarp {

ByteMap stretchedMask(const ByteMap& mask, int width, int height) {
    if (mask.width() == 0 || mask.height() == 0) return {};
    ByteMap out(width, height);
    std::vector<int> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) columns[static_cast<std::size_t>(x)] = static_cast<int>(static_cast<long long>(x) * mask.width() / width);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = mask.row(static_cast<int>(static_cast<long long>(y) * mask.height() / height));
        std::uint8_t* to = out.row(y);
        for (int x = 0; x < width; ++x) to[x] = from[columns[static_cast<std::size_t>(x)]];
    }
    return out;
}

ByteMap rotatedMask(const ByteMap& mask, Rotation rotation) {
    const int w = mask.width();
    const int h = mask.height();
    if (w == 0 || h == 0) return {};
    if (rotation == Rotation::HalfTurn) {
        ByteMap out(w, h);
        for (int y = 0; y < h; ++y) std::reverse_copy(mask.row(y), mask.row(y) + w, out.row(h - 1 - y));
        return out;
    }
    ByteMap out(h, w);
    const bool clockwise = rotation == Rotation::Clockwise;
    for (int y = 0; y < w; ++y) {
        std::uint8_t* to = out.row(y);
        // Clockwise, the new row y is the old column y read bottom to top;
        // counter-clockwise, the old column w - 1 - y read top to bottom.
        for (int x = 0; x < h; ++x) to[x] = clockwise ? mask.value(y, h - 1 - x) : mask.value(w - 1 - y, x);
    }
    return out;
}

ByteMap croppedMask(const ByteMap& mask, const Rect& crop) {
    const Rect area = crop.intersected(mask.bounds());
    if (area.isEmpty()) return {};
    ByteMap out(area.width(), area.height());
    for (int y = area.top; y < area.bottom; ++y) std::copy(mask.row(y) + area.left, mask.row(y) + area.right, out.row(y - area.top));
    return out;
}

ByteMap invertedMask(const ByteMap& mask, int width, int height) {
    if (mask.width() == 0 || mask.height() == 0) {
        ByteMap out(width, height);
        out.fill(255);
        return out;
    }
    ByteMap out(mask.width(), mask.height());
    for (int y = 0; y < mask.height(); ++y) {
        const std::uint8_t* from = mask.row(y);
        std::uint8_t* to = out.row(y);
        for (int x = 0; x < mask.width(); ++x) to[x] = static_cast<std::uint8_t>(255 - from[x]);
    }
    return out;
}

bool anyFrozen(const ByteMap& mask) {
    for (int y = 0; y < mask.height(); ++y) {
        if (std::any_of(mask.row(y), mask.row(y) + mask.width(), [](std::uint8_t v) { return v != 0; })) return true;
    }
    return false;
}

Rect changedCells(const ByteMap& before, const ByteMap& after) {
    const int w = after.width();
    const std::size_t bytes = static_cast<std::size_t>(w);
    Rect changed{w, 0, 0, 0};
    bool found = false;
    for (int y = 0; y < after.height(); ++y) {
        const std::uint8_t* a = before.row(y);
        const std::uint8_t* b = after.row(y);
        if (std::memcmp(a, b, bytes) == 0) continue;
        int first = 0;
        while (a[first] == b[first]) ++first;
        int last = w - 1;
        while (a[last] == b[last]) --last;
        if (!found) changed.top = y;
        found = true;
        changed.bottom = y + 1;
        changed.left = std::min(changed.left, first);
        changed.right = std::max(changed.right, last + 1);
    }
    return found ? changed : Rect{};
}

MaskPatch MaskPatch::cut(const ByteMap& mask, const Rect& rect) {
    MaskPatch patch{mask.width(), mask.height(), rect.intersected(mask.bounds()), {}};
    patch.cells.resize(static_cast<std::size_t>(patch.rect.width()) * std::max(patch.rect.height(), 0));
    for (int y = patch.rect.top; y < patch.rect.bottom; ++y) {
        std::copy(mask.row(y) + patch.rect.left, mask.row(y) + patch.rect.right,
                  patch.cells.data() + static_cast<std::size_t>(y - patch.rect.top) * patch.rect.width());
    }
    return patch;
}

void MaskPatch::putInto(ByteMap& mask) const {
    if (mask.width() != width || mask.height() != height) {
        ByteMap resized(width, height);
        mask = std::move(resized);
    }
    for (int y = rect.top; y < rect.bottom; ++y) {
        const std::uint8_t* from = cells.data() + static_cast<std::size_t>(y - rect.top) * rect.width();
        std::copy(from, from + rect.width(), mask.row(y) + rect.left);
    }
}

void FreezeMaskStep::show(const MaskPatch& patch) {
    // Both maps take the patch: the copy stays what the mask is between steps.
    const auto fits = [&](const ByteMap& m) { return m.width() == patch.width && m.height() == patch.height; };
    if (fits(mask_) && fits(kept_)) {
        patch.putInto(mask_);
        patch.putInto(kept_);
        return;
    }
    ByteMap mask = mask_;
    patch.putInto(mask);
    ByteMap kept = mask;
    mask_ = std::move(mask);
    kept_ = std::move(kept);
}

}  // namespace mugwarp

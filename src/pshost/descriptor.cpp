#include "pshost/descriptor.h"

#include <algorithm>
#include <cstring>

#include "pshost/byte_access.h"

namespace mugwarp {

namespace {

using namespace descriptor_type;

constexpr std::uint8_t kMagic[4] = {'M', 'W', 'D', 'S'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 12;
constexpr std::size_t kItemHeaderBytes = 12;

void putDouble(std::vector<std::uint8_t>& out, double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    appendLe64(out, bits);
}
double readDouble(std::span<const std::uint8_t> b, std::size_t at) {
    const std::uint64_t bits = readLe64(b, at);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

std::vector<std::uint8_t> payloadOf(const Descriptor::Item& item) {
    std::vector<std::uint8_t> p;
    switch (item.type) {
    case kInteger:
    case kCount:
        appendLe32(p, std::uint32_t(item.integer));
        break;
    case kFloat:
        putDouble(p, item.number);
        break;
    case kUnitFloat:
        appendLe32(p, item.code);
        putDouble(p, item.number);
        break;
    case kBoolean:
        p.push_back(item.integer ? 1 : 0);
        break;
    case kEnumerated:
        appendLe32(p, item.code);
        appendLe32(p, item.enumValue);
        break;
    case kClass:
    case kScopedClass:
        appendLe32(p, item.code);
        break;
    case kObject:
    case kScopedObject: {
        p = item.object ? item.object->toBytes() : Descriptor().toBytes();
        p.insert(p.begin(), 4, 0);
        for (int i = 0; i < 4; ++i) p[std::size_t(i)] = std::uint8_t(item.code >> (8 * i));
        break;
    }
    default:  // text, alias, raw data, reference, and types kept as they came
        p = item.bytes;
        break;
    }
    return p;
}

std::optional<Descriptor> parseAt(std::span<const std::uint8_t> b, int depth);

// One item's payload; false when it does not have its type's shape.
bool readPayload(Descriptor::Item& item, std::span<const std::uint8_t> p, int depth) {
    const std::size_t n = p.size();
    switch (item.type) {
    case kInteger:
        if (n != 4) return false;
        item.integer = std::int32_t(readLe32(p, 0));
        return true;
    case kCount:
        if (n != 4) return false;
        item.integer = readLe32(p, 0);
        return true;
    case kFloat:
        if (n != 8) return false;
        item.number = readDouble(p, 0);
        return true;
    case kUnitFloat:
        if (n != 12) return false;
        item.code = readLe32(p, 0);
        item.number = readDouble(p, 4);
        return true;
    case kBoolean:
        if (n != 1 || p[0] > 1) return false;
        item.integer = p[0];
        return true;
    case kEnumerated:
        if (n != 8) return false;
        item.code = readLe32(p, 0);
        item.enumValue = readLe32(p, 4);
        return true;
    case kClass:
    case kScopedClass:
        if (n != 4) return false;
        item.code = readLe32(p, 0);
        return true;
    case kObject:
    case kScopedObject: {
        if (n < 4) return false;
        item.code = readLe32(p, 0);
        auto nested = parseAt(p.subspan(4), depth + 1);
        if (!nested) return false;
        item.object = std::make_shared<const Descriptor>(std::move(*nested));
        return true;
    }
    case kReference:
        if (n != kReferenceBytes) return false;
        item.bytes.assign(p.begin(), p.end());
        return true;
    default:  // text, alias, raw data and any type we do not interpret
        item.bytes.assign(p.begin(), p.end());
        return true;
    }
}

std::optional<Descriptor> parseAt(std::span<const std::uint8_t> b, int depth) {
    if (depth > kMaxDescriptorDepth || b.size() < kHeaderBytes || b.size() > kMaxDescriptorBytes) return std::nullopt;
    if (!std::equal(std::begin(kMagic), std::end(kMagic), b.begin()) || readLe32(b, 4) != kVersion) return std::nullopt;
    const std::uint32_t count = readLe32(b, 8);
    // Every item takes at least its header: a count beyond that is a lie.
    if (count > (b.size() - kHeaderBytes) / kItemHeaderBytes) return std::nullopt;
    Descriptor d;
    std::size_t at = kHeaderBytes;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!fits(at, kItemHeaderBytes, b.size())) return std::nullopt;
        Descriptor::Item item;
        item.key = readLe32(b, at);
        item.type = readLe32(b, at + 4);
        const std::uint32_t length = readLe32(b, at + 8);
        at += kItemHeaderBytes;
        if (!fits(at, length, b.size())) return std::nullopt;
        if (!readPayload(item, b.subspan(at, length), depth)) return std::nullopt;
        at += length;
        d.put(std::move(item));
    }
    if (at != b.size()) return std::nullopt;
    return d;
}

}  // namespace

const Descriptor::Item* Descriptor::find(FourCharCode key) const {
    const auto found = std::find_if(items_.begin(), items_.end(), [key](const Item& i) { return i.key == key; });
    return found == items_.end() ? nullptr : &*found;
}

void Descriptor::put(Item item) {
    const auto found = std::find_if(items_.begin(), items_.end(), [&](const Item& i) { return i.key == item.key; });
    if (found != items_.end()) {
        *found = std::move(item);
    } else {
        items_.push_back(std::move(item));
    }
}

std::vector<std::uint8_t> Descriptor::toBytes() const {
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    appendLe32(out, kVersion);
    appendLe32(out, std::uint32_t(items_.size()));
    for (const Item& item : items_) {
        const std::vector<std::uint8_t> payload = payloadOf(item);
        appendLe32(out, item.key);
        appendLe32(out, item.type);
        appendLe32(out, std::uint32_t(payload.size()));
        out.insert(out.end(), payload.begin(), payload.end());
    }
    return out;
}

bool Descriptor::operator==(const Descriptor& other) const {
    // Two descriptors are equal when they would be stored alike.
    return toBytes() == other.toBytes();
}

std::optional<Descriptor> parseDescriptor(std::span<const std::uint8_t> bytes) { return parseAt(bytes, 0); }

}  // namespace mugwarp

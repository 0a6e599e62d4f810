#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pshost/four_char_code.h"

namespace mugwarp {

// The value types a filter's scripting parameters can hold, by their
// four-character type codes.
namespace descriptor_type {
constexpr FourCharCode kInteger = fourCharCode("long");
constexpr FourCharCode kFloat = fourCharCode("doub");
constexpr FourCharCode kUnitFloat = fourCharCode("UntF");
constexpr FourCharCode kBoolean = fourCharCode("bool");
constexpr FourCharCode kText = fourCharCode("TEXT");
constexpr FourCharCode kAlias = fourCharCode("alis");
constexpr FourCharCode kEnumerated = fourCharCode("enum");
constexpr FourCharCode kClass = fourCharCode("type");
constexpr FourCharCode kScopedClass = fourCharCode("GlbC");
constexpr FourCharCode kObject = fourCharCode("Objc");
constexpr FourCharCode kScopedObject = fourCharCode("GlbO");
constexpr FourCharCode kReference = fourCharCode("obj ");
constexpr FourCharCode kCount = fourCharCode("cnt ");
constexpr FourCharCode kRawData = fourCharCode("tdta");
}  // namespace descriptor_type

// A filter's scripting parameters: keyed values in the order they were put,
// one per key (putting a key again replaces its value in place). Objects hold
// descriptors of their own.
//
// Its bytes (what a descriptor handle holds, what the runner protocol and the
// settings files carry), all little-endian:
//   "MWDS"  u32 version (1)  u32 item count  items...
//   item:   u32 key  u32 type  u32 payload length  payload
// payloads: integer, count i32/u32; float f64; unit float u32 unit + f64;
// boolean u8; text, alias, raw data the bytes; enumerated u32 type + u32
// value; class u32; object u32 class + a whole nested descriptor; reference
// its 276-byte record. parseDescriptor checks every length, so bytes from a
// file or a filter are safe to read.
class Descriptor {
public:
    struct Item {
        FourCharCode key = 0;
        FourCharCode type = 0;
        std::int64_t integer = 0;         // integer, boolean, count
        double number = 0;                // float, unit float
        FourCharCode code = 0;            // unit, enumeration type, class
        FourCharCode enumValue = 0;       // enumerated
        std::vector<std::uint8_t> bytes;  // text, alias, raw data, reference
        std::shared_ptr<const Descriptor> object;
    };

    const std::vector<Item>& items() const { return items_; }
    bool empty() const { return items_.empty(); }
    const Item* find(FourCharCode key) const;
    // Adds the item, or replaces the value of the item with its key.
    void put(Item item);

    std::vector<std::uint8_t> toBytes() const;
    bool operator==(const Descriptor& other) const;

private:
    std::vector<Item> items_;
};

// Limits that keep a hostile descriptor from costing more than a settings
// file may hold.
constexpr std::size_t kMaxDescriptorBytes = std::size_t(1) << 18;  // 256 KiB
constexpr int kMaxDescriptorDepth = 8;
constexpr std::size_t kReferenceBytes = 276;

// Nothing when the bytes are not a well-formed descriptor within the limits.
std::optional<Descriptor> parseDescriptor(std::span<const std::uint8_t> bytes);

}  // namespace mugwarp

#include "pshost/descriptor_procs.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "pshost/descriptor.h"
#include "pshost/host_memory.h"

namespace mugwarp {

namespace {

using namespace abi;
using namespace descriptor_type;
using Item = Descriptor::Item;

// A zero-terminated key array longer than this is not a key array.
constexpr int kMaxExpectedKeys = 4096;
constexpr DescriptorUnitID kNoUnit = fourCharCode("#Nne");

struct WriteToken {
    Descriptor descriptor;
};
struct ReadToken {
    Descriptor descriptor;
    std::size_t next = 0;          // the item getKey hands out next
    const Item* current = nullptr; // the item the get procedures read
    DescriptorKeyID* expected = nullptr;
    OSErr error = kNoErr;          // the first failed read, for close
};

// Open tokens, process-wide like the memory handles: a filter runs on one
// thread and may keep a token from one call to the next within a run.
std::unordered_map<const void*, std::unique_ptr<WriteToken>>& writers() {
    static std::unordered_map<const void*, std::unique_ptr<WriteToken>> table;
    return table;
}
std::unordered_map<const void*, std::unique_ptr<ReadToken>>& readers() {
    static std::unordered_map<const void*, std::unique_ptr<ReadToken>> table;
    return table;
}

WriteToken* writerOf(PIWriteDescriptor token) {
    const auto found = writers().find(token);
    return found == writers().end() ? nullptr : found->second.get();
}
ReadToken* readerOf(PIReadDescriptor token) {
    const auto found = readers().find(token);
    return found == readers().end() ? nullptr : found->second.get();
}

// Nothing may unwind through a filter's frames.
template <typename F>
OSErr guarded(F&& f) {
    try {
        return f();
    } catch (...) {
        return kMemFullErr;
    }
}

HostMemory& memory() { return HostMemory::instance(); }

std::optional<std::vector<std::uint8_t>> bytesOfHandle(Handle h) {
    if (!h || !memory().isHandle(h)) return std::nullopt;
    const std::size_t size = memory().size(h);
    const auto* data = reinterpret_cast<const std::uint8_t*>(*h);
    return std::vector<std::uint8_t>(data, data + size);
}

Handle handleWith(const std::vector<std::uint8_t>& bytes) {
    const Handle h = memory().allocate(bytes.size());
    if (h && !bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
    return h;
}

// --- Writing ------------------------------------------------------------------
OSErr put(PIWriteDescriptor token, Item item) {
    return guarded([&]() -> OSErr {
        WriteToken* w = writerOf(token);
        if (!w) return kParamErr;
        w->descriptor.put(std::move(item));
        return kNoErr;
    });
}
Item item(DescriptorKeyID key, DescriptorTypeID type) {
    Item i;
    i.key = key;
    i.type = type;
    return i;
}

PIWriteDescriptor openWrite() {
    try {
        auto token = std::make_unique<WriteToken>();
        const auto id = reinterpret_cast<PIWriteDescriptor>(token.get());
        writers().emplace(id, std::move(token));
        return id;
    } catch (...) {
        return nullptr;
    }
}
OSErr closeWrite(PIWriteDescriptor token, PIDescriptorHandle* out) {
    return guarded([&]() -> OSErr {
        const auto found = writers().find(token);
        if (found == writers().end()) return kParamErr;
        const std::vector<std::uint8_t> bytes = found->second->descriptor.toBytes();
        writers().erase(found);
        if (!out) return kNoErr;
        *out = nullptr;
        if (bytes.size() > kMaxDescriptorBytes) return kMemFullErr;
        *out = handleWith(bytes);
        return *out ? kNoErr : kMemFullErr;
    });
}
OSErr putInteger(PIWriteDescriptor t, DescriptorKeyID key, std::int32_t value) {
    Item i = item(key, kInteger);
    i.integer = value;
    return put(t, std::move(i));
}
OSErr putFloat(PIWriteDescriptor t, DescriptorKeyID key, const double* value) {
    if (!value) return kParamErr;
    Item i = item(key, kFloat);
    i.number = *value;
    return put(t, std::move(i));
}
OSErr putUnitFloat(PIWriteDescriptor t, DescriptorKeyID key, DescriptorUnitID unit, const double* value) {
    if (!value) return kParamErr;
    Item i = item(key, kUnitFloat);
    i.code = unit;
    i.number = *value;
    return put(t, std::move(i));
}
OSErr putBoolean(PIWriteDescriptor t, DescriptorKeyID key, Boolean value) {
    Item i = item(key, kBoolean);
    i.integer = value ? 1 : 0;
    return put(t, std::move(i));
}
OSErr putBytes(PIWriteDescriptor t, DescriptorKeyID key, DescriptorTypeID type, Handle h) {
    return guarded([&]() -> OSErr {
        auto bytes = bytesOfHandle(h);
        if (!bytes) return kNilHandleErr;
        Item i = item(key, type);
        i.bytes = std::move(*bytes);
        return put(t, std::move(i));
    });
}
OSErr putText(PIWriteDescriptor t, DescriptorKeyID key, Handle h) { return putBytes(t, key, kText, h); }
OSErr putAlias(PIWriteDescriptor t, DescriptorKeyID key, Handle h) { return putBytes(t, key, kAlias, h); }
OSErr putEnumerated(PIWriteDescriptor t, DescriptorKeyID key, DescriptorEnumTypeID type, DescriptorEnumID value) {
    Item i = item(key, kEnumerated);
    i.code = type;
    i.enumValue = value;
    return put(t, std::move(i));
}
OSErr putClassOfType(PIWriteDescriptor t, DescriptorKeyID key, DescriptorTypeID type, DescriptorClassID value) {
    Item i = item(key, type);
    i.code = value;
    return put(t, std::move(i));
}
OSErr putClass(PIWriteDescriptor t, DescriptorKeyID key, DescriptorClassID value) {
    return putClassOfType(t, key, kClass, value);
}
OSErr putScopedClass(PIWriteDescriptor t, DescriptorKeyID key, DescriptorClassID value) {
    return putClassOfType(t, key, kScopedClass, value);
}
OSErr putReference(PIWriteDescriptor t, DescriptorKeyID key, const PIDescriptorSimpleReference* reference) {
    if (!reference) return kParamErr;
    Item i = item(key, kReference);
    const auto* raw = reinterpret_cast<const std::uint8_t*>(reference);
    i.bytes.assign(raw, raw + sizeof(PIDescriptorSimpleReference));
    return put(t, std::move(i));
}
OSErr putObjectOfType(PIWriteDescriptor t, DescriptorKeyID key, DescriptorTypeID type, DescriptorClassID cls,
                      PIDescriptorHandle h) {
    return guarded([&]() -> OSErr {
        const auto bytes = bytesOfHandle(h);
        if (!bytes) return kNilHandleErr;
        auto nested = parseDescriptor(*bytes);
        if (!nested) return kParamErr;
        Item i = item(key, type);
        i.code = cls;
        i.object = std::make_shared<const Descriptor>(std::move(*nested));
        return put(t, std::move(i));
    });
}
OSErr putObject(PIWriteDescriptor t, DescriptorKeyID key, DescriptorClassID cls, PIDescriptorHandle h) {
    return putObjectOfType(t, key, kObject, cls, h);
}
OSErr putScopedObject(PIWriteDescriptor t, DescriptorKeyID key, DescriptorClassID cls, PIDescriptorHandle h) {
    return putObjectOfType(t, key, kScopedObject, cls, h);
}
OSErr putCount(PIWriteDescriptor t, DescriptorKeyID key, std::uint32_t count) {
    Item i = item(key, kCount);
    i.integer = count;
    return put(t, std::move(i));
}
OSErr putString(PIWriteDescriptor t, DescriptorKeyID key, const unsigned char* pascal) {
    if (!pascal) return kParamErr;
    Item i = item(key, kText);
    i.bytes.assign(pascal + 1, pascal + 1 + pascal[0]);
    return put(t, std::move(i));
}

// --- Reading --------------------------------------------------------------------
// Takes a key the filter has now been given out of its array of expected
// keys, so that what is left at close is what was missing.
void crossOff(DescriptorKeyID* expected, DescriptorKeyID key) {
    if (!expected) return;
    for (int i = 0; i < kMaxExpectedKeys && expected[i] != 0; ++i) {
        if (expected[i] != key) continue;
        for (int j = i; j < kMaxExpectedKeys && expected[j] != 0; ++j) expected[j] = expected[j + 1];
        return;
    }
}

PIReadDescriptor openRead(PIDescriptorHandle h, DescriptorKeyID* expected) {
    try {
        const auto bytes = bytesOfHandle(h);
        if (!bytes) return nullptr;
        auto token = std::make_unique<ReadToken>();
        // Bytes that are not a descriptor read as one without keys.
        if (auto d = parseDescriptor(*bytes)) token->descriptor = std::move(*d);
        token->expected = expected;
        const auto id = reinterpret_cast<PIReadDescriptor>(token.get());
        readers().emplace(id, std::move(token));
        return id;
    } catch (...) {
        return nullptr;
    }
}
OSErr closeRead(PIReadDescriptor token) {
    return guarded([&]() -> OSErr {
        const auto found = readers().find(token);
        if (found == readers().end()) return kParamErr;
        const OSErr error = found->second->error;
        readers().erase(found);
        return error;
    });
}
Boolean getKey(PIReadDescriptor token, DescriptorKeyID* key, DescriptorTypeID* type, std::int32_t* flags) {
    ReadToken* r = readerOf(token);
    if (!r || r->next >= r->descriptor.items().size()) {
        if (r) r->current = nullptr;
        return 0;
    }
    r->current = &r->descriptor.items()[r->next++];
    if (key) *key = r->current->key;
    if (type) *type = r->current->type;
    if (flags) *flags = 0;
    crossOff(r->expected, r->current->key);
    return 1;
}

// The item under the read position if its type is one of `types`; the error
// otherwise, which close reports too.
template <typename F>
OSErr read(PIReadDescriptor token, std::initializer_list<DescriptorTypeID> types, F&& use) {
    return guarded([&]() -> OSErr {
        ReadToken* r = readerOf(token);
        if (!r) return kParamErr;
        OSErr result = kMissingParameter;
        if (r->current) {
            result = std::find(types.begin(), types.end(), r->current->type) != types.end() ? use(*r->current)
                                                                                           : OSErr(kWrongType);
        }
        if (result < 0 && r->error == kNoErr) r->error = result;
        return result;
    });
}

double numberOf(const Item& i) { return i.type == kInteger ? double(i.integer) : i.number; }
std::int32_t roundedInteger(double d) {
    if (!(d == d)) return 0;  // not a number
    return std::int32_t(std::lround(std::clamp(d, double(INT32_MIN), double(INT32_MAX))));
}
std::int32_t integerOf(const Item& i) {
    return i.type == kInteger || i.type == kCount ? std::int32_t(i.integer) : roundedInteger(i.number);
}

OSErr getInteger(PIReadDescriptor t, std::int32_t* out) {
    return read(t, {kInteger, kFloat, kUnitFloat, kCount}, [&](const Item& i) -> OSErr {
        if (out) *out = integerOf(i);
        return kNoErr;
    });
}
OSErr getFloat(PIReadDescriptor t, double* out) {
    return read(t, {kFloat, kInteger, kUnitFloat}, [&](const Item& i) -> OSErr {
        if (out) *out = numberOf(i);
        return kNoErr;
    });
}
OSErr getUnitFloat(PIReadDescriptor t, DescriptorUnitID* unit, double* out) {
    return read(t, {kUnitFloat, kFloat, kInteger}, [&](const Item& i) -> OSErr {
        if (unit) *unit = i.type == kUnitFloat ? i.code : kNoUnit;
        if (out) *out = numberOf(i);
        return kNoErr;
    });
}
OSErr getBoolean(PIReadDescriptor t, Boolean* out) {
    return read(t, {kBoolean}, [&](const Item& i) -> OSErr {
        if (out) *out = i.integer ? 1 : 0;
        return kNoErr;
    });
}
OSErr getBytes(PIReadDescriptor t, std::initializer_list<DescriptorTypeID> types, Handle* out) {
    return read(t, types, [&](const Item& i) -> OSErr {
        if (!out) return kParamErr;
        *out = handleWith(i.bytes);
        return *out ? kNoErr : kMemFullErr;
    });
}
OSErr getText(PIReadDescriptor t, Handle* out) { return getBytes(t, {kText, kRawData, kAlias}, out); }
OSErr getAlias(PIReadDescriptor t, Handle* out) { return getBytes(t, {kAlias, kText, kRawData}, out); }
OSErr getEnumerated(PIReadDescriptor t, DescriptorEnumID* out) {
    return read(t, {kEnumerated}, [&](const Item& i) -> OSErr {
        if (out) *out = i.enumValue;
        return kNoErr;
    });
}
OSErr getClass(PIReadDescriptor t, DescriptorClassID* out) {
    return read(t, {kClass, kScopedClass}, [&](const Item& i) -> OSErr {
        if (out) *out = i.code;
        return kNoErr;
    });
}
OSErr getReference(PIReadDescriptor t, PIDescriptorSimpleReference* out) {
    return read(t, {kReference}, [&](const Item& i) -> OSErr {
        if (out) std::memcpy(out, i.bytes.data(), sizeof(PIDescriptorSimpleReference));
        return kNoErr;
    });
}
OSErr getObject(PIReadDescriptor t, DescriptorClassID* cls, PIDescriptorHandle* out) {
    return read(t, {kObject, kScopedObject}, [&](const Item& i) -> OSErr {
        if (cls) *cls = i.code;
        if (!out) return kNoErr;
        *out = handleWith(i.object ? i.object->toBytes() : Descriptor().toBytes());
        return *out ? kNoErr : kMemFullErr;
    });
}
OSErr getCount(PIReadDescriptor t, std::uint32_t* out) {
    return read(t, {kCount, kInteger}, [&](const Item& i) -> OSErr {
        if (i.integer < 0) return kWrongType;
        if (out) *out = std::uint32_t(i.integer);
        return kNoErr;
    });
}
OSErr getString(PIReadDescriptor t, Str255* out) {
    return read(t, {kText, kRawData}, [&](const Item& i) -> OSErr {
        if (!out) return kNoErr;
        const std::size_t n = std::min<std::size_t>(i.bytes.size(), 255);
        (*out)[0] = static_cast<unsigned char>(n);
        if (n) std::memcpy(*out + 1, i.bytes.data(), n);
        return kNoErr;
    });
}
OSErr getPinnedInteger(PIReadDescriptor t, std::int32_t low, std::int32_t high, std::int32_t* out) {
    std::int32_t value = 0;
    const OSErr e = getInteger(t, &value);
    if (e != kNoErr) return e;
    const std::int32_t pinned = low <= high ? std::clamp(value, low, high) : value;
    if (out) *out = pinned;
    return pinned == value ? OSErr(kNoErr) : kCoercedParam;
}
OSErr getPinnedFloat(PIReadDescriptor t, const double* low, const double* high, double* out) {
    double value = 0;
    const OSErr e = getFloat(t, &value);
    if (e != kNoErr) return e;
    double pinned = value;
    if (low && pinned < *low) pinned = *low;
    if (high && pinned > *high) pinned = *high;
    if (out) *out = pinned;
    return pinned == value ? OSErr(kNoErr) : kCoercedParam;
}
OSErr getPinnedUnitFloat(PIReadDescriptor t, const double* low, const double* high, DescriptorUnitID* unit,
                         double* out) {
    double value = 0;
    const OSErr e = getUnitFloat(t, unit, &value);
    if (e != kNoErr) return e;
    double pinned = value;
    if (low && pinned < *low) pinned = *low;
    if (high && pinned > *high) pinned = *high;
    if (out) *out = pinned;
    return pinned == value ? OSErr(kNoErr) : kCoercedParam;
}

WriteDescriptorProcs writeSuite{0,          16,          openWrite,      closeWrite,    putInteger,
                                putFloat,   putUnitFloat, putBoolean,    putText,       putAlias,
                                putEnumerated, putClass, putReference,   putObject,     putCount,
                                putString,  putScopedClass, putScopedObject};
ReadDescriptorProcs readSuite{0,          18,          openRead,      closeRead,        getKey,
                              getInteger, getFloat,    getUnitFloat,  getBoolean,       getText,
                              getAlias,   getEnumerated, getClass,    getReference,     getObject,
                              getCount,   getString,   getPinnedInteger, getPinnedFloat, getPinnedUnitFloat};

}  // namespace

const WriteDescriptorProcs& writeDescriptorProcs() { return writeSuite; }
const ReadDescriptorProcs& readDescriptorProcs() { return readSuite; }

void discardDescriptorTokens() {
    writers().clear();
    readers().clear();
}

std::size_t openDescriptorTokens() { return writers().size() + readers().size(); }

// --- One run's block ---------------------------------------------------------------
DescriptorParameters::~DescriptorParameters() { release(); }

void DescriptorParameters::prepare(const std::optional<std::vector<std::uint8_t>>& descriptor,
                                   std::int16_t playInfo) {
    release();
    block_.descriptorParametersVersion = 0;
    block_.playInfo = playInfo;
    block_.recordInfo = kRecordOptional;
    block_.descriptor = descriptor ? handleWith(*descriptor) : nullptr;
    block_.writeDescriptorProcs = &writeSuite;
    block_.readDescriptorProcs = &readSuite;
}

std::optional<std::vector<std::uint8_t>> DescriptorParameters::take() {
    auto bytes = bytesOfHandle(block_.descriptor);
    release();
    if (bytes && parseDescriptor(*bytes)) return bytes;
    return std::nullopt;
}

void DescriptorParameters::release() {
    if (block_.descriptor) memory().dispose(block_.descriptor);
    block_.descriptor = nullptr;
    discardDescriptorTokens();
}

}  // namespace mugwarp

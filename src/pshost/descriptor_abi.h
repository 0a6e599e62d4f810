#pragma once
// The scripting parameters of the filter record: the descriptor handle with
// the play and record settings, and the procedures that write and read a
// descriptor. Natural alignment and the platform's C calling convention, so
// the same declarations serve 64-bit and 32-bit modules.
#include <cstddef>
#include <cstdint>

#include "pshost/filter_abi.h"

namespace mugwarp::abi {

using DescriptorKeyID = std::uint32_t;
using DescriptorTypeID = std::uint32_t;
using DescriptorUnitID = std::uint32_t;
using DescriptorEnumID = std::uint32_t;
using DescriptorEnumTypeID = std::uint32_t;
using DescriptorClassID = std::uint32_t;
using PIDescriptorHandle = Handle;
using PIWriteDescriptor = struct PIOpaqueWriteDescriptor*;
using PIReadDescriptor = struct PIOpaqueReadDescriptor*;
using Str255 = unsigned char[256];

// A reference by class and key form; kept as it came.
struct PIDescriptorSimpleReference {
    DescriptorTypeID desiredClass;
    DescriptorKeyID keyForm;
    struct {
        Str255 name;
        std::int32_t index;
        DescriptorTypeID type;
        DescriptorEnumID value;
    } keyData;
};

struct WriteDescriptorProcs {
    std::int16_t writeDescriptorProcsVersion;
    std::int16_t numWriteDescriptorProcs;
    PIWriteDescriptor (*openWriteDescriptorProc)();
    OSErr (*closeWriteDescriptorProc)(PIWriteDescriptor, PIDescriptorHandle*);
    OSErr (*putIntegerProc)(PIWriteDescriptor, DescriptorKeyID, std::int32_t);
    OSErr (*putFloatProc)(PIWriteDescriptor, DescriptorKeyID, const double*);
    OSErr (*putUnitFloatProc)(PIWriteDescriptor, DescriptorKeyID, DescriptorUnitID, const double*);
    OSErr (*putBooleanProc)(PIWriteDescriptor, DescriptorKeyID, Boolean);
    OSErr (*putTextProc)(PIWriteDescriptor, DescriptorKeyID, Handle);
    OSErr (*putAliasProc)(PIWriteDescriptor, DescriptorKeyID, Handle);
    OSErr (*putEnumeratedProc)(PIWriteDescriptor, DescriptorKeyID, DescriptorEnumTypeID, DescriptorEnumID);
    OSErr (*putClassProc)(PIWriteDescriptor, DescriptorKeyID, DescriptorClassID);
    OSErr (*putSimpleReferenceProc)(PIWriteDescriptor, DescriptorKeyID, const PIDescriptorSimpleReference*);
    OSErr (*putObjectProc)(PIWriteDescriptor, DescriptorKeyID, DescriptorClassID, PIDescriptorHandle);
    OSErr (*putCountProc)(PIWriteDescriptor, DescriptorKeyID, std::uint32_t);
    OSErr (*putStringProc)(PIWriteDescriptor, DescriptorKeyID, const unsigned char*);
    OSErr (*putScopedClassProc)(PIWriteDescriptor, DescriptorKeyID, DescriptorClassID);
    OSErr (*putScopedObjectProc)(PIWriteDescriptor, DescriptorKeyID, DescriptorClassID, PIDescriptorHandle);
};

struct ReadDescriptorProcs {
    std::int16_t readDescriptorProcsVersion;
    std::int16_t numReadDescriptorProcs;
    PIReadDescriptor (*openReadDescriptorProc)(PIDescriptorHandle, DescriptorKeyID*);
    OSErr (*closeReadDescriptorProc)(PIReadDescriptor);
    Boolean (*getKeyProc)(PIReadDescriptor, DescriptorKeyID*, DescriptorTypeID*, std::int32_t*);
    OSErr (*getIntegerProc)(PIReadDescriptor, std::int32_t*);
    OSErr (*getFloatProc)(PIReadDescriptor, double*);
    OSErr (*getUnitFloatProc)(PIReadDescriptor, DescriptorUnitID*, double*);
    OSErr (*getBooleanProc)(PIReadDescriptor, Boolean*);
    OSErr (*getTextProc)(PIReadDescriptor, Handle*);
    OSErr (*getAliasProc)(PIReadDescriptor, Handle*);
    OSErr (*getEnumeratedProc)(PIReadDescriptor, DescriptorEnumID*);
    OSErr (*getClassProc)(PIReadDescriptor, DescriptorClassID*);
    OSErr (*getSimpleReferenceProc)(PIReadDescriptor, PIDescriptorSimpleReference*);
    OSErr (*getObjectProc)(PIReadDescriptor, DescriptorClassID*, PIDescriptorHandle*);
    OSErr (*getCountProc)(PIReadDescriptor, std::uint32_t*);
    OSErr (*getStringProc)(PIReadDescriptor, Str255*);
    OSErr (*getPinnedIntegerProc)(PIReadDescriptor, std::int32_t, std::int32_t, std::int32_t*);
    OSErr (*getPinnedFloatProc)(PIReadDescriptor, const double*, const double*, double*);
    OSErr (*getPinnedUnitFloatProc)(PIReadDescriptor, const double*, const double*, DescriptorUnitID*, double*);
};

struct PIDescriptorParameters {
    std::int16_t descriptorParametersVersion;
    std::int16_t playInfo;
    std::int16_t recordInfo;
    PIDescriptorHandle descriptor;
    WriteDescriptorProcs* writeDescriptorProcs;
    ReadDescriptorProcs* readDescriptorProcs;
};

// playInfo: whether the filter shows its dialog when it has settings.
constexpr std::int16_t kPlayDontDisplay = 0;
constexpr std::int16_t kPlayDisplay = 1;
constexpr std::int16_t kPlaySilent = 2;
// recordInfo as the host offers it: the dialog is optional.
constexpr std::int16_t kRecordOptional = 0;

constexpr OSErr kCoercedParam = 2;
constexpr OSErr kMissingParameter = -1715;
constexpr OSErr kWrongType = -1703;

static_assert(sizeof(PIDescriptorSimpleReference) == 276);
static_assert(offsetof(PIDescriptorParameters, descriptor) == 8);
#if INTPTR_MAX == INT64_MAX
static_assert(sizeof(PIDescriptorParameters) == 32 && offsetof(PIDescriptorParameters, readDescriptorProcs) == 24);
static_assert(sizeof(WriteDescriptorProcs) == 8 + 16 * 8 && sizeof(ReadDescriptorProcs) == 8 + 18 * 8);
#else
static_assert(sizeof(PIDescriptorParameters) == 20 && offsetof(PIDescriptorParameters, readDescriptorProcs) == 16);
static_assert(sizeof(WriteDescriptorProcs) == 4 + 16 * 4 && sizeof(ReadDescriptorProcs) == 4 + 18 * 4);
#endif

}  // namespace mugwarp::abi

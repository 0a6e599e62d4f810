#pragma once
// What the probe filter asks of the host, and where it writes the answers:
// its parameter block, which the host keeps after the run.
#include <cstdint>

namespace probe {

struct SuiteAsked {
    const char* name;
    std::int32_t version;
};
inline constexpr SuiteAsked kSuites[] = {
    {"SP Basic Suite", 4},
    {"Photoshop Buffer Suite for Plug-ins", 1},
    {"Photoshop Buffer Suite for Plug-ins", 2},
    {"Photoshop Handle Suite for Plug-ins", 1},
    {"Photoshop Handle Suite for Plug-ins", 2},
    {"Photoshop UIHooks Suite for Plug-ins", 1},
    {"Photoshop UIHooks Suite for Plug-ins", 2},
    {"Photoshop Probe Unserved Suite", 7},  // nobody serves this one
};
inline constexpr int kSuiteCount = sizeof(kSuites) / sizeof(kSuites[0]);

inline constexpr const char* kProperties[] = {"nuch", "mode", "nupa", "bndH", "bndV", "intp", "rulr", "TSiz",
                                              "docW", "docH", "cpyr", "watr", "hgam", "capt", "URL ", "sstr",
                                              "zPRB"};  // the last one is nobody's
inline constexpr int kPropertyCount = sizeof(kProperties) / sizeof(kProperties[0]);

struct Results {
    std::int32_t suiteError[kSuiteCount];
    std::int32_t suiteFound[kSuiteCount];
    std::int32_t propertyError[kPropertyCount];
    std::int64_t propertySimple[kPropertyCount];
    std::int32_t propertyBlockSize[kPropertyCount];  // -1: no block
    // Buffer suite: the size New gave and GetSize reports; Dispose clears the pointer.
    std::uint32_t bufferSize, bufferSizeReported, bufferCleared;
    // Handle suite 2: SetLock's address is the handle's data; oldLock after locking.
    std::int32_t handleLockAddressRight, handleWasLocked;
    // UI hooks: the main window as the record's platform data gives it.
    std::int32_t mainWindowRight, tickCountRuns;
    // Resources: how many 'prob' the module had before adding one, and the
    // bytes of the first.
    std::int32_t resourcesBefore;
    char firstResource[8];
    // Channel ports: the green channel of the whole picture read at half
    // size into 2 x 2 bytes, rows 4 bytes apart; the rectangle written.
    std::int32_t portError, portChannelType;
    std::uint8_t halfGreen[8];
    std::int32_t wrote[4];
    std::int32_t unknownPortError;
    // Image services: 2D bilinear and nearest samples of a 2 x 2 plane.
    std::int32_t interpolateError;
    std::uint8_t bilinearMiddle, nearestSample;
};

}  // namespace probe

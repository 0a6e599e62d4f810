// Filters that misbehave on purpose: each crashes, exits, hangs or allocates
// without bound in one selector (parameters, start or continue), so the
// tests see that the editor survives every one of them.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "pshost/filter_abi.h"

#ifdef _WIN32
#define FAULT_EXPORT extern "C" __declspec(dllexport)
#else
#define FAULT_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

using mugwarp::abi::FilterRecord;

enum class Fault { Crash, Exit, Hang, Allocate };

void misbehave(Fault fault) {
    switch (fault) {
    case Fault::Crash: {
        volatile std::uintptr_t address = 16;
        *reinterpret_cast<volatile int*>(address) = 1;
        break;
    }
    case Fault::Exit:
        std::exit(3);
    case Fault::Hang: {
        volatile bool forever = true;
        while (forever) {
        }
        break;
    }
    case Fault::Allocate:
        // Touches every block it gets and never frees one; past the runner's
        // cap the allocation fails and, like most such modules, it crashes.
        for (;;) {
            auto* block = static_cast<volatile char*>(std::malloc(64u << 20));
            if (!block) misbehave(Fault::Crash);
            block[0] = 1;
        }
    }
}

void run(Fault fault, std::int16_t badSelector, std::int16_t selector, FilterRecord* record, std::int16_t* result) {
    *result = 0;
    if (selector == badSelector) misbehave(fault);
    if (selector == mugwarp::abi::kSelectorStart) {
        // One small request, so that the continue selector comes.
        record->inRect = {0, 0, 1, 1};
        record->inLoPlane = 0;
        record->inHiPlane = 0;
    } else if (selector == mugwarp::abi::kSelectorContinue) {
        record->inRect = {0, 0, 0, 0};
    }
}

}  // namespace

#define FAULT_ENTRY(name, fault, badSelector)                                                              \
    FAULT_EXPORT void name(std::int16_t selector, FilterRecord* record, std::intptr_t*, std::int16_t* result) { \
        run(fault, badSelector, selector, record, result);                                                  \
    }

FAULT_ENTRY(CrashInParameters, Fault::Crash, 1)
FAULT_ENTRY(CrashInStart, Fault::Crash, 3)
FAULT_ENTRY(CrashInContinue, Fault::Crash, 4)
FAULT_ENTRY(ExitInParameters, Fault::Exit, 1)
FAULT_ENTRY(ExitInStart, Fault::Exit, 3)
FAULT_ENTRY(ExitInContinue, Fault::Exit, 4)
FAULT_ENTRY(HangInParameters, Fault::Hang, 1)
FAULT_ENTRY(HangInStart, Fault::Hang, 3)
FAULT_ENTRY(HangInContinue, Fault::Hang, 4)
FAULT_ENTRY(AllocateInParameters, Fault::Allocate, 1)
FAULT_ENTRY(AllocateInStart, Fault::Allocate, 3)
FAULT_ENTRY(AllocateInContinue, Fault::Allocate, 4)

// A well-behaved failure for contrast: the filter reports an unsupported mode.
FAULT_EXPORT void ErrorInStart(std::int16_t selector, FilterRecord*, std::intptr_t*, std::int16_t* result) {
    *result = selector == mugwarp::abi::kSelectorStart ? mugwarp::abi::kFilterBadMode : 0;
}

// The user's Cancel in the filter's own dialog: no fault, the run just ends.
FAULT_EXPORT void CancelInParameters(std::int16_t selector, FilterRecord*, std::intptr_t*, std::int16_t* result) {
    *result = selector == mugwarp::abi::kSelectorParameters ? mugwarp::abi::kUserCanceledErr : 0;
}

// No fault: counts its runs in the module's own memory and writes the count
// as the red of the first pixel, so a test sees whether the module stayed
// loaded from one run to the next.
FAULT_EXPORT void CountRuns(std::int16_t selector, FilterRecord* record, std::intptr_t*, std::int16_t* result) {
    static std::uint8_t runs = 0;
    *result = 0;
    if (selector == mugwarp::abi::kSelectorStart) {
        ++runs;
        record->outRect = {0, 0, 1, 1};
        record->outLoPlane = 0;
        record->outHiPlane = 0;
    } else if (selector == mugwarp::abi::kSelectorContinue) {
        *static_cast<std::uint8_t*>(record->outData) = runs;
        record->outRect = {0, 0, 0, 0};
    }
}

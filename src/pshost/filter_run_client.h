#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "pshost/filter_settings.h"

namespace mugwarp {

// What a filter asks when it wants a colour picked, and the picker's answer:
// the colour-services selector and the four components as the filter passed
// them; a chooser changes the components.
struct ColorRequest {
    std::int16_t selector = 0;
    std::array<std::int16_t, 4> components{};
};

// How one filter run is made, the same whether it runs in this process or in
// a runner: the editor fills it once and hands it on unchanged.
struct FilterRunOptions {
    bool repeat = false;         // with the parameter block kept from the last run, without its dialog
    bool displayOutput = false;  // report each filtered rectangle as it is written
    // The editor's window for a filter's own dialog (its X id); 0 when there
    // is no display, and filters then take their defaults.
    std::uint64_t parentWindow = 0;
    std::int16_t filterCase = 3;  // which 'fici' case record decides whether the output is blended
    std::uint32_t foreColor = 0;  // ARGB, offered as the filter's foreground
    std::uint32_t backColor = 0;  // and background
    // Settings a run that is not a repeat starts from (saved ones, or ones
    // given on the command line). With showDialog the filter's dialog opens
    // on them; without it the filter is told not to show its dialog, and a
    // parameter block given stands in for the parameters selector, as in a
    // repeat.
    FilterSettings startSettings;
    bool showDialog = true;
};

// Everything a filter run asks of whoever started it: the window (progress
// window, Escape, colour dialog), the command line (nothing), or, inside a
// runner, the editor at the other end of the pipe. The same interface serves
// the in-process host, the runner client and the runner session. Every
// function has a quiet default, so a client overrides only what it offers.
class FilterRunClient {
public:
    virtual ~FilterRunClient() = default;

    // A slow runner (Wine) is being started; message says so to the user.
    virtual void runnerStarting(const std::string& /*message*/) {}
    // It has started; the filter may now put up its dialog, which the
    // starting message must not cover.
    virtual void runnerStarted() {}
    // The filter's progress; the host itself reports (0, 1) after start and
    // (1, 1) before finish.
    virtual void progress(std::int32_t /*done*/, std::int32_t /*total*/) {}
    // Whether the user asked to cancel. Once true, the run is cancelled. Also
    // polled while a runner computes without asking, so a filter that never
    // asks can still be stopped.
    virtual bool testAbort() { return false; }
    // Colour services; the host marks the answer RGB afterwards.
    virtual void colorServices(ColorRequest& /*request*/) {}
    // A filter shows pixels (0xFFRRGGBB, width x height, row by row) at
    // (dstCol, dstRow) of the platform context it passed. In-process only.
    virtual void displayPixels(const std::uint32_t* /*pixels*/, int /*width*/, int /*height*/,
                               std::int32_t /*dstRow*/, std::int32_t /*dstCol*/, void* /*platformContext*/) {}
    // Filtered rectangles were written into the picture (only with
    // displayOutput). In-process only.
    virtual void pictureChanged(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) {}
};

}  // namespace mugwarp

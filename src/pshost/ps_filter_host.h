#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pshost/channel_ports.h"
#include "pshost/descriptor_procs.h"
#include "pshost/filter_abi.h"
#include "pshost/filter_resources.h"
#include "pshost/filter_run_client.h"
#include "pshost/host_properties.h"
#include "pshost/image_views.h"
#include "pshost/module_library.h"
#include "pshost/original_pixels.h"
#include "pshost/pipl_manager.h"
#include "pshost/plane_buffer.h"

namespace mugwarp {

// Runs one discovered filter over a 32-bit picture.
//
// Use:   host.setPicture(picture)              // filtered in place
//        host.setMask(&mask)                   // or nullptr: everything selected
//        host.openModule(entry)                // throws PhotoshopError
//        host.options = options;               // options.repeat: the kept parameters
//        bool finished = host.execute();       // false: cancelled, picture restored
//        host.closeModule();                   // always, also after an error
//
// The filter reads the picture as it was when the run began and its results
// are written into the picture, blended with the mask unless the filter
// clears autoMask or says in its 'fici' property that it writes outside the
// selection. Without a mask nothing is blended or even looked at. The host
// copies aside only the pixels it overwrites while the run can still be
// cancelled (the last output block is written once the filter has
// finished), and keeps its buffers from run to run while the picture keeps
// its size. Everything the filter asks of the outside world goes to the
// FilterRunClient. The host keeps the parameter block of the last run for a
// repeat (options.repeat). Errors are PhotoshopError with the messages shown
// to the user, and leave the blocks written before them; a cancelled run
// restores the picture exactly.
class PSFilterHost {
public:
    PSFilterHost();
    ~PSFilterHost();
    PSFilterHost(const PSFilterHost&) = delete;
    PSFilterHost& operator=(const PSFilterHost&) = delete;

    void setClient(FilterRunClient* client) { client_ = client; }
    void setPicture(const PixelsView& picture);
    void setMask(const MaskView* mask);
    // The parent window handed to filters for their dialogs; 0 means there is
    // no display, and filters take their defaults.
    void setPlatformWindow(std::intptr_t window) { platformData_.hwnd = window; }
    std::intptr_t platformWindow() const { return platformData_.hwnd; }

    // Whether modules of that kind can be loaded by this build.
    static bool canRun(ModuleKind kind);
    // Loads the entry's module and finds its entry point. Throws PhotoshopError
    // naming the file when the module cannot be loaded here or lacks it.
    void openModule(PIPLManager& entry);
    void closeModule();
    bool moduleOpen() const { return entryPoint_ != nullptr; }
    // One complete run; see the class comment.
    bool execute();
    // Calls the filter once (the about record for selector 0); 0 without a module.
    std::int16_t callPlugin(std::int16_t selector);
    // The advance-state step: serves the filter's input, output and mask requests.
    abi::OSErr advanceState();

    // Colours, repeat, case record; parentWindow is not read here (see
    // setPlatformWindow, which takes the window as this process knows it).
    FilterRunOptions options;
    // The settings the last finished run left: its parameter block (when
    // small enough to carry) and the scripting parameters the filter wrote.
    const FilterSettings& lastSettings() const { return lastSettings_; }

    PIPLManager* manager() const { return manager_; }
    const abi::FilterRecord& record() const { return record_; }
    abi::Handle keptParameters() const { return keptParameters_; }
    // Hands the host a parameter block (a HostMemory handle, or nothing) for
    // the next repeat, releasing the one it kept.
    void setKeptParameters(abi::Handle block);
    bool abortRequested() const { return abort_; }

    // What the record's further procedures reach: the picture through channel
    // ports, the resources of the open module, the properties.
    ChannelPorts& channelPorts() { return channelPorts_; }
    FilterResources& resources() { return resources_; }

    // Callback targets (called by the bound entry points; public for them only).
    bool testAbortRequest();
    void progressReport(std::int32_t done, std::int32_t total);
    abi::OSErr colorServicesRequest(abi::ColorServicesInfo* info);
    abi::OSErr displayPixelsRequest(const abi::PSPixelMap* source, const abi::VRect* rect, std::int32_t dstRow,
                                    std::int32_t dstCol, void* context);
    abi::OSErr propertyRequest(bool set, abi::OSType signature, abi::OSType key, std::int32_t index,
                               std::intptr_t* simpleOut, std::intptr_t simpleIn, abi::Handle* complexOut,
                               abi::Handle complexIn);

private:
    void setupFilterRecord();
    void checkSelector(std::int16_t selector);
    abi::OSErr writeBackPending(bool keepOriginals);
    void writeBackIfDue();
    void releaseBuffers();
    void trimBuffers();
    void disposeRecordParameters();
    void offerParameters();
    void keepSettings();
    std::size_t bufferLimit() const;

    FilterRunClient* client_ = nullptr;
    PixelsView picture_;
    OriginalPixels original_;
    std::optional<MaskView> mask_;
    PIPLManager* manager_ = nullptr;
    ModuleLibrary module_;
    abi::PluginEntryPoint entryPoint_ = nullptr;

    abi::FilterRecord record_{};
    abi::AboutRecord about_{};
    abi::PlatformData platformData_{};
    std::array<unsigned char, 256> errorString_{};
    PlaneBuffer input_;
    PlaneBuffer output_;
    HalfWorker halves_;  // shares the conversions of large blocks
    bool outputPending_ = false;  // the output block holds results not yet in the picture
    // The filter has handed the output block back (asked for it again or
    // stopped asking): an error now keeps it, as it keeps earlier blocks.
    bool outputDue_ = false;
    bool maskBlends_ = false;  // some of the mask is below 255
    std::vector<std::uint8_t> maskBytes_;
    abi::Handle keptParameters_ = nullptr;
    DescriptorParameters descriptorParameters_;
    FilterSettings lastSettings_;
    bool abort_ = false;
    ChannelPorts channelPorts_;
    FilterResources resources_;
    HostProperties properties_;
};

}  // namespace mugwarp

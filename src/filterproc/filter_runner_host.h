#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "filterproc/runner_setup.h"
#include "pshost/filter_run_client.h"
#include "pshost/image_views.h"
#include "pshost/photoshop_error.h"
#include "pshost/pipl_manager.h"
#include "raster/pixel_storage.h"

namespace mugwarp::filterproc {

// The runner itself failed (it crashed, hung, was ended or broke the
// protocol): what it left in the picture cannot be trusted.
class RunnerFault : public PhotoshopError {
public:
    using PhotoshopError::PhotoshopError;
};

// Runs a discovered filter the way the in-process host does, but inside the
// runner for its module kind, so a faulty module cannot take the caller down.
//
// Use:   host.setPicture(picture)        // the filter reads it as it is now
//        host.setMask(&mask)             // or nullptr: everything selected
//        host.options = options;         // options.repeat: the kept parameters
//        bool finished = host.execute(entry);
//
// Finished or cancelled (false; the picture is then as before), the picture
// holds the runner's result. The filter's own error throws PhotoshopError with
// the message for the user, the rectangles it wrote kept. Any other failure (a
// crash, a hang, a runner that cannot start or breaks the protocol) throws
// RunnerFault; a picture copied in leaves it untouched, a picture living in
// the shared picture (pictureStorage) must then be restored by the caller.
// The client hears progress, abort tests, colour requests and a slow runner's
// start.
class FilterRunnerHost {
public:
    explicit FilterRunnerHost(FilterRunners& runners) : runners_(runners) {}

    void setClient(FilterRunClient* client) { client_ = client; }
    void setPicture(const PixelsView& picture) { picture_ = picture; }
    void setMask(const MaskView* mask) { mask_ = mask; }

    // Storage for a picture of width x height that entry is to filter: a
    // picture living there with everything selected is filtered where it is,
    // nothing copied in or out. current is what the picture lives in now; it
    // is handed back while it serves, otherwise storage holding a copy of
    // pixels (the picture's). Throws Error without the memory.
    std::shared_ptr<PixelStorage> pictureStorage(const PIPLManager& entry, int width, int height,
                                                 const PixelStorage* current, const Argb* pixels);

    // Whether a module of this kind can run here; otherwise what is missing.
    std::string whyCannotRun(ModuleKind kind) const;
    // The same for one module, whose file may tell more: a .NET assembly, a
    // DLL it needs that is not installed.
    std::string whyCannotRun(const PIPLManager& entry) const;
    bool execute(const PIPLManager& entry);
    // Starts the runner entry is to run in ahead of the run, where that needs
    // no word to the user (FilterRunnerClient::startEarly).
    void startRunnerEarly(const PIPLManager& entry);

    FilterRunOptions options;
    // What the last finished run left of the filter's settings.
    const FilterSettings& lastSettings() const { return lastSettings_; }

private:
    FilterRunners& runners_;
    FilterRunClient* client_ = nullptr;
    PixelsView picture_;
    const MaskView* mask_ = nullptr;
    FilterSettings lastSettings_;
};

}  // namespace mugwarp::filterproc

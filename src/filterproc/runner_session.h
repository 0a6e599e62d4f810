#pragma once
#include <functional>
#include <memory>
#include <string>

#include "filterproc/byte_channel.h"
#include "filterproc/protocol.h"
#include "filterproc/shared_picture.h"

namespace mugwarp::filterproc {

// What a filter run inside a runner asks of the editor. Calls block until the
// editor has answered.
class RunnerCallbacks {
public:
    virtual ~RunnerCallbacks() = default;
    virtual void progress(std::int32_t done, std::int32_t total) = 0;
    virtual bool testAbort() = 0;
    virtual void colorServices(ColorRequest& request) = 0;
};

// Runs one filter over the shared picture with the filter host; the runner
// program supplies it. It keeps what must survive between runs (modules'
// data words, the kept parameter block).
class FilterExecutor {
public:
    virtual ~FilterExecutor() = default;
    virtual RunOutcome run(const RunRequest& request, const SharedPictureViews& picture,
                           RunnerCallbacks& callbacks) = 0;
};

using MappedFileOpener = std::function<std::unique_ptr<MappedFile>(const std::string& path, std::size_t size)>;

// The runner's side of the protocol: announces itself, then serves Run
// requests until the editor says Quit or goes away.
class RunnerSession : private RunnerCallbacks {
public:
    RunnerSession(ByteChannel& channel, FilterExecutor& executor, MappedFileOpener opener);

    // Returns when the editor ends the session; a broken stream throws.
    void serve(const std::string& description);

private:
    void handleRun(const Message& m);
    void progress(std::int32_t done, std::int32_t total) override;
    bool testAbort() override;
    void colorServices(ColorRequest& request) override;

    ByteChannel& channel_;
    FilterExecutor& executor_;
    MappedFileOpener opener_;
    std::unique_ptr<MappedFile> picture_;
    bool lost_ = false;
};

}  // namespace mugwarp::filterproc

#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "filterproc/byte_channel.h"
#include "filterproc/protocol.h"
#include "filterproc/shared_picture.h"

namespace mugwarp::filterproc {

// Runs one filter over the shared picture with the filter host; the runner
// program supplies it. It keeps what must survive between runs (modules'
// data words, the kept parameter block). The client forwards the filter's
// questions to the editor; each call blocks until the editor has answered.
class FilterExecutor {
public:
    virtual ~FilterExecutor() = default;
    virtual RunOutcome run(const RunRequest& request, const SharedPictureViews& picture,
                           FilterRunClient& editor) = 0;
};

using MappedFileOpener = std::function<std::unique_ptr<MappedFile>(const std::string& path, std::size_t size)>;

// The runner's side of the protocol: announces itself, then serves Run
// requests until the editor says Quit or goes away.
class RunnerSession : private FilterRunClient {
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
    // When the editor last said "go on" in this run, if it has.
    std::optional<std::chrono::steady_clock::time_point> goOnSince_;
};

}  // namespace mugwarp::filterproc

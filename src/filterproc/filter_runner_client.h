#pragma once
#include <memory>
#include <optional>
#include <string>

#include "pshost/image_views.h"
#include "filterproc/protocol.h"
#include "filterproc/runner_command.h"
#include "filterproc/shared_picture.h"
#include "raster/pixel_storage.h"

namespace mugwarp::filterproc {

class PrivateFolder;
class RunnerProcess;
class SharedPictureFile;
class SharedPictureStorage;
struct FileContent;

struct RunnerTimings {
    int abortGraceMs = 2000;     // after an abort request, how long the runner may take
    int runTimeoutMs = 0;        // a run longer than this counts as aborted; 0 = no limit
    int startTimeoutMs = 120000; // Wine may create its prefix on the first start
    int pollIntervalMs = 50;
};

// The editor's end of one runner: started on first use and kept, so modules'
// data words and the kept parameter block survive between runs; started
// again on the next run after it died.
class FilterRunnerClient {
public:
    explicit FilterRunnerClient(RunnerCommand command, RunnerTimings timings = {});
    ~FilterRunnerClient();
    FilterRunnerClient(const FilterRunnerClient&) = delete;
    FilterRunnerClient& operator=(const FilterRunnerClient&) = delete;

    // The shared picture for the next run, sized for width x height (with a
    // mask part unless withMask is false); the caller fills picture and
    // mask, runs, then reads the picture back. Never the
    // storage a surface lives in. Throws mugwarp::Error when the memory
    // cannot be had.
    SharedPictureViews preparePicture(std::int32_t width, std::int32_t height, bool withMask = true);

    // Storage for a surface of width x height that is to be filtered, holding
    // its pixels: the shared picture itself, so that runs over it copy
    // nothing in or out. current (what the surface lives in now) is handed
    // back when it still serves; otherwise fresh storage with a copy of
    // pixels, never one another surface lives in. Throws mugwarp::Error when
    // the memory cannot be had.
    std::shared_ptr<PixelStorage> pictureStorage(std::int32_t width, std::int32_t height, const PixelStorage* current,
                                                 const Argb* pixels);
    // When pixels are those of the storage last handed out, still intact,
    // makes it the picture of the next run (everything selected) and returns
    // its views: the picture is filtered where it lives.
    std::optional<SharedPictureViews> pictureInPlace(const std::uint32_t* pixels, std::int32_t width,
                                                     std::int32_t height);

    // Reads the picture of the last run back into picture (a prepared
    // picture of its size) from the file rather than its mapping, all of it
    // before any row is written: false, with picture untouched, when the
    // runner shortened the file after the size was checked.
    bool readPictureBack(const PixelsView& picture) const;

    // Runs the request over the prepared picture. A runner that cannot start,
    // crashes, exits or stops answering gives a Failed outcome with a message
    // naming the filter; the runner is started afresh on the next run. The
    // client's abort test is also polled while the runner is busy, so a user
    // can stop a filter that never asks. Such failures are marked runnerFault.
    RunOutcome run(RunRequest request, FilterRunClient& client);

    // Starts the runner ahead of its first run, so that its start overlaps
    // with whatever comes before (a script loading its picture); the run
    // then finds it ready or waits for it. Only where starting needs no word
    // to the user (no slow first start, nothing to prepare); nothing happens
    // when a runner runs or cannot start, which the run then reports.
    void startEarly();

    // Tells a running runner to leave and goes on without waiting for it: its
    // exit overlaps with whatever comes next (a script saving its result),
    // and it is collected on the next run, which starts a fresh one, or when
    // the client goes.
    void letRunnerGo();

    // From the next run on (a run a person answers in its dialog has none).
    void setRunTimeout(int milliseconds) { timings_.runTimeoutMs = milliseconds; }

    bool isRunning() const { return process_ != nullptr && !letGo_; }
    // The ConfinementFlag set of the running runner (0 when none runs).
    unsigned confinement() const;
    const RunnerCommand& command() const { return command_; }
    // Whether everything the runner needs is there; otherwise what is missing.
    std::string missingPart() const;

private:
    RunOutcome start(FilterRunClient& client, const std::string& filterName);
    RunOutcome launch(FilterRunClient* client, const std::string& filterName);
    std::string cannotStart(const std::string& filterName) const;
    RunOutcome awaitReady(FilterRunClient& client, const std::string& filterName);
    RunOutcome serveRun(FilterRunClient& client, const std::string& filterName);
    RunOutcome lostRunner(const std::string& filterName, const std::string& how);
    RunOutcome brokenRunner(const std::string& filterName, const std::string& what);
    RunOutcome runnerFault(RunOutcome outcome);
    std::shared_ptr<SharedPictureFile> newPictureFile(std::size_t size, const FileContent& content);
    void takeFreePictureFile(const SharedPictureLayout& layout, const SharedPictureStorage* lent,
                             const Argb* pixels = nullptr);
    void stopRunner();

    RunnerCommand command_;
    RunnerTimings timings_;
    std::unique_ptr<RunnerProcess> process_;
    bool letGo_ = false;  // process_ was told to leave and is yet to be collected
    bool ready_ = false;  // process_ has said it is ready
    // The runner may write only here (its pictures) and to its temporary folder.
    std::unique_ptr<PrivateFolder> pictureFolder_;
    std::unique_ptr<PrivateFolder> temporaryFolder_;
    std::shared_ptr<SharedPictureFile> picture_;
    // The storage a surface lives in, when one does: its file is never
    // filled by preparePicture.
    std::weak_ptr<SharedPictureStorage> lent_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    bool withMask_ = true;
};

}  // namespace mugwarp::filterproc

#include "filterproc/filter_runner_client.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "filterproc/debug_log.h"
#include "filterproc/private_folder.h"
#include "filterproc/run_conversation.h"
#include "filterproc/runner_process_posix.h"
#include "filterproc/shared_picture_file.h"
#include "filterproc/shared_picture_storage.h"
#include "raster/error.h"

namespace mugwarp::filterproc {

namespace {

using Clock = std::chrono::steady_clock;

int msSince(Clock::time_point t) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

std::string quoted(const std::string& name) { return "'" + name + "'"; }

// The shared picture file is still whole and holds layout. A runner may have
// shortened it since: its pages are not ours to touch then.
bool fileServes(const SharedPictureFile& file, const SharedPictureLayout& layout) {
    return file.sizeOnDisk() == file.size() && file.size() >= layout.totalBytes();
}

std::string temporaryDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

}  // namespace

FilterRunnerClient::FilterRunnerClient(RunnerCommand command, RunnerTimings timings)
    : command_(std::move(command)), timings_(timings) {}

FilterRunnerClient::~FilterRunnerClient() { stopRunner(); }

void FilterRunnerClient::letRunnerGo() {
    if (!process_ || letGo_) return;
    try {
        writeMessage(process_->channel(), encodeEmpty(MessageType::Quit));
    } catch (const std::exception&) {
    }
    process_->closeInput();
    letGo_ = true;
}

void FilterRunnerClient::stopRunner() {
    if (!process_) return;
    letRunnerGo();
    letGo_ = false;
    process_->stop(500);
    process_.reset();
}

unsigned FilterRunnerClient::confinement() const { return process_ ? process_->confinement() : 0; }

std::string FilterRunnerClient::missingPart() const {
    for (const auto& [file, what] : command_.requiredFiles)
        if (::access(file.c_str(), R_OK) != 0) return what;
    return {};
}

SharedPictureViews FilterRunnerClient::preparePicture(std::int32_t width, std::int32_t height, bool withMask) {
    const SharedPictureLayout layout(width, height, withMask);
    takeFreePictureFile(layout, lent_.lock().get());
    width_ = width;
    height_ = height;
    withMask_ = withMask;
    return viewsOf(*picture_, layout);
}

std::shared_ptr<PixelStorage> FilterRunnerClient::pictureStorage(std::int32_t width, std::int32_t height,
                                                                 const PixelStorage* current, const Argb* pixels) {
    const SharedPictureLayout layout(width, height, false);
    std::shared_ptr<SharedPictureStorage> lent = lent_.lock();
    if (lent && lent.get() == current && fileServes(*lent->file(), layout)) return lent;
    takeFreePictureFile(layout, lent.get(), pixels);
    lent = std::make_shared<SharedPictureStorage>(picture_, layout.width * layout.height);
    lent_ = lent;
    return lent;
}

// The file at hand will do where no surface lives and it still serves;
// otherwise a new one, made with the pixels in it.
void FilterRunnerClient::takeFreePictureFile(const SharedPictureLayout& layout, const SharedPictureStorage* lent,
                                             const Argb* pixels) {
    if (picture_ && ((lent && lent->file() == picture_) || !fileServes(*picture_, layout))) picture_.reset();
    if (!picture_) {
        picture_ = newPictureFile(layout.totalBytes(), {layout.pictureOffset(), pixels, pixels ? layout.pixelBytes() : 0});
    } else if (pixels) {
        std::copy_n(pixels, layout.width * layout.height, viewsOf(*picture_, layout).picture);
    }
}

std::optional<SharedPictureViews> FilterRunnerClient::pictureInPlace(const std::uint32_t* pixels, std::int32_t width,
                                                                     std::int32_t height) {
    const SharedPictureLayout layout(width, height, false);
    const std::shared_ptr<SharedPictureStorage> lent = lent_.lock();
    if (!lent || lent->pixels() != pixels || !fileServes(*lent->file(), layout)) return std::nullopt;
    picture_ = lent->file();
    width_ = width;
    height_ = height;
    withMask_ = false;
    return viewsOf(*picture_, layout);
}

// In the picture folder the runner was started with, else in a new one in the
// next place that has room; a running runner may not write there, so it is
// stopped and starts afresh with the new folder.
std::shared_ptr<SharedPictureFile> FilterRunnerClient::newPictureFile(std::size_t size, const FileContent& content) {
    std::string why;
    if (pictureFolder_) {
        try {
            return createSharedPictureFile(pictureFolder_->path(), size, content);
        } catch (const std::exception& e) {
            why = e.what();
        }
    }
    for (const std::string& dir : sharedPictureDirectories()) {
        if (pictureFolder_ && pictureFolder_->parent() == dir) continue;
        try {
            auto folder = std::make_unique<PrivateFolder>(dir, "mugwarp-");
            auto file = createSharedPictureFile(folder->path(), size, content);
            stopRunner();
            pictureFolder_ = std::move(folder);
            return file;
        } catch (const std::exception& e) {
            why = e.what();
        }
    }
    throw Error("Not enough memory to hand the picture to the filter: " + why);
}

RunOutcome FilterRunnerClient::runnerFault(RunOutcome outcome) {
    process_.reset();
    outcome.runnerFault = true;
    return outcome;
}

RunOutcome FilterRunnerClient::lostRunner(const std::string& filterName, const std::string& how) {
    if (how == "exit code " + std::to_string(kExitAskedForDialog))
        return runnerFault({RunStatus::Failed, "The filter " + quoted(filterName) +
                                                   " could not run from its saved settings (it asked for its dialog)."});
    return runnerFault({RunStatus::Failed, "The filter " + quoted(filterName) + " stopped unexpectedly (" + how + ")."});
}

RunOutcome FilterRunnerClient::brokenRunner(const std::string& filterName, const std::string& what) {
    return runnerFault({RunStatus::Failed, "The filter " + quoted(filterName) + " broke off its run (" + what + ")."});
}

std::string FilterRunnerClient::cannotStart(const std::string& filterName) const {
    return "The filter " + quoted(filterName) + " cannot run: " + command_.description + " could not be started";
}

void FilterRunnerClient::startEarly() {
    if (process_ || !command_.startingMessage.empty() || command_.prepare) return;
    try {
        if (!pictureFolder_)
            pictureFolder_ = std::make_unique<PrivateFolder>(sharedPictureDirectories().front(), "mugwarp-");
    } catch (const std::exception&) {
        return;  // the run finds a place for its picture, or says why there is none
    }
    launch(nullptr, {});
}

RunOutcome FilterRunnerClient::start(FilterRunClient& client, const std::string& filterName) {
    if (!process_) {
        RunOutcome launched = launch(&client, filterName);
        if (!process_) return launched;
    }
    return awaitReady(client, filterName);
}

RunOutcome FilterRunnerClient::launch(FilterRunClient* client, const std::string& filterName) {
    const std::string missing = missingPart();
    if (!missing.empty()) return {RunStatus::Failed, "The filter " + quoted(filterName) + " cannot run here: " + missing};
    for (const std::string& dir : command_.directoriesToCreate) {
        for (std::size_t i = 1; i <= dir.size(); ++i)
            if (i == dir.size() || dir[i] == '/') ::mkdir(dir.substr(0, i).c_str(), 0700);
    }
    if (client && !command_.startingMessage.empty()) client->runnerStarting(command_.startingMessage);
    const std::string cannotStart = this->cannotStart(filterName);
    if (command_.prepare) {
        const std::string failed = command_.prepare();
        if (!failed.empty()) return {RunStatus::Failed, cannotStart + " (" + failed + ")."};
    }
    try {
        RunnerCommand command = command_;
        if (!temporaryFolder_) temporaryFolder_ = std::make_unique<PrivateFolder>(temporaryDirectory(), "mugwarp-runner-");
        command.environment.emplace_back("TMPDIR", temporaryFolder_->path());
        ConfinementPolicy policy;
        policy.writablePaths = {pictureFolder_->path(), temporaryFolder_->path(), "/dev/null"};
        policy.fixedSizePaths = {pictureFolder_->path()};
        policy.writablePaths.insert(policy.writablePaths.end(), command_.writablePaths.begin(),
                                    command_.writablePaths.end());
        const PreparedConfinement confinement(policy);
        process_ = std::make_unique<RunnerProcess>(command, command_.confined ? &confinement : nullptr);
    } catch (const std::exception& e) {
        return {RunStatus::Failed, cannotStart + " (" + e.what() + ")."};
    }
    ready_ = false;
    debugLine(command_.description + " (process " + std::to_string(process_->pid()) +
              ") runs with: " + describeConfinement(process_->confinement()));
    return {RunStatus::Finished, {}};
}

RunOutcome FilterRunnerClient::awaitReady(FilterRunClient& client, const std::string& filterName) {
    const std::string cannotStart = this->cannotStart(filterName);
    const auto started = Clock::now();
    for (;;) {
        if (process_->channel().waitReadable(timings_.pollIntervalMs)) break;
        if (client.testAbort()) {
            process_.reset();
            return {RunStatus::Cancelled, {}};
        }
        if (msSince(started) > timings_.startTimeoutMs) {
            process_.reset();
            return {RunStatus::Failed, cannotStart + " (it did not answer)."};
        }
    }
    try {
        expectReady(readMessage(process_->channel()));
        ready_ = true;
        if (!command_.startingMessage.empty()) client.runnerStarted();
    } catch (const ChannelClosed&) {
        const std::string how = process_->reap(1000);
        process_.reset();
        return {RunStatus::Failed, cannotStart + " (" + how + ")."};
    } catch (const ProtocolError&) {
        process_.reset();
        return {RunStatus::Failed, cannotStart + " (it does not speak this version of the protocol)."};
    }
    return {RunStatus::Finished, {}};
}

bool FilterRunnerClient::readPictureBack(const PixelsView& picture) const {
    if (!picture_ || picture.width != width_ || picture.height != height_) return false;
    const SharedPictureLayout layout(width_, height_, withMask_);
    if (picture_->size() < layout.maskOffset()) return false;
    std::vector<std::uint32_t> pixels(layout.pixelBytes() / 4);
    if (!picture_->readAt(layout.pictureOffset(), pixels.data(), layout.pixelBytes())) return false;
    const std::size_t rowBytes = std::size_t(width_) * 4;
    for (int y = 0; y < height_; ++y) std::memcpy(picture.row(y), pixels.data() + std::size_t(y) * width_, rowBytes);
    return true;
}

RunOutcome FilterRunnerClient::run(RunRequest request, FilterRunClient& client) {
    if (!picture_) throw Error("no picture prepared for the filter");
    request.picturePath = picture_->path();
    request.width = width_;
    request.height = height_;
    request.everythingSelected = !withMask_;
    if (letGo_) stopRunner();
    if (!process_ || !ready_) {
        RunOutcome started = start(client, request.filterName);
        if (!process_) return started;
    }
    try {
        writeMessage(process_->channel(), encode(request));
    } catch (const ChannelClosed&) {
        return lostRunner(request.filterName, process_->reap(1000));
    }
    return serveRun(client, request.filterName);
}

RunOutcome FilterRunnerClient::serveRun(FilterRunClient& client, const std::string& filterName) {
    FdChannel& channel = process_->channel();
    RunConversation conversation(channel, client);
    const auto runStart = Clock::now();
    auto lastPoll = runStart;
    try {
        for (;;) {
            if (channel.waitReadable(timings_.pollIntervalMs)) {
                if (std::optional<RunOutcome> outcome = conversation.answer(readMessage(channel))) {
                    const std::uint64_t size = picture_->sizeOnDisk();
                    if (size != picture_->size())
                        return brokenRunner(filterName, "the shared picture file was changed to " +
                                                            std::to_string(size) + " bytes");
                    return *outcome;
                }
            }
            if (!conversation.abortRequested() && msSince(lastPoll) >= timings_.pollIntervalMs) {
                lastPoll = Clock::now();
                if (client.testAbort()) conversation.requestAbort();
                if (timings_.runTimeoutMs > 0 && msSince(runStart) > timings_.runTimeoutMs) conversation.requestAbort();
            }
            if (conversation.abortRequested() && msSince(conversation.abortTime()) > timings_.abortGraceMs)
                return runnerFault(
                    {RunStatus::Failed, "The filter " + quoted(filterName) + " stopped responding and was ended."});
        }
    } catch (const ChannelClosed&) {
        return lostRunner(filterName, process_->reap(1000));
    } catch (const ProtocolError& e) {
        return brokenRunner(filterName, e.what());
    }
}

}  // namespace mugwarp::filterproc

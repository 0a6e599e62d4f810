#include "filterproc/filter_runner_client.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "filterproc/runner_process_posix.h"
#include "filterproc/shared_picture_file.h"
#include "raster/error.h"

namespace mugwarp::filterproc {

namespace {

using Clock = std::chrono::steady_clock;

int msSince(Clock::time_point t) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

std::string quoted(const std::string& name) { return "'" + name + "'"; }

}  // namespace

FilterRunnerClient::FilterRunnerClient(RunnerCommand command, RunnerTimings timings)
    : command_(std::move(command)), timings_(timings) {}

FilterRunnerClient::~FilterRunnerClient() {
    if (process_) {
        try {
            writeMessage(process_->channel(), encodeEmpty(MessageType::Quit));
        } catch (const std::exception&) {
        }
        process_->stop(500);
    }
}

std::string FilterRunnerClient::missingPart() const {
    for (const auto& [file, what] : command_.requiredFiles)
        if (::access(file.c_str(), R_OK) != 0) return what;
    return {};
}

SharedPictureViews FilterRunnerClient::preparePicture(std::int32_t width, std::int32_t height) {
    const SharedPictureLayout layout(width, height);
    if (!picture_ || picture_->size() < layout.totalBytes()) {
        picture_.reset();
        std::string why;
        for (const std::string& dir : sharedPictureDirectories()) {
            try {
                picture_ = createSharedPictureFile(dir, layout.totalBytes());
                break;
            } catch (const std::exception& e) {
                why = e.what();
            }
        }
        if (!picture_) throw Error("Not enough memory to hand the picture to the filter: " + why);
    }
    width_ = width;
    height_ = height;
    return viewsOf(*picture_, layout);
}

RunOutcome FilterRunnerClient::lostRunner(const std::string& filterName, const std::string& how) {
    process_.reset();
    return {RunStatus::Failed, "The filter " + quoted(filterName) + " stopped unexpectedly (" + how + ")."};
}

RunOutcome FilterRunnerClient::start(FilterRunClient& client, const std::string& filterName) {
    const std::string missing = missingPart();
    if (!missing.empty()) return {RunStatus::Failed, "The filter " + quoted(filterName) + " cannot run here: " + missing};
    for (const std::string& dir : command_.directoriesToCreate) {
        for (std::size_t i = 1; i <= dir.size(); ++i)
            if (i == dir.size() || dir[i] == '/') ::mkdir(dir.substr(0, i).c_str(), 0700);
    }
    if (!command_.startingMessage.empty()) client.runnerStarting(command_.startingMessage);
    const std::string cannotStart = "The filter " + quoted(filterName) + " cannot run: " + command_.description +
                                    " could not be started";
    if (command_.prepare) {
        const std::string failed = command_.prepare();
        if (!failed.empty()) return {RunStatus::Failed, cannotStart + " (" + failed + ")."};
    }
    try {
        process_ = std::make_unique<RunnerProcess>(command_);
    } catch (const std::exception& e) {
        return {RunStatus::Failed, cannotStart + " (" + e.what() + ")."};
    }
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
        const Message ready = readMessage(process_->channel());
        if (!is(ready, MessageType::Ready) || MessageParser(ready).u32() != kProtocolVersion)
            throw ProtocolError("wrong runner version");
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

RunOutcome FilterRunnerClient::run(RunRequest request, FilterRunClient& client) {
    if (!picture_) throw Error("no picture prepared for the filter");
    request.picturePath = picture_->path();
    request.width = width_;
    request.height = height_;
    if (!process_) {
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
    bool abortRequested = false;
    Clock::time_point abortTime{};
    const auto runStart = Clock::now();
    auto lastPoll = runStart;
    const auto requestAbort = [&] {
        if (!abortRequested) {
            abortRequested = true;
            abortTime = Clock::now();
        }
    };
    try {
        for (;;) {
            if (channel.waitReadable(timings_.pollIntervalMs)) {
                const Message m = readMessage(channel);
                if (is(m, MessageType::Progress)) {
                    MessageParser p(m);
                    const std::int32_t done = p.i32();
                    client.progress(done, p.i32());
                } else if (is(m, MessageType::TestAbort)) {
                    if (!abortRequested && client.testAbort()) requestAbort();
                    writeMessage(channel, encodeAbortAnswer(abortRequested));
                } else if (is(m, MessageType::ColorServices)) {
                    ColorRequest c = decodeColorRequest(m);
                    client.colorServices(c);
                    writeMessage(channel, encode(MessageType::ColorAnswer, c));
                } else if (is(m, MessageType::Outcome)) {
                    return decodeRunOutcome(m);
                } else {
                    throw ProtocolError("unexpected message " + std::to_string(m.type));
                }
            }
            if (!abortRequested && msSince(lastPoll) >= timings_.pollIntervalMs) {
                lastPoll = Clock::now();
                if (client.testAbort()) requestAbort();
                if (timings_.runTimeoutMs > 0 && msSince(runStart) > timings_.runTimeoutMs) requestAbort();
            }
            if (abortRequested && msSince(abortTime) > timings_.abortGraceMs) {
                process_.reset();
                return {RunStatus::Failed, "The filter " + quoted(filterName) + " stopped responding and was ended."};
            }
        }
    } catch (const ChannelClosed&) {
        return lostRunner(filterName, process_->reap(1000));
    } catch (const ProtocolError& e) {
        process_.reset();
        return {RunStatus::Failed, "The filter " + quoted(filterName) + " broke off its run (" + e.what() + ")."};
    }
}

}  // namespace mugwarp::filterproc

#pragma once
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

namespace mugwarp::cli {

// What a batch tells the person watching it. On a terminal one line on
// standard error redraws itself: a bar, the count and the time left; failures
// are printed above it. Otherwise (a log, a pipe) every picture gets a plain
// line. Jobs report from their own threads.
class BatchProgress {
public:
    BatchProgress(int total, bool terminal);

    void pictureDone(const std::string& input, const std::string& output);
    void pictureFailed(const std::string& input, const std::string& message);
    // The closing line: how many were written, how many failed.
    void finish();
    int failures() const { return failed_; }

private:
    void drawBar();
    void clearBar();

    std::mutex mutex_;
    const int total_;
    const bool terminal_;
    int done_ = 0;
    int failed_ = 0;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace mugwarp::cli

#include "cli/batch_progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

namespace mugwarp::cli {

namespace {

constexpr int kBarWidth = 30;

std::string minutesAndSeconds(double seconds) {
    const long whole = std::lround(std::max(0.0, seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

// The bar after `done` of `total` pictures, `elapsedSeconds` in.
std::string barLine(int done, int total, double elapsedSeconds, int width) {
    const int filled = total > 0 ? int(std::int64_t(width) * done / total) : width;
    std::string line(1, '[');
    line.append(std::size_t(filled), '#').append(std::size_t(width - filled), '-');
    line.append("] ").append(std::to_string(done)).append("/").append(std::to_string(total));
    if (done > 0 && done < total) {
        line.append("  ").append(minutesAndSeconds(elapsedSeconds / done * (total - done))).append(" left");
    } else if (done == total) {
        line.append("  ").append(minutesAndSeconds(elapsedSeconds)).append(" taken");
    }
    return line;
}

}  // namespace

BatchProgress::BatchProgress(int total, bool terminal) : total_(total), terminal_(terminal) {
    if (terminal_) drawBar();
}

void BatchProgress::drawBar() {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::cerr << "\r" << barLine(done_, total_, elapsed, kBarWidth) << "\x1b[K" << std::flush;
}

void BatchProgress::clearBar() { std::cerr << "\r\x1b[K"; }

void BatchProgress::pictureDone(const std::string& input, const std::string& output) {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    if (terminal_) {
        drawBar();
    } else {
        std::cout << "[" << done_ << "/" << total_ << "] " << input << " -> " << output << std::endl;
    }
}

void BatchProgress::pictureFailed(const std::string& input, const std::string& message) {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    ++failed_;
    if (terminal_) clearBar();
    std::cerr << "mugwarp-cli batch: " << input << ": " << message << std::endl;
    if (terminal_) drawBar();
}

void BatchProgress::finish() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (terminal_) std::cerr << "\n";
    const int written = done_ - failed_;
    std::ostream& out = failed_ ? std::cerr : std::cout;
    out << written << " of " << total_ << (total_ == 1 ? " picture" : " pictures") << " written";
    if (failed_) out << "; " << failed_ << " failed";
    out << "." << std::endl;
}

}  // namespace mugwarp::cli

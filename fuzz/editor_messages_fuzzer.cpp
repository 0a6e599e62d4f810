// A runner reading what the editor sends: Run requests (with the picture's
// size and the shared file's name), answers and Quit. A filter "runs" by
// touching the last byte of each part of the shared picture and asking a
// question, as a real one would.
#include <map>
#include <memory>
#include <vector>

#include "filterproc/runner_session.h"
#include "fuzz_input.h"
#include "memory_channel.h"

namespace {

using namespace mugwarp::filterproc;

class MemoryFile : public MappedFile {
public:
    MemoryFile(std::string path, std::size_t size) : path_(std::move(path)), bytes_(size) {}
    std::uint8_t* data() override { return bytes_.data(); }
    std::size_t size() const override { return bytes_.size(); }
    const std::string& path() const override { return path_; }

private:
    std::string path_;
    std::vector<std::uint8_t> bytes_;
};

class TouchingExecutor : public FilterExecutor {
public:
    RunOutcome run(const RunRequest& r, const SharedPictureViews& v, mugwarp::FilterRunClient& editor) override {
        const std::size_t pixels = std::size_t(r.width) * std::size_t(r.height);
        if (pixels) {
            v.picture[pixels - 1] ^= 0x00FFFFFFu;
            if (v.mask) v.mask[pixels - 1] = 255;
        }
        editor.progress(0, 1);
        if (editor.testAbort()) return {RunStatus::Cancelled, {}};
        mugwarp::ColorRequest c;
        editor.colorServices(c);
        return {RunStatus::Finished, {}};
    }
};

}  // namespace

MUGWARP_FUZZ_TARGET(bytes) {
    MemoryChannel channel(bytes);
    TouchingExecutor executor;
    // Shared files as big as asked, up to what a fuzzer can afford; larger
    // ones "cannot be opened", as a real runner would say of a missing file.
    const auto opener = [](const std::string& path, std::size_t size) -> std::unique_ptr<MappedFile> {
        if (size > (std::size_t(64) << 20)) throw std::runtime_error("cannot open " + path);
        return std::make_unique<MemoryFile>(path, size);
    };
    RunnerSession session(channel, executor, opener);
    try {
        session.serve("fuzz");
    } catch (const ProtocolError&) {
    } catch (const ChannelClosed&) {
    }
}

// The editor reading what a runner sends: Ready, then the messages of one run
// until its outcome. Garbage must end the run with ProtocolError, never harm
// the editor.
#include "filterproc/run_conversation.h"
#include "fuzz_input.h"
#include "memory_channel.h"

namespace {

using namespace mugwarp::filterproc;

struct AnsweringClient : mugwarp::FilterRunClient {
    int questions = 0;
    void progress(std::int32_t done, std::int32_t total) override { (void)(done / total); }
    bool testAbort() override { return ++questions % 3 == 0; }
    void colorServices(mugwarp::ColorRequest& request) override { request.components[0] ^= 1; }
};

}  // namespace

MUGWARP_FUZZ_TARGET(bytes) {
    MemoryChannel channel(bytes);
    AnsweringClient client;
    RunConversation conversation(channel, client);
    try {
        expectReady(readMessage(channel));
        while (!conversation.answer(readMessage(channel))) {
        }
    } catch (const ProtocolError&) {
    } catch (const ChannelClosed&) {
    }
}

#include "filterproc/run_conversation.h"

namespace mugwarp::filterproc {

std::optional<RunOutcome> RunConversation::answer(const Message& m) {
    switch (static_cast<MessageType>(m.type)) {
    case MessageType::Progress: {
        MessageParser p(m);
        const std::int32_t done = p.i32();
        const std::int32_t total = p.i32();
        if (total < 1)
            throw ProtocolError("a progress report of " + std::to_string(done) + " out of " + std::to_string(total));
        client_.progress(done, total);
        return std::nullopt;
    }
    case MessageType::TestAbort:
        if (!abortRequested_ && client_.testAbort()) requestAbort();
        writeMessage(channel_, encodeAbortAnswer(abortRequested_));
        return std::nullopt;
    case MessageType::ColorServices: {
        ColorRequest c = decodeColorRequest(m);
        client_.colorServices(c);
        writeMessage(channel_, encode(MessageType::ColorAnswer, c));
        return std::nullopt;
    }
    case MessageType::Outcome:
        return decodeRunOutcome(m);
    default:
        throw ProtocolError("a message of unknown type " + std::to_string(m.type));
    }
}

void RunConversation::requestAbort() {
    if (abortRequested_) return;
    abortRequested_ = true;
    abortTime_ = Clock::now();
}

void expectReady(const Message& m) {
    if (!is(m, MessageType::Ready)) throw ProtocolError("a message of type " + std::to_string(m.type) + " instead of Ready");
    if (MessageParser(m).u32() != kProtocolVersion) throw ProtocolError("another version of the protocol");
}

}  // namespace mugwarp::filterproc

#include "filterproc/protocol.h"

#include "pshost/descriptor.h"

namespace mugwarp::filterproc {

bool is(const Message& m, MessageType t) { return m.type == static_cast<std::uint32_t>(t); }

namespace {

MessageBuilder builder(MessageType t) { return MessageBuilder(static_cast<std::uint32_t>(t)); }

void expect(const Message& m, MessageType t) {
    if (!is(m, t)) throw ProtocolError("unexpected message " + std::to_string(m.type));
}

// A settings part: for each of parameter block and descriptor, u8 present,
// then (when present) u32 length and the bytes, within their limits.
void putSettings(MessageBuilder& b, const FilterSettings& s) {
    for (const auto* part : {&s.parameters, &s.descriptor}) {
        b.u8(part->has_value());
        if (*part) b.text(std::string(part->value().begin(), part->value().end()));
    }
}

FilterSettings takeSettings(MessageParser& p) {
    FilterSettings s;
    const std::size_t limits[] = {kMaxParameterBlockBytes, kMaxDescriptorBytes};
    std::optional<std::vector<std::uint8_t>>* parts[] = {&s.parameters, &s.descriptor};
    for (int i = 0; i < 2; ++i) {
        if (!p.u8()) continue;
        const std::string bytes = p.text();
        if (bytes.size() > limits[i]) throw ProtocolError("settings too large");
        parts[i]->emplace(bytes.begin(), bytes.end());
    }
    return s;
}

}  // namespace

Message encode(const RunRequest& r) {
    MessageBuilder b = builder(MessageType::Run);
    b
        .text(r.modulePath)
        .text(r.category)
        .text(r.filterName)
        .text(r.picturePath)
        .i32(r.width)
        .i32(r.height)
        .u8(r.everythingSelected)
        .u8(r.options.repeat)
        .u8(r.options.displayOutput)
        .u64(r.options.parentWindow)
        .i16(r.options.filterCase)
        .u32(r.options.foreColor)
        .u32(r.options.backColor);
    putSettings(b, r.options.startSettings);
    return b.u8(r.options.showDialog).take();
}

RunRequest decodeRunRequest(const Message& m) {
    expect(m, MessageType::Run);
    MessageParser p(m);
    RunRequest r;
    r.modulePath = p.text();
    r.category = p.text();
    r.filterName = p.text();
    r.picturePath = p.text();
    r.width = p.i32();
    r.height = p.i32();
    r.everythingSelected = p.u8() != 0;
    r.options.repeat = p.u8() != 0;
    r.options.displayOutput = p.u8() != 0;
    r.options.parentWindow = p.u64();
    r.options.filterCase = p.i16();
    r.options.foreColor = p.u32();
    r.options.backColor = p.u32();
    r.options.startSettings = takeSettings(p);
    r.options.showDialog = p.u8() != 0;
    return r;
}

Message encode(const RunOutcome& o) {
    MessageBuilder b = builder(MessageType::Outcome);
    b.u8(static_cast<std::uint8_t>(o.status)).text(o.errorText);
    putSettings(b, o.settings);
    return b.take();
}

RunOutcome decodeRunOutcome(const Message& m) {
    expect(m, MessageType::Outcome);
    MessageParser p(m);
    RunOutcome o;
    const std::uint8_t status = p.u8();
    if (status > static_cast<std::uint8_t>(RunStatus::Failed))
        throw ProtocolError("an outcome of unknown status " + std::to_string(status));
    o.status = static_cast<RunStatus>(status);
    o.errorText = p.text();
    o.settings = takeSettings(p);
    return o;
}

Message encode(MessageType type, const ColorRequest& c) {
    MessageBuilder b = builder(type);
    b.i16(c.selector);
    for (std::int16_t v : c.components) b.i16(v);
    return b.take();
}

ColorRequest decodeColorRequest(const Message& m) {
    if (!is(m, MessageType::ColorServices) && !is(m, MessageType::ColorAnswer))
        throw ProtocolError("unexpected message " + std::to_string(m.type));
    MessageParser p(m);
    ColorRequest c;
    c.selector = p.i16();
    for (std::int16_t& v : c.components) v = p.i16();
    return c;
}

Message encodeProgress(std::int32_t done, std::int32_t total) {
    return builder(MessageType::Progress).i32(done).i32(total).take();
}

Message encodeAbortAnswer(bool abort) { return builder(MessageType::AbortAnswer).u8(abort).take(); }

Message encodeReady(const std::string& description) {
    return builder(MessageType::Ready).u32(kProtocolVersion).text(description).take();
}

Message encodeEmpty(MessageType type) { return builder(type).take(); }

}  // namespace mugwarp::filterproc

#include "pshost/pipl_manager.h"

#include <algorithm>
#include <cstring>

#include "pshost/byte_access.h"

namespace mugwarp {

const char* moduleKindName(ModuleKind kind) {
    switch (kind) {
        case ModuleKind::Native: return "native";
        case ModuleKind::Windows64: return "windows-x64";
        case ModuleKind::Windows32: return "windows-x86";
    }
    return "?";
}

std::string shownText(std::string text) {
    const auto blank = [](unsigned char c) { return c <= 0x20 || c == 0x7F; };
    for (char& c : text)
        if (blank(static_cast<unsigned char>(c))) c = ' ';
    const auto first = std::find_if_not(text.begin(), text.end(), [](char c) { return c == ' '; });
    const auto last = std::find_if_not(text.rbegin(), text.rend(), [](char c) { return c == ' '; }).base();
    return first < last ? std::string(first, last) : std::string();
}

void PIPLManager::loadFromPIPL(std::span<const std::uint8_t> list) {
    properties_.clear();
    if (list.size() < 8) return;
    const std::int32_t count = static_cast<std::int32_t>(readLe32(list, 4));
    std::size_t at = 8;
    for (std::int32_t i = 0; i < count; ++i) {
        if (list.size() - at < 16) break;
        const std::int32_t length = static_cast<std::int32_t>(readLe32(list, at + 12));
        if (length < 0 || static_cast<std::size_t>(length) > list.size() - at - 16) break;
        PiplProperty p;
        p.vendor = readLe32(list, at);
        p.key = readLe32(list, at + 4);
        p.id = static_cast<std::int32_t>(readLe32(list, at + 8));
        p.data.assign(list.begin() + at + 16, list.begin() + at + 16 + length);
        properties_.push_back(std::move(p));
        // Some resources count the padding in the length, some do not: rounding
        // up to the next multiple of 4 is right for both.
        const std::size_t step = 16 + ((static_cast<std::size_t>(length) + 3) & ~std::size_t(3));
        if (step > list.size() - at) break;
        at += step;
    }
}

int PIPLManager::indexOfKey(FourCharCode key) const {
    for (std::size_t i = 0; i < properties_.size(); ++i) {
        if (properties_[i].key == key) return static_cast<int>(i);
    }
    return -1;
}

const PiplProperty* PIPLManager::findProperty(FourCharCode key) const {
    const int i = indexOfKey(key);
    return i < 0 ? nullptr : &properties_[i];
}

const std::vector<std::uint8_t>* PIPLManager::propertyData(FourCharCode key) const {
    const PiplProperty* p = findProperty(key);
    return p ? &p->data : nullptr;
}

void PIPLManager::setProperty(FourCharCode key, std::span<const std::uint8_t> bytes) {
    PiplProperty p{fourCharCode("8BIM"), key, 0, {bytes.begin(), bytes.end()}};
    const int i = indexOfKey(key);
    if (i >= 0) {
        properties_[i] = std::move(p);
    } else {
        properties_.push_back(std::move(p));
    }
}

std::string PIPLManager::pascalText(FourCharCode key) const {
    const auto* data = propertyData(key);
    if (!data || data->empty()) return {};
    const std::size_t length = std::min<std::size_t>((*data)[0], data->size() - 1);
    return std::string(reinterpret_cast<const char*>(data->data()) + 1, length);
}

void PIPLManager::setPascalText(FourCharCode key, const std::string& text) {
    const std::size_t length = std::min<std::size_t>(text.size(), 255);
    std::vector<std::uint8_t> bytes(1 + length);
    bytes[0] = static_cast<std::uint8_t>(length);
    std::memcpy(bytes.data() + 1, text.data(), length);
    setProperty(key, bytes);
}

std::string PIPLManager::getEntryPoint() const {
    // A 32-bit module's code is named under 'wx86'; every other kind runs
    // 64-bit code, named under '8664'. Older modules name only one of them.
    const bool x86 = moduleKind == ModuleKind::Windows32;
    const auto* data = propertyData(fourCharCode(x86 ? "wx86" : "8664"));
    if (!data) data = propertyData(fourCharCode(x86 ? "8664" : "wx86"));
    if (!data) return {};
    const std::size_t limit = std::min<std::size_t>(data->size(), 255);
    const auto end = std::find(data->begin(), data->begin() + limit, std::uint8_t(0));
    return std::string(data->begin(), end);
}

void PIPLManager::setEntryPoint(const std::string& text) {
    const std::size_t length = std::min<std::size_t>(text.size(), 255);
    setProperty(fourCharCode("wx86"), {reinterpret_cast<const std::uint8_t*>(text.data()), length});
}

std::optional<std::uint8_t> PIPLManager::filterCaseFlags(int filterCase) const {
    const auto* data = propertyData(fourCharCode("fici"));
    if (!data || filterCase < 1) return std::nullopt;
    const std::size_t at = static_cast<std::size_t>(filterCase - 1) * 4 + 2;
    if (at >= data->size()) return std::nullopt;
    return (*data)[at];
}

}  // namespace mugwarp

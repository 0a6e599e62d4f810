#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "pshost/descriptor.h"
#include "pshost/descriptor_procs.h"
#include "pshost/host_memory.h"

namespace mugwarp {
namespace {

using namespace descriptor_type;
using Item = Descriptor::Item;

Item item(const char (&key)[5], FourCharCode type) {
    Item i;
    i.key = fourCharCode(key);
    i.type = type;
    return i;
}

// One item of every kind, an object holding another object.
Descriptor everyKind() {
    Descriptor inner;
    Item deep = item("Deep", kBoolean);
    deep.integer = 1;
    inner.put(deep);
    Descriptor outer;
    Item nested = item("Innr", kScopedObject);
    nested.code = fourCharCode("In  ");
    nested.object = std::make_shared<const Descriptor>(inner);
    outer.put(nested);

    Descriptor d;
    Item i = item("Intg", kInteger);
    i.integer = -5;
    d.put(i);
    i = item("Flot", kFloat);
    i.number = 0.1;
    d.put(i);
    i = item("Untf", kUnitFloat);
    i.code = fourCharCode("#Pxl");
    i.number = -1e300;
    d.put(i);
    i = item("Enum", kEnumerated);
    i.code = fourCharCode("Tp  ");
    i.enumValue = fourCharCode("Val ");
    d.put(i);
    i = item("Clss", kClass);
    i.code = fourCharCode("Cls ");
    d.put(i);
    i = item("Cnt ", kCount);
    i.integer = 0xFFFFFFFF;
    d.put(i);
    for (FourCharCode bytesType : {kText, kAlias, kRawData}) {
        i = item("Txt ", bytesType);
        i.key += bytesType;  // a key of its own for each
        i.bytes = {0, 1, 2, 0xFF, 0};
        d.put(i);
    }
    i = item("Ref ", kReference);
    i.bytes.assign(kReferenceBytes, 7);
    d.put(i);
    i = item("Objc", kObject);
    i.code = fourCharCode("Out ");
    i.object = std::make_shared<const Descriptor>(outer);
    d.put(i);
    return d;
}

TEST(Descriptor, EveryKindOfValueSurvivesItsBytes) {
    const Descriptor d = everyKind();
    const auto back = parseDescriptor(d.toBytes());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, d);
    EXPECT_EQ(back->find(fourCharCode("Untf"))->number, -1e300);
    EXPECT_EQ(back->find(fourCharCode("Cnt "))->integer, 0xFFFFFFFF);
    const Descriptor& outer = *back->find(fourCharCode("Objc"))->object;
    EXPECT_EQ(outer.find(fourCharCode("Innr"))->object->find(fourCharCode("Deep"))->integer, 1);
}

TEST(Descriptor, PuttingAKeyAgainReplacesItsValueInPlace) {
    Descriptor d;
    Item a = item("Aaaa", kInteger), b = item("Bbbb", kInteger);
    d.put(a);
    d.put(b);
    Item again = item("Aaaa", kFloat);
    again.number = 2.5;
    d.put(again);
    ASSERT_EQ(d.items().size(), 2u);
    EXPECT_EQ(d.items()[0].type, kFloat);
    EXPECT_EQ(d.items()[1].key, fourCharCode("Bbbb"));
}

TEST(Descriptor, BytesThatAreNotOneAreRefused) {
    std::vector<std::uint8_t> good = everyKind().toBytes();
    const auto withCount = [](std::uint32_t count) {
        std::vector<std::uint8_t> b = Descriptor().toBytes();
        std::memcpy(b.data() + 8, &count, 4);
        return b;
    };
    std::vector<std::uint8_t> trailing = good;
    trailing.push_back(0);
    Descriptor boolTwo;
    boolTwo.put(item("Bool", kBoolean));
    std::vector<std::uint8_t> badBool = boolTwo.toBytes();
    badBool.back() = 2;
    Descriptor shortInt;
    Item raw = item("Intg", kRawData);
    raw.bytes = {1, 2, 3};
    shortInt.put(raw);
    std::vector<std::uint8_t> badInt = shortInt.toBytes();
    const std::uint32_t integer = kInteger;
    std::memcpy(badInt.data() + 16, &integer, 4);  // an integer of three bytes
    // Objects nested deeper than the limit.
    Descriptor deep;
    for (int level = 0; level <= kMaxDescriptorDepth; ++level) {
        Descriptor outer;
        Item o = item("Objc", kObject);
        o.object = std::make_shared<const Descriptor>(deep);
        outer.put(o);
        deep = outer;
    }
    const std::vector<std::vector<std::uint8_t>> refused = {
        {},          {'M', 'W', 'D'},  {'X', 'W', 'D', 'S', 1, 0, 0, 0, 0, 0, 0, 0},
        withCount(1), withCount(0xFFFFFFFF), trailing, badBool, badInt, deep.toBytes(),
        std::vector<std::uint8_t>(kMaxDescriptorBytes + 1, 0)};
    for (std::size_t i = 0; i < refused.size(); ++i) EXPECT_FALSE(parseDescriptor(refused[i])) << "case " << i;
    EXPECT_TRUE(parseDescriptor(withCount(0)));

    // Every cut and many random changes are read without harm (the sanitized
    // twin checks every byte read).
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(parseDescriptor(std::span(good.data(), n))) << "cut at " << n;
    std::mt19937 random(19);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> changed = good;
        changed[random() % changed.size()] ^= std::uint8_t(1 + random() % 255);
        if (const auto d = parseDescriptor(changed)) {
            EXPECT_FALSE(d->toBytes().empty());
        }
    }
}

// --- The procedures, as a filter calls them ----------------------------------------
class DescriptorProcs : public ::testing::Test {
protected:
    ~DescriptorProcs() override {
        for (auto h : handles) HostMemory::instance().dispose(h);
        discardDescriptorTokens();
    }
    abi::Handle textHandle(const std::string& text) {
        abi::Handle h = HostMemory::instance().allocate(text.size());
        std::memcpy(*h, text.data(), text.size());
        handles.push_back(h);
        return h;
    }
    std::string textOf(abi::Handle h) {
        handles.push_back(h);
        return std::string(*h, HostMemory::instance().size(h));
    }
    const abi::WriteDescriptorProcs& w = writeDescriptorProcs();
    const abi::ReadDescriptorProcs& r = readDescriptorProcs();
    std::vector<abi::Handle> handles;
};

TEST_F(DescriptorProcs, KeysComeBackInOrderAndAreCrossedOffTheExpectedList) {
    abi::PIWriteDescriptor token = w.openWriteDescriptorProc();
    EXPECT_EQ(w.putIntegerProc(token, fourCharCode("Amnt"), 300), abi::kNoErr);
    EXPECT_EQ(w.putTextProc(token, fourCharCode("Name"), textHandle(std::string(300, 'x'))), abi::kNoErr);
    const double angle = 45;
    EXPECT_EQ(w.putUnitFloatProc(token, fourCharCode("Angl"), fourCharCode("#Ang"), &angle), abi::kNoErr);
    abi::Handle descriptor = nullptr;
    ASSERT_EQ(w.closeWriteDescriptorProc(token, &descriptor), abi::kNoErr);
    handles.push_back(descriptor);
    EXPECT_EQ(w.putIntegerProc(token, fourCharCode("Late"), 1), abi::kParamErr);  // closed

    abi::DescriptorKeyID expected[] = {fourCharCode("Name"), fourCharCode("Gone"), fourCharCode("Amnt"), 0};
    abi::PIReadDescriptor reader = r.openReadDescriptorProc(descriptor, expected);
    ASSERT_TRUE(reader);
    abi::DescriptorKeyID key;
    abi::DescriptorTypeID type;
    std::int32_t flags;
    ASSERT_TRUE(r.getKeyProc(reader, &key, &type, &flags));
    std::int32_t amount = 0;
    EXPECT_EQ(r.getPinnedIntegerProc(reader, 0, 255, &amount), abi::kCoercedParam);
    EXPECT_EQ(amount, 255);
    ASSERT_TRUE(r.getKeyProc(reader, &key, &type, &flags));
    unsigned char pascal[256];
    EXPECT_EQ(r.getStringProc(reader, &pascal), abi::kNoErr);
    EXPECT_EQ(pascal[0], 255);  // a long text is cut to what a string holds
    abi::Handle text = nullptr;
    EXPECT_EQ(r.getTextProc(reader, &text), abi::kNoErr);
    EXPECT_EQ(textOf(text).size(), 300u);
    ASSERT_TRUE(r.getKeyProc(reader, &key, &type, &flags));
    EXPECT_EQ(type, kUnitFloat);
    double degrees = 0;
    EXPECT_EQ(r.getFloatProc(reader, &degrees), abi::kNoErr);  // a unit float reads as a float
    EXPECT_EQ(degrees, 45);
    abi::DescriptorEnumID value;
    EXPECT_EQ(r.getEnumeratedProc(reader, &value), abi::kWrongType);
    EXPECT_FALSE(r.getKeyProc(reader, &key, &type, &flags));
    EXPECT_EQ(r.closeReadDescriptorProc(reader), abi::kWrongType);  // close reports the failed read
    EXPECT_EQ(expected[0], fourCharCode("Gone"));
    EXPECT_EQ(expected[1], 0u);
    EXPECT_EQ(openDescriptorTokens(), 0u);
}

TEST_F(DescriptorProcs, ForeignHandlesAndTokensAreRefusedWithoutHarm) {
    char* notOurs[1] = {nullptr};
    abi::PIWriteDescriptor token = w.openWriteDescriptorProc();
    EXPECT_EQ(w.putTextProc(token, fourCharCode("Text"), notOurs), abi::kNilHandleErr);
    EXPECT_EQ(w.putObjectProc(token, fourCharCode("Objc"), 0, textHandle("not a descriptor")), abi::kParamErr);
    EXPECT_EQ(w.putFloatProc(token, fourCharCode("Flot"), nullptr), abi::kParamErr);
    EXPECT_EQ(w.putIntegerProc(reinterpret_cast<abi::PIWriteDescriptor>(notOurs), 1, 1), abi::kParamErr);
    EXPECT_EQ(r.openReadDescriptorProc(nullptr, nullptr), nullptr);
    abi::PIReadDescriptor garbage = r.openReadDescriptorProc(textHandle("garbage"), nullptr);
    ASSERT_TRUE(garbage);  // reads as a descriptor without keys
    std::int32_t flags;
    EXPECT_FALSE(r.getKeyProc(garbage, nullptr, nullptr, &flags));
    std::int32_t value;
    EXPECT_EQ(r.getIntegerProc(garbage, &value), abi::kMissingParameter);
    EXPECT_EQ(r.closeReadDescriptorProc(garbage), abi::kMissingParameter);
    EXPECT_EQ(r.closeReadDescriptorProc(garbage), abi::kParamErr);
    EXPECT_EQ(openDescriptorTokens(), 1u);  // the writer was never closed
}

}  // namespace
}  // namespace mugwarp

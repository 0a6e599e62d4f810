#include <gtest/gtest.h>

#include "pshost/pipl_manager.h"
#include "pshost/simple_register.h"

namespace mugwarp {
namespace {

// A property list as it lies after the resource's leading word.
std::vector<std::uint8_t> list(std::int32_t count, const std::vector<std::vector<std::uint8_t>>& properties) {
    std::vector<std::uint8_t> b(8, 0);
    for (int i = 0; i < 4; ++i) b[4 + i] = std::uint8_t(count >> (8 * i));
    for (const auto& p : properties) b.insert(b.end(), p.begin(), p.end());
    return b;
}
std::vector<std::uint8_t> property(const char (&key)[5], std::vector<std::uint8_t> data, int storedLength) {
    std::vector<std::uint8_t> b = {'M', 'I', 'B', '8', std::uint8_t(key[3]), std::uint8_t(key[2]),
                                   std::uint8_t(key[1]), std::uint8_t(key[0]), 0, 0, 0, 0,
                                   std::uint8_t(storedLength), 0, 0, 0};
    for (std::uint8_t v : data) b.push_back(v);
    while (b.size() % 4) b.push_back(0);
    return b;
}

TEST(PiplManager, WalksPropertiesWhetherTheLengthCountsThePaddingOrNot) {
    struct Case {
        int storedLength;
        std::size_t expectedDataSize;
    };
    for (const Case c : {Case{5, 5}, Case{8, 8}}) {
        PIPLManager m;
        m.loadFromPIPL(list(2, {property("enbl", {1, 2, 3, 4, 5}, c.storedLength), property("name", {2, 'O', 'k'}, 3)}));
        ASSERT_EQ(m.properties().size(), 2u) << c.storedLength;
        EXPECT_EQ(m.propertyData(fourCharCode("enbl"))->size(), c.expectedDataSize);
        EXPECT_EQ(m.getName(), "Ok");
    }
}

TEST(PiplManager, CountsAndLengthsThatRunPastTheBytesEndTheList) {
    const auto name = property("name", {2, 'O', 'k'}, 3);
    for (std::int32_t count : {0, -1}) {
        PIPLManager m;
        m.loadFromPIPL(list(count, {name}));
        EXPECT_TRUE(m.properties().empty());
    }
    PIPLManager m;
    m.loadFromPIPL(list(1000, {name}));
    EXPECT_EQ(m.properties().size(), 1u);
    m.loadFromPIPL(list(1, {property("name", {2, 'O', 'k'}, 200)}));
    EXPECT_TRUE(m.properties().empty());
    EXPECT_EQ(m.getName(), "");  // missing properties read as empty text
    EXPECT_EQ(m.getEntryPoint(), "");
}

TEST(PiplManager, SettersReplaceTheFirstPropertyInPlace) {
    PIPLManager m;
    m.loadFromPIPL(list(2, {property("name", {1, 'A'}, 2), property("catg", {1, 'B'}, 2)}));
    m.setName(std::string(300, 'x'));
    EXPECT_EQ(m.indexOfKey(fourCharCode("name")), 0);
    EXPECT_EQ(m.getName().size(), 255u);
    m.setEntryPoint("ENTRYPOINT7");
    EXPECT_EQ(m.propertyData(fourCharCode("wx86"))->size(), 11u);  // bare characters
    EXPECT_EQ(m.getEntryPoint(), "ENTRYPOINT7");
    EXPECT_EQ(m.findProperty(fourCharCode("wx86"))->vendor, fourCharCode("8BIM"));
}

// Names as modules store them, counting a terminator or padded with blanks,
// read the way a person types them.
TEST(PiplManager, NamesAndCategoriesLoseStrayBytesAndBlanksAtEitherEnd) {
    const struct {
        std::string stored, shown;
    } cases[] = {
        {std::string("HSL to RGB\0", 11), "HSL to RGB"},
        {std::string("Blur\0\0\0", 7), "Blur"},
        {" The Plugin Site", "The Plugin Site"},
        {"\tTabs and CR\r\n", "Tabs and CR"},
        {std::string("Two\0Words", 9), "Two Words"},
        {"Rubout\x7F", "Rubout"},
        {std::string("\0 \0", 3), ""},
        {"Caf\xC3\xA9 ", "Caf\xC3\xA9"},  // UTF-8 bytes are no blanks
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        std::vector<std::uint8_t> text = {std::uint8_t(c.stored.size())};
        text.insert(text.end(), c.stored.begin(), c.stored.end());
        PIPLManager m;
        m.loadFromPIPL(list(2, {property("name", text, int(text.size())), property("catg", text, int(text.size()))}));
        EXPECT_EQ(m.getName(), c.shown);
        EXPECT_EQ(m.getCategory(), c.shown);
    }
}

TEST(PiplManager, FilterCaseFlagsComeFromTheCaseRecord) {
    PIPLManager m;
    std::vector<std::uint8_t> fici(28, 0);
    fici[2 * 4 + 2] = 0x08;
    m.setProperty(fourCharCode("fici"), fici);
    EXPECT_EQ(m.filterCaseFlags(3), 0x08);
    EXPECT_EQ(m.filterCaseFlags(1), 0);
    EXPECT_FALSE(m.filterCaseFlags(8));
}

TEST(SimpleRegister, HoldsTheKnownCodesWithTheHostSignatureLast) {
    const auto& rows = SimpleRegister::standard().rows();
    ASSERT_EQ(rows.size(), 28u);
    EXPECT_EQ(rows[0].displayName, "Kind");
    EXPECT_EQ(rows[0].kind, 5);
    EXPECT_EQ(SimpleRegister::standard().displayName(fourCharCode("fici")), "Filter Case Info");
    EXPECT_EQ(hostSignature(), fourCharCode("TSLY"));
    EXPECT_EQ(fourCharCode("catg"), 0x63617467u);
}

}  // namespace
}  // namespace mugwarp

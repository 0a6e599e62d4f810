// The resource directory reader on directories a damaged or hostile module
// could carry: each must cost a bounded walk, and a plain one must still give
// every filter.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "filter_test_support.h"
#include "pshost/module_resources.h"
#include "support/pe_patch.h"

namespace mugwarp::test {
namespace {

constexpr std::uint32_t kSubdirectory = 0x80000000u;

// Lays out a resource directory: offsets are from its start, as in the file.
class ResourceTree {
public:
    explicit ResourceTree(std::uint32_t address) : address_(address) {}

    std::uint32_t directory(int named, int numbered) {
        const std::uint32_t at = grow(16 + 8 * std::size_t(named + numbered));
        put16(at + 12, std::uint16_t(named));
        put16(at + 14, std::uint16_t(numbered));
        return at;
    }
    void entry(std::uint32_t directory, int index, std::uint32_t nameOrId, std::uint32_t target) {
        put32(directory + 16 + 8 * std::uint32_t(index), nameOrId);
        put32(directory + 20 + 8 * std::uint32_t(index), target);
    }
    // A counted UTF-16 name, as a named entry points to it.
    std::uint32_t name(const std::string& text) {
        const std::uint32_t at = grow(2 + 2 * text.size());
        put16(at, std::uint16_t(text.size()));
        for (std::size_t i = 0; i < text.size(); ++i) put16(at + 2 + 2 * std::uint32_t(i), std::uint8_t(text[i]));
        return at | kSubdirectory;
    }
    // A data entry and the bytes it describes.
    std::uint32_t data(const std::vector<std::uint8_t>& content) {
        const std::uint32_t at = grow(16 + content.size());
        put32(at, address_ + at + 16);
        put32(at + 4, std::uint32_t(content.size()));
        std::memcpy(&bytes[at + 16], content.data(), content.size());
        return at;
    }

    std::vector<std::uint8_t> bytes;

private:
    std::uint32_t grow(std::size_t size) {
        const std::uint32_t at = std::uint32_t((bytes.size() + 3) & ~std::size_t(3));
        bytes.resize(at + size);
        return at;
    }
    void put16(std::uint32_t at, std::uint16_t v) { std::memcpy(&bytes[at], &v, 2); }
    void put32(std::uint32_t at, std::uint32_t v) { std::memcpy(&bytes[at], &v, 4); }

    std::uint32_t address_;
};

// The root, one "PIPL" type directory with `resources` entries, each
// entry's target chosen by the case.
struct PluginTree {
    ResourceTree tree;
    std::uint32_t root, type;
    PluginTree(std::uint32_t address, int types, int resources) : tree(address) {
        root = tree.directory(types, 0);
        type = tree.directory(0, resources);
        const std::uint32_t name = tree.name("PIPL");
        for (int i = 0; i < types; ++i) tree.entry(root, i, name, type | kSubdirectory);
    }
    std::uint32_t language(std::uint32_t dataEntry) {
        const std::uint32_t at = tree.directory(0, 1);
        tree.entry(at, 0, 0x409, dataEntry);
        return at | kSubdirectory;
    }
};

TEST(PeResources, EveryWalkOfAHostileDirectoryIsBounded) {
    const std::string path = testModule("windows.8bf");
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "x86_64-w64-mingw32-gcc/windres missing";
    const std::vector<std::uint8_t> original = readBytes(path);
    const auto plain = readPeResources(original);
    ASSERT_TRUE(plain && !plain->pipls.empty());
    const std::vector<std::uint8_t> pipl = plain->pipls.front();
    const std::vector<std::uint8_t> large(64 * 1024, 0x41);

    const struct {
        const char* what;
        std::function<std::vector<std::uint8_t>(std::uint32_t)> make;
        std::size_t expectedPipls;  // 0: only bounded in bytes
    } cases[] = {
        {"a plain directory: two filters",
         [&](std::uint32_t a) {
             PluginTree t(a, 1, 2);
             for (int i = 0; i < 2; ++i) t.tree.entry(t.type, i, std::uint32_t(i + 1), t.language(t.tree.data(pipl)));
             return t.tree.bytes;
         },
         2},
        {"the plug-in type listed again and again",
         [&](std::uint32_t a) {
             PluginTree t(a, 3000, 1);
             t.tree.entry(t.type, 0, 1, t.language(t.tree.data(pipl)));
             return t.tree.bytes;
         },
         1},
        {"every resource entering one language directory",
         [&](std::uint32_t a) {
             PluginTree t(a, 1, 4000);
             const std::uint32_t shared = t.language(t.tree.data(pipl));
             for (int i = 0; i < 4000; ++i) t.tree.entry(t.type, i, std::uint32_t(i + 1), shared);
             return t.tree.bytes;
         },
         1},
        {"directories pointing back up",
         [&](std::uint32_t a) {
             PluginTree t(a, 1, 3);
             t.tree.entry(t.type, 0, 1, t.root | kSubdirectory);
             t.tree.entry(t.type, 1, 2, t.type | kSubdirectory);
             t.tree.entry(t.type, 2, 3, t.language(t.tree.data(pipl)));
             return t.tree.bytes;
         },
         1},
        {"one large resource under thousands of entries",
         [&](std::uint32_t a) {
             PluginTree t(a, 1, 4000);
             const std::uint32_t shared = t.tree.data(large);
             for (int i = 0; i < 4000; ++i) t.tree.entry(t.type, i, std::uint32_t(i + 1), t.language(shared));
             return t.tree.bytes;
         },
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> module = original;
        ASSERT_TRUE(replaceResources(module, c.make));
        const auto resources = readPeResources(module);
        ASSERT_TRUE(resources);
        if (c.expectedPipls) {
            EXPECT_EQ(resources->pipls.size(), c.expectedPipls);
            for (const auto& p : resources->pipls) EXPECT_EQ(p, pipl);
        } else {
            std::size_t bytes = 0;
            for (const auto& p : resources->pipls) bytes += p.size();
            EXPECT_GT(bytes, 0u);
            EXPECT_LE(bytes, std::size_t(16) << 20);  // the module itself is under 1 MB
        }
    }
}

// A mutated module kept from fuzzing: directories entered again and again
// under thousands of long names. It lists no filter, and listing it must not
// cost more than a module does.
TEST(PeResources, TheFuzzedModuleWithLoopingDirectoriesListsNothingOdd) {
    const auto bytes = readBytes(MUGWARP_FUZZ_REGRESSIONS "/pe_resources/looping-directories-long-names");
    ASSERT_FALSE(bytes.empty());
    const auto resources = readPeResources(bytes);
    ASSERT_TRUE(resources);
    EXPECT_LE(resources->pipls.size(), 1u);
}

}  // namespace
}  // namespace mugwarp::test

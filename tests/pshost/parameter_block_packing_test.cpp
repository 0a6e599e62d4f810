#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "pshost/parameter_block_packing.h"

namespace mugwarp {
namespace {

using Bytes = std::vector<std::uint8_t>;

HostMemory::Handle handleWith(const std::string& text) {
    HostMemory::Handle h = HostMemory::instance().allocate(text.size());
    std::memcpy(*h, text.data(), text.size());
    return h;
}

// A block with a handle written at offset among other bytes.
Bytes blockHolding(HostMemory::Handle h, std::size_t offset, std::size_t size) {
    Bytes block(size, 0xA5);
    std::memcpy(block.data() + offset, &h, sizeof h);
    return block;
}

std::string textOf(HostMemory::Handle h) { return {*h, HostMemory::instance().size(h)}; }

TEST(ParameterBlockPacking, HandlesInsideABlockComeBackWithTheirContentsAtNewAddresses) {
    HostMemory& memory = HostMemory::instance();
    const struct {
        const char* what;
        std::size_t offset, size;
    } cases[] = {{"at the start", 0, 16}, {"at an odd offset", 7, 24}, {"at the very end", 32, 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HostMemory::Handle expression = handleWith("r*2+g");
        const Bytes block = blockHolding(expression, c.offset, c.size);
        const Bytes kept = packParameterBlock(block, memory);
        EXPECT_NE(kept, block);
        memory.dispose(expression);  // gone, as in another process
        const auto unpacked = unpackParameterBlock(kept, memory);
        ASSERT_TRUE(unpacked);
        ASSERT_EQ(memory.size(*unpacked), c.size);
        HostMemory::Handle nested = nullptr;
        std::memcpy(&nested, **unpacked + c.offset, sizeof nested);
        ASSERT_TRUE(memory.isHandle(nested));
        EXPECT_EQ(textOf(nested), "r*2+g");
        Bytes around(**unpacked, **unpacked + c.size);
        std::memset(around.data() + c.offset, 0, sizeof nested);
        Bytes expected = block;
        std::memset(expected.data() + c.offset, 0, sizeof nested);
        EXPECT_EQ(around, expected);
        memory.dispose(nested);
        memory.dispose(*unpacked);
    }
}

TEST(ParameterBlockPacking, PlainBlocksStayAsTheyAreAndNeverPassForPackedOnes) {
    HostMemory& memory = HostMemory::instance();
    const Bytes cases[] = {{}, {1, 2, 3}, {'M', 'W', 'P', 'B'}, {'M', 'W', 'P', 'B', 1, 0, 0, 0, 9, 9}};
    for (const Bytes& block : cases) {
        const Bytes kept = packParameterBlock(block, memory);
        const bool looksPacked = block.size() >= 4 && block[0] == 'M' && block[1] == 'W';
        EXPECT_EQ(kept == block, !looksPacked);
        const auto unpacked = unpackParameterBlock(kept, memory);
        ASSERT_TRUE(unpacked);
        EXPECT_EQ(Bytes(**unpacked, **unpacked + memory.size(*unpacked)), block);
        memory.dispose(*unpacked);
    }
}

TEST(ParameterBlockPacking, DamagedPackingIsRefused) {
    HostMemory& memory = HostMemory::instance();
    HostMemory::Handle expression = handleWith("x");
    const Bytes kept = packParameterBlock(blockHolding(expression, 4, 16), memory);
    memory.dispose(expression);
    const std::size_t before = memory.liveBlocks();
    Bytes otherPointers = kept;
    otherPointers[8] = sizeof(void*) == 8 ? 4 : 8;
    Bytes outside = kept;
    outside[20 + 16] = 15;  // the handle's offset past the block
    Bytes longer = kept;
    longer.push_back(0);
    for (const Bytes& bad : {Bytes(kept.begin(), kept.end() - 1), otherPointers, outside, longer})
        EXPECT_FALSE(unpackParameterBlock(bad, memory));
    EXPECT_EQ(memory.liveBlocks(), before);
}

}  // namespace
}  // namespace mugwarp

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "filterapply/filter_settings_store.h"
#include "formats/crc32.h"
#include "pshost/descriptor.h"
#include "pshost/plugin_list.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

namespace fs = std::filesystem;

SavedFilterSettings sample() {
    Descriptor d;
    Descriptor::Item amount;
    amount.key = fourCharCode("Amnt");
    amount.type = descriptor_type::kInteger;
    amount.integer = 37;
    d.put(amount);
    return {{"/plugins/probe.8bf", 12345, 1700000000123456789, "Settings", "Scripted Settings"},
            {std::vector<std::uint8_t>{37, 0, 0, 0}, d.toBytes()}};
}

void putLe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

TEST(SettingsFile, WhatIsWrittenIsReadBackAndNothingElseIs) {
    const SavedFilterSettings saved = sample();
    const std::vector<std::uint8_t> bytes = encodeSettingsFile(saved);
    const auto back = parseSettingsFile(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->module, saved.module);
    EXPECT_EQ(back->settings, saved.settings);
    SavedFilterSettings bare = saved;
    bare.settings = {};
    EXPECT_EQ(parseSettingsFile(encodeSettingsFile(bare))->settings, FilterSettings{});

    std::string problem;
    for (std::size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(parseSettingsFile(std::span(bytes.data(), n)));
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        std::vector<std::uint8_t> changed = bytes;
        changed[random() % changed.size()] ^= std::uint8_t(1 + random() % 255);
        EXPECT_FALSE(parseSettingsFile(changed, &problem));
    }
}

TEST(SettingsFile, ForeignVersionsAndLiesBehindAGoodChecksumAreRefused) {
    // Each case changes the bytes, then makes the checksum right again, so
    // only the structure can give them away.
    const std::vector<std::uint8_t> good = encodeSettingsFile(sample());
    const std::size_t pathLength = 8;
    const struct {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> change;
        const char* problem;
    } cases[] = {
        {"another version", [](auto& b) { putLe32(b, 4, 2); }, "a settings file of another version"},
        {"a path longer than any", [&](auto& b) { putLe32(b, pathLength, 5000); }, "damaged (length)"},
        {"a path reaching past the end", [&](auto& b) { putLe32(b, pathLength, 0xFFFFFFF0u); }, "damaged (length)"},
        {"a presence byte of 7", [](auto& b) { b[b.size() - 4 - sample().settings.descriptor->size() - 1] = 7; },
         "damaged (settings part)"},
        {"a descriptor that is none", [](auto& b) { b[b.size() - 4 - 1] ^= 0x55; }, "damaged (descriptor)"},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> b = good;
        b.resize(b.size() - 4);
        c.change(b);
        b.resize(b.size() + 4);
        // A valid checksum over the forged fields, so the parser must refuse them on their own.
        putLe32(b, b.size() - 4, crc32(std::span(b).first(b.size() - 4)));
        std::string problem;
        EXPECT_FALSE(parseSettingsFile(b, &problem)) << c.what;
        EXPECT_EQ(problem, c.problem) << c.what;
    }
}

class SettingsStore : public ::testing::Test {
protected:
    SettingsStore() {
        fs::create_directories(dir.path("plugins"));
        fs::copy_file(MUGWARP_SETTINGS_PROBE, dir.path("plugins/probe.8bf"));
        plugins.scanDirectory(dir.path("plugins"), false);
    }
    const PIPLManager& probe(const char* name) {
        for (int i = 0; i < plugins.count(); ++i)
            if (plugins.item(i).getName() == name) return plugins.item(i);
        throw std::runtime_error("no probe");
    }
    test::TempDir dir;
    PSPluginList plugins;
    FilterSettingsStore store{dir.path("config/mugwarp/filter-settings")};
    const FilterSettings settings = sample().settings;
};

TEST_F(SettingsStore, KeepsEachFiltersSettingsInAFileOfItsOwn) {
    std::string why;
    EXPECT_FALSE(store.load(probe("Scripted Settings"), &why));
    EXPECT_EQ(why, "none are saved");
    store.save({identityOf(probe("Scripted Settings")), settings});
    store.save({identityOf(probe("Block Settings")), {settings.parameters, std::nullopt}});
    EXPECT_EQ(store.load(probe("Scripted Settings")), settings);
    EXPECT_FALSE(store.load(probe("Block Settings"))->descriptor);
    EXPECT_EQ(store.list().size(), 2u);
    for (const auto& item : fs::directory_iterator(store.folder()))  // no temporary files left behind
        EXPECT_EQ(item.path().extension(), ".filter-settings");
}

TEST_F(SettingsStore, DamagedForeignAndStaleFilesAreIgnoredWithTheReason) {
    const PIPLManager& scripted = probe("Scripted Settings");
    const std::string file = store.fileFor(identityOf(scripted));
    fs::create_directories(store.folder());
    const struct {
        const char* what;
        std::function<void()> make;
        const char* because;
    } cases[] = {
        {"damaged", [&] {
             auto bytes = encodeSettingsFile({identityOf(scripted), settings});
             bytes[bytes.size() / 2] ^= 1;
             std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
         }, "damaged (checksum)"},
        {"empty", [&] { std::ofstream{file}; }, "not a filter settings file"},
        {"foreign", [&] {
             ModuleIdentity other = identityOf(scripted);
             other.path = "/elsewhere/probe.8bf";
             const auto bytes = encodeSettingsFile({other, settings});
             std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
         }, "they are for another module"},
        {"stale", [&] {
             store.save({identityOf(scripted), settings});
             std::ofstream(dir.path("plugins/probe.8bf"), std::ios::app) << "rebuilt";
         }, "they are from another build of the module"},
    };
    for (const auto& c : cases) {
        fs::remove(file);
        c.make();
        std::string why;
        EXPECT_FALSE(store.load(scripted, &why)) << c.what;
        EXPECT_EQ(why.rfind(c.because, 0), 0u) << c.what << ": " << why;
    }
}

}  // namespace
}  // namespace mugwarp

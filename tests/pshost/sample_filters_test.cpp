#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "filter_test_support.h"

namespace mugwarp::test {
namespace {

// Each sample filter against an independent computation of its operation:
// ImageMagick where its arithmetic is defined to match, else a plain loop.
class SampleFilters : public ::testing::Test {
protected:
    void SetUp() override { plugins.scanDirectory(MUGWARP_SAMPLE_FILTERS, false); }

    Picture run(const std::string& name, Picture picture, Mask* mask = nullptr, bool repeat = false) {
        EXPECT_TRUE(runFilter(host, entryNamed(plugins, name), picture, repeat, mask));
        return picture;
    }
    // Largest difference of red, green and blue from the reference.
    static int worst(const Picture& got, const std::function<int(int x, int y, int c)>& expected) {
        int diff = 0;
        for (int y = 0; y < got.height; ++y)
            for (int x = 0; x < got.width; ++x)
                for (int c = 0; c < 3; ++c) diff = std::max(diff, std::abs(got.channel(x, y, c) - expected(x, y, c)));
        return diff;
    }
    static int worst(const Picture& got, const std::vector<std::uint8_t>& rgb) {
        if (rgb.empty()) return -1;
        return worst(got, [&](int x, int y, int c) { return rgb[(std::size_t(y) * got.width + x) * 3 + c]; });
    }

    PSPluginList plugins;
    PSFilterHost host;
    const Picture source = patternPicture(301, 263);  // more than one band and tile of each filter
};

int clamp255(int v) { return std::clamp(v, 0, 255); }

TEST_F(SampleFilters, ListAllEightInTheirCategories) {
    ASSERT_EQ(plugins.count(), 8);
    EXPECT_EQ(plugins.item(0).getCategory(), "Mugwarp Adjust");
    EXPECT_EQ(plugins.item(7).getName(), "Pixelate");  // "Mugwarp Stylize" sorts last
}

TEST_F(SampleFilters, MatchImageMagick) {
    if (imageMagick(source, "").empty()) GTEST_SKIP() << "ImageMagick missing";
    EXPECT_EQ(worst(run("Invert", source), imageMagick(source, "-negate")), 0);
    EXPECT_LE(worst(run("Posterize...", source), imageMagick(source, "-posterize 4")), 1);
    EXPECT_LE(worst(run("Sepia", source),
                    imageMagick(source, "-color-matrix '0.393 0.769 0.189 0.349 0.686 0.168 0.272 0.534 0.131'")),
              1);
}

TEST_F(SampleFilters, MatchPlainReferenceLoops) {
    const auto at = [&](int x, int y, int c) {
        return source.channel(std::clamp(x, 0, source.width - 1), std::clamp(y, 0, source.height - 1), c);
    };
    EXPECT_EQ(worst(run("Emboss", source), [&](int x, int y, int c) { return clamp255(128 + at(x + 1, y + 1, c) - at(x - 1, y - 1, c)); }), 0);
    EXPECT_EQ(worst(run("Sharpen", source), [&](int x, int y, int c) {
        return clamp255(5 * at(x, y, c) - at(x - 1, y, c) - at(x + 1, y, c) - at(x, y - 1, c) - at(x, y + 1, c));
    }), 0);
    EXPECT_EQ(worst(run("Pixelate", source), [&](int x, int y, int c) { return at(x / 8 * 8, y / 8 * 8, c); }), 0);

    // Gaussian blur of radius 2 (sigma 1), edges repeated, in floating point.
    std::vector<double> w(5);
    double sum = 0;
    for (int k = -2; k <= 2; ++k) sum += w[k + 2] = std::exp(-k * k / 2.0);
    std::vector<double> across(std::size_t(source.width) * source.height * 3);
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x)
            for (int c = 0; c < 3; ++c) {
                double v = 0;
                for (int k = -2; k <= 2; ++k) v += w[k + 2] / sum * at(x + k, y, c);
                across[(std::size_t(y) * source.width + x) * 3 + c] = v;
            }
    EXPECT_LE(worst(run("Gaussian Blur...", source), [&](int x, int y, int c) {
        double v = 0;
        for (int k = -2; k <= 2; ++k)
            v += w[k + 2] / sum * across[(std::size_t(std::clamp(y + k, 0, source.height - 1)) * source.width + x) * 3 + c];
        return int(std::lround(v));
    }), 1);
}

TEST_F(SampleFilters, ColourFillTakesTheChosenColourAndBlendsWithTheMaskItself) {
    struct Picker : FilterRunClient {
        void colorServices(ColorRequest& request) override {
            ++asked;
            request.components = {10, 20, 250, request.components[3]};
        }
        int asked = 0;
    } picker;
    host.setClient(&picker);
    Mask mask(source.width, source.height, 0);
    for (std::size_t i = 0; i < mask.values.size(); ++i) mask.values[i] = std::uint8_t(i * 7);
    const int rgb[3] = {10, 20, 250};
    const auto expected = [&](int x, int y, int c) {
        const int m = mask.values[std::size_t(y) * source.width + x];
        return (rgb[c] * m + source.channel(x, y, c) * (255 - m) + 127) / 255;
    };
    EXPECT_EQ(worst(run("Colour Fill...", source, &mask), expected), 0);
    EXPECT_EQ(worst(run("Colour Fill...", source, &mask, true), expected), 0);  // the repeat keeps the colour
    EXPECT_EQ(picker.asked, 1);
}

TEST_F(SampleFilters, APosterizeRepeatUsesTheKeptLevels) {
    run("Posterize...", source);
    ASSERT_NE(host.keptParameters(), nullptr);
    *reinterpret_cast<std::int32_t*>(*host.keptParameters()) = 2;
    EXPECT_EQ(worst(run("Posterize...", source, nullptr, true), [&](int x, int y, int c) { return source.channel(x, y, c) < 128 ? 0 : 255; }), 0);
}

}  // namespace
}  // namespace mugwarp::test

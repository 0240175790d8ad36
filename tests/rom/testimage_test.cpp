#include <gtest/gtest.h>

#include "rom/checksum.h"
#include "rom/codepatterns.h"
#include "rom/testimage.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

constexpr std::size_t kChecksumAt = 0x18E;

std::int32_t titleStart(const Bytes& image) {
    const auto found = findPattern(image, parsePattern(kTitleStartCode));
    EXPECT_EQ(found.size(), 1u);
    return found.empty() ? 0 : found.front();
}

using TestImageRewrite = ProfileTest;

// Only the start code and the checksum change: two clr.w, then move.w #zone<<8|act,$FE10.w.
TEST_P(TestImageRewrite, RewritesOnlyTheTitleStartAndTheChecksum) {
    const Bytes& image = demo().image;
    const auto start = static_cast<std::size_t>(titleStart(image));
    for (const std::int16_t level : {0, 9, 19}) {
        auto test = makeTestImage(image, profile(), level);
        ASSERT_TRUE(test.ok()) << test.error().describe();
        ASSERT_EQ(test->size(), image.size());
        const auto l = static_cast<std::size_t>(level);
        Bytes code{0x42, 0x78, 0xFF, 0x8A, 0x42, 0x78, 0xFF, 0xD8,
                   0x31, 0xFC, 0,    0,    0xFE, 0x10, 0x4A, 0x38};
        code[10] = demo().levelZone[l];
        code[11] = demo().levelAct[l];
        EXPECT_EQ(Bytes(test->begin() + static_cast<std::ptrdiff_t>(start),
                        test->begin() + static_cast<std::ptrdiff_t>(start + code.size())),
                  code);
        for (std::size_t at = 0; at < image.size(); ++at) {
            if ((*test)[at] != image[at]) {
                EXPECT_TRUE(at - start < 14 || at - kChecksumAt < 2) << "changed " << at;
            }
        }
        const HeaderFields header;
        EXPECT_EQ(*storedChecksum(*test, header), *computeChecksum(*test, header));
        // A test copy of a test copy starts the level asked for.
        EXPECT_EQ(makeTestImage(*test, profile(), 4).value(),
                  makeTestImage(image, profile(), 4).value());
    }
}

// The start code is found by its bytes wherever it lies.
ORVEX_ONE_PROFILE(TestImageRewrite);

TEST(TestImage, RefusesAnImageWithoutTheTitleStartOrWithItTwice) {
    const DemoRom& demo = demoRom();
    const auto start = static_cast<std::size_t>(titleStart(demo.image));
    Bytes none = demo.image;
    none[start + 1] = 0x01;  // moveq #1,d0
    auto refused = makeTestImage(none, demo.profile, 3);
    ASSERT_TRUE(failsWith(refused, ErrorCode::NotARom));
    const std::string& message = refused.error().message;
    EXPECT_NE(message.find("7000 31C0 FF8A 31C0 FFD8 31C0 FE10 4A38"), std::string::npos);
    EXPECT_NE(message.find("nothing was written"), std::string::npos) << message;

    Bytes twice = demo.image;
    std::copy_n(demo.image.begin() + static_cast<std::ptrdiff_t>(start), 16,
                twice.begin() + static_cast<std::ptrdiff_t>(start + 0x40));
    refused = makeTestImage(twice, demo.profile, 3);
    ASSERT_TRUE(failsWith(refused, std::nullopt,
                          "2 times (at " + hexOffset(std::int64_t(start)) + ", " +
                              hexOffset(std::int64_t(start + 0x40)) + ")"));
}

}  // namespace
}  // namespace orvex::testing

#include "remote/RemoteFramer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace kelvandor {
namespace {

using Step = CRemoteFramer::Step;

// Feeds bytes in chunks of the given size and collects "<code><letter>" of each frame.
std::vector<std::string> FrameAll(const std::string& bytes, std::size_t chunk) {
    CRemoteFramer framer;
    std::vector<std::string> frames;
    std::size_t fed = 0;
    for (int guard = 0; guard < 100000; ++guard) {
        CRemoteFramer::Frame frame;
        Step step = framer.BeginPass(&frame);
        while (step == Step::HaveFrame) {
            frames.push_back(std::to_string(frame.code) + frame.letter);
            step = framer.FinishFrame(&frame);
        }
        EXPECT_LE(framer.Held(), CRemoteFramer::kCapacity);
        if (step == Step::Receive) {
            if (fed == bytes.size()) {
                return frames;
            }
            // Waiting for more must always leave room to receive it.
            EXPECT_GT(framer.FreeCount(), 0u);
            const std::size_t n = std::min({chunk, bytes.size() - fed, framer.FreeCount()});
            std::memcpy(framer.FreeSpace(), bytes.data() + fed, n);
            framer.Commit(n);
            fed += n;
        }
    }
    ADD_FAILURE() << "the framer made no progress";
    return frames;
}

TEST(RemoteFramerTest, FramesSurviveAnySplitOfTheStream) {
    const std::string stream =
        "5D0123abcd\r\n"  // CR LF
        "xx\xff"          // garbage
        "6U01234567\r"    // other event letter
        "5D1234567\r"     // seven digits: dropped
        "FD123456789\n"   // nine digits: dropped
        "aD01234567\n"    // lower-case code
        "CD89ABCDEF\n";
    const std::vector<std::string> expected = {"5D", "6U", "42D", "12D"};
    for (std::size_t chunk : {1u, 2u, 3u, 7u, 11u, 32u}) {
        EXPECT_EQ(FrameAll(stream, chunk), expected) << "chunks of " << chunk;
    }
}

// A frame with one digit too many and then a good frame: once reported byte by byte but lost
// in one read (nineteen hex digits counted and dropped together). A frame may begin at any
// byte after the first of a damaged one.
TEST(RemoteFramerTest, AFrameAfterADamagedOneIsFoundHoweverTheBytesArrive) {
    const std::string stream = "0D123456789" "1D12345678" "\r";
    ASSERT_EQ(stream.size(), 22u);
    for (std::size_t chunk : {1u, 2u, 5u, 11u, 22u, 32u}) {
        EXPECT_EQ(FrameAll(stream, chunk), std::vector<std::string>{"1D"}) << "chunks of " << chunk;
    }
}

// The same presses for every cutting of random streams that hold frames among damage.
TEST(RemoteFramerTest, RandomCuttingsGiveTheSamePresses) {
    std::mt19937 random(19);
    const char alphabet[] = "0123456789ABCDEFDUS\r\n";
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0, n = random() % 200; i < n; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(alphabet[random() % (sizeof alphabet - 1)]));
        }
        std::vector<std::uint8_t> pieces(1 + random() % 6);
        for (auto& piece : pieces) {
            piece = static_cast<std::uint8_t>(random() % 13);
        }
        const auto whole = FrameInPieces(bytes, {});
        const auto cut = FrameInPieces(bytes, pieces);
        ASSERT_EQ(cut.size(), whole.size()) << "round " << round;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            EXPECT_EQ(cut[i].code, whole[i].code);
            EXPECT_EQ(cut[i].letter, whole[i].letter);
        }
    }
}

TEST(RemoteFramerTest, RandomBytesNeverOverfillOrStall) {
    std::mt19937 random(20261206);
    const char alphabet[] = "0123456789ABCDEFabcdefDUS\r\n\x00xZ";
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        const std::size_t length = random() % 400;
        for (std::size_t i = 0; i < length; ++i) {
            bytes += random() % 4 == 0 ? static_cast<char>(random())
                                       : alphabet[random() % (sizeof alphabet - 1)];
        }
        // A valid frame after the noise is still found once a line end has cleared it.
        bytes += "\r\n3D00000000\r";
        const auto frames = FrameAll(bytes, 1 + random() % 40);
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.back(), "3D") << "round " << round;
    }
}

}  // namespace
}  // namespace kelvandor

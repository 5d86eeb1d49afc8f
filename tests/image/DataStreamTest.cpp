#include "image/DataStream.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::Bytes;

TEST(DataStreamTest, ResourcePathsResolveTypeAndName) {
    ResourceId type, name;
    ASSERT_TRUE(ParseResourcePath("res://bitmap/152", type, name));
    EXPECT_EQ(type.number, kResourceTypeBitmap);
    EXPECT_EQ(name.number, 152u);
    ASSERT_TRUE(ParseResourcePath("RES:\\\\BITMAP\\152", type, name));
    EXPECT_EQ(type.number, kResourceTypeBitmap);
    EXPECT_EQ(name.number, 152u);
    ASSERT_TRUE(ParseResourcePath("res://152", type, name));
    EXPECT_EQ(type.name, "DATA");
    EXPECT_EQ(name.number, 152u);
    ASSERT_TRUE(ParseResourcePath("res:/\\Html/help", type, name));
    EXPECT_EQ(type.number, kResourceTypeHtml);
    EXPECT_EQ(name.name, "help");
    ASSERT_TRUE(ParseResourcePath("res://cursor/1", type, name));
    EXPECT_EQ(type.number, kResourceTypeCursor);
    ASSERT_TRUE(ParseResourcePath("res://icon/0", type, name));
    EXPECT_EQ(type.number, kResourceTypeIcon);
    EXPECT_EQ(name.name, "0");  // zero is no resource number, so it is a name
    ASSERT_TRUE(ParseResourcePath("res://17/WAVE", type, name));
    EXPECT_EQ(type.number, 17u);
    ASSERT_TRUE(ParseResourcePath("res://wave/TICK", type, name));
    EXPECT_EQ(type.name, "wave");
    EXPECT_EQ(name.name, "TICK");
    // A separator beyond the first 63 characters does not split type and name.
    const std::string longName = std::string(63, 'x') + "/y";
    ASSERT_TRUE(ParseResourcePath("res://" + longName, type, name));
    EXPECT_EQ(type.name, "DATA");
    EXPECT_EQ(name.name, longName);

    EXPECT_FALSE(ParseResourcePath("res:/x/y", type, name));
    EXPECT_FALSE(ParseResourcePath("resource://x/y", type, name));
    EXPECT_FALSE(ParseResourcePath("/home/res://x", type, name));
}

TEST(DataStreamTest, ResourceStreamServesTheTableBytes) {
    CDataStream stream;
    ASSERT_TRUE(stream.Open("res://data/kelvandor_test"));
    std::string line;
    ASSERT_TRUE(stream.ReadLine(line));
    EXPECT_EQ(line, "Kelvandor resource table test entry");
    EXPECT_TRUE(stream.AtEnd());
    ASSERT_TRUE(stream.Open("res://KELVANDOR_TEST"));  // type DATA when none is given
    EXPECT_EQ(stream.Size(), 36u);
    EXPECT_FALSE(stream.Open("res://bitmap/424242"));
}

TEST(DataStreamTest, FileStreamReadsPeeksAndSeeksAcrossBufferRefills) {
    Bytes data(100000);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    const std::string path = testimages::WriteTempFile("stream.bin", data);
    CDataStream stream;
    ASSERT_TRUE(stream.Open(path, 64));  // a small buffer makes every path run
    EXPECT_EQ(stream.Size(), data.size());
    std::uint8_t b;
    ASSERT_TRUE(stream.ReadByte(b));
    EXPECT_EQ(b, data[0]);
    std::uint32_t word;
    ASSERT_TRUE(stream.ReadLe32(word));
    EXPECT_EQ(word,
              data[1] | data[2] << 8 | data[3] << 16 | static_cast<std::uint32_t>(data[4]) << 24);
    Bytes chunk(1000);
    ASSERT_EQ(stream.Read(chunk.data(), chunk.size()), chunk.size());  // read past the buffer
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), data.begin() + 5));
    auto peek = stream.Peek(40);
    ASSERT_EQ(peek.size(), 40u);
    EXPECT_EQ(peek[0], data[1005]);
    EXPECT_EQ(stream.Position(), 1005u);
    ASSERT_TRUE(stream.Seek(3));  // back before the buffer
    ASSERT_TRUE(stream.ReadByte(b));
    EXPECT_EQ(b, data[3]);
    ASSERT_TRUE(stream.Seek(99990));
    EXPECT_EQ(stream.Read(chunk.data(), chunk.size()), 10u);
    EXPECT_EQ(chunk[9], data[99999]);
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_FALSE(stream.ReadByte(b));
    EXPECT_FALSE(stream.Seek(100001));
    ASSERT_TRUE(stream.Seek(50));
    EXPECT_FALSE(stream.Skip(200000));
    EXPECT_EQ(stream.Read(chunk.data(), 1), 0u);
}

TEST(DataStreamTest, MissingFilesAndFoldersDoNotOpen) {
    CDataStream stream;
    EXPECT_FALSE(stream.Open(::testing::TempDir() + "no-such-file.bmp"));
    EXPECT_FALSE(stream.Open(::testing::TempDir()));
    EXPECT_FALSE(stream.IsOpen());
}

}  // namespace
}  // namespace kelvandor

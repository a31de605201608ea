#include "ahcommon/packet.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

std::string Packet(const std::string& payload)
{
    std::string packet;
    PacketMessage(payload.data(), static_cast<int>(payload.size()), packet);
    return packet;
}

struct FrameCase {
    const char* name;
    std::string payload;
    std::string packet;
};

TEST(PacketMessage, FramesAndEscapes)
{
    const FrameCase cases[] = {
        {"empty", "", Bytes({0xFF, 0xFD, 0xFF, 0xFE})},
        {"plain", "abc", Bytes({0xFF, 0xFD, 'a', 'b', 'c', 0xFF, 0xFE})},
        {"inner FF", Bytes({0x01, 0xFF, 0x02}), Bytes({0xFF, 0xFD, 0x01, 0xFF, 0x00, 0x02, 0xFF, 0xFE})},
        {"only FF", Bytes({0xFF}), Bytes({0xFF, 0xFD, 0xFF, 0x00, 0xFF, 0xFE})},
        {"fake end mark", Bytes({0xFF, 0xFE}), Bytes({0xFF, 0xFD, 0xFF, 0x00, 0xFE, 0xFF, 0xFE})},
        {"fake start mark", Bytes({0xFF, 0xFD}), Bytes({0xFF, 0xFD, 0xFF, 0x00, 0xFD, 0xFF, 0xFE})},
        {"NULs", Bytes({0x00, 0x00}), Bytes({0xFF, 0xFD, 0x00, 0x00, 0xFF, 0xFE})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string packet = "stale";
        PacketMessage(c.payload.data(), static_cast<int>(c.payload.size()), packet);
        EXPECT_EQ(packet, c.packet);

        if (c.payload.empty()) continue;
        std::string stream = packet;
        std::string payload;
        EXPECT_EQ(UnpacketMessage(stream, payload), 1);
        EXPECT_EQ(payload, c.payload);
        EXPECT_TRUE(stream.empty());
    }
}

TEST(UnpacketMessage, RoundTripsEveryByteValueAndLength)
{
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    all += Bytes({0xFF, 0xFF, 0xFE, 0xFF, 0xFD, 0xFF, 0x00, 0xFF});
    for (std::size_t n = 1; n <= all.size(); ++n) {
        const std::string original = all.substr(all.size() - n);
        std::string stream = Packet(original);
        std::string payload;
        ASSERT_EQ(UnpacketMessage(stream, payload), 1) << n;
        ASSERT_EQ(payload, original) << n;
        ASSERT_TRUE(stream.empty()) << n;
    }
}

struct UnpackCase {
    const char* name;
    std::string stream;
    int result;
    std::string payload;
    std::string rest;
};

TEST(UnpacketMessage, StreamRules)
{
    const std::string untouched = "untouched";
    const UnpackCase cases[] = {
        {"garbage before, partial after", Bytes({0x41, 0x42, 0xFF, 0xFD, 0x61, 0xFF, 0xFE, 0xFF, 0xFD, 0x62}),
         1, "a", Bytes({0xFF, 0xFD, 0x62})},
        {"four bytes are never enough", Bytes({0xFF, 0xFD, 0xFF, 0xFE}), 0, untouched,
         Bytes({0xFF, 0xFD, 0xFF, 0xFE})},
        {"five bytes", Bytes({0xFF, 0xFD, 0x41, 0xFF, 0xFE}), 1, "A", ""},
        {"no start mark empties the stream", "hello world", 0, "", ""},
        {"start without end waits", Bytes({0x00, 0x11, 0xFF, 0xFD, 0x41, 0x42}), 0, "",
         Bytes({0xFF, 0xFD, 0x41, 0x42})},
        {"empty packet is consumed", Bytes({0xFF, 0xFD, 0xFF, 0xFE, 0xFF, 0xFD, 0x41, 0xFF, 0xFE}), 0, "",
         Bytes({0xFF, 0xFD, 0x41, 0xFF, 0xFE})},
        {"garbage removed with the packet", Bytes({0x00, 0x11, 0xFF, 0xFD, 0x41, 0xFF, 0xFE}), 1, "A", ""},
        {"trailing lone FF kept", Bytes({0xFF, 0xFD, 0x41, 0xFF, 0xFF, 0xFE}), 1, Bytes({0x41, 0xFF}), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string stream = c.stream;
        std::string payload = untouched;
        EXPECT_EQ(UnpacketMessage(stream, payload), c.result);
        EXPECT_EQ(payload, c.payload);
        EXPECT_EQ(stream, c.rest);
    }
}

TEST(UnpacketMessage, SecondCallOnPartialPacketKeepsIt)
{
    std::string stream = Bytes({0x41, 0x42, 0xFF, 0xFD, 0x61, 0xFF, 0xFE, 0xFF, 0xFD, 0x62});
    std::string payload;
    ASSERT_EQ(UnpacketMessage(stream, payload), 1);
    EXPECT_EQ(UnpacketMessage(stream, payload), 0);
    EXPECT_EQ(stream, Bytes({0xFF, 0xFD, 0x62}));
}

TEST(UnpacketMessage, TakesNestedPacketsApartOneByOne)
{
    const std::string fields[] = {"name", Bytes({0xFF}), Bytes({0xFF, 0xFE, 0x00}), "last"};
    std::string inner;
    for (const auto& f : fields) inner += Packet(f);
    std::string stream = Packet(inner) + Packet("next");

    std::string outer;
    ASSERT_EQ(UnpacketMessage(stream, outer), 1);
    EXPECT_EQ(outer, inner);
    for (const auto& f : fields) {
        std::string field;
        ASSERT_EQ(UnpacketMessage(outer, field), 1);
        EXPECT_EQ(field, f);
    }
    EXPECT_TRUE(outer.empty());
    std::string next;
    ASSERT_EQ(UnpacketMessage(stream, next), 1);
    EXPECT_EQ(next, "next");
}

TEST(UnpacketMessage, ByteAtATimeAccumulatorSeesEachPacketOnce)
{
    const std::string payloads[] = {"one", Bytes({0xFF, 0xFF}), "three"};
    std::string wire = "noise";
    for (const auto& p : payloads) wire += Packet(p);

    std::string accumulator;
    std::string payload;
    std::size_t taken = 0;
    for (char c : wire) {
        accumulator += c;
        if (UnpacketMessage(accumulator, payload) == 1) {
            ASSERT_LT(taken, std::size(payloads));
            EXPECT_EQ(payload, payloads[taken]);
            ++taken;
        }
    }
    EXPECT_EQ(taken, std::size(payloads));
}

TEST(Hex, Bit8ToBit16)
{
    EXPECT_EQ(Bit8ToBit16("abc"), "616263");
    EXPECT_EQ(Bit8ToBit16(Bytes({0x0A, 0xFF})), "0AFF");
    EXPECT_EQ(Bit8ToBit16(""), "");
    EXPECT_EQ(Bit8ToBit16(Bytes({0x00, 0x80, 0x7F})), "00807F");
}

TEST(Hex, Bit16ToBit8)
{
    const struct {
        const char* text;
        std::string bytes;
    } cases[] = {
        {"0aFF", Bytes({0x0A, 0xFF})},
        {"616", "a"},
        {"6G", ""},
        {"", ""},
        {"6", ""},
        {"61 2", ""},
        {"6162g", "ab"},  // the odd last character is never examined
        {"00", Bytes({0x00})},
    };
    for (const auto& c : cases) EXPECT_EQ(Bit16ToBit8(c.text), c.bytes) << c.text;
}

TEST(Hex, RoundTripsEveryByte)
{
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    const std::string hex = Bit8ToBit16(all);
    ASSERT_EQ(hex.size(), 512u);
    EXPECT_EQ(Bit16ToBit8(hex), all);
    std::string lower = hex;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(Bit16ToBit8(lower), all);
}

}  // namespace

#include "packet.h"

namespace {

const char kMark = '\xFF';
const char kStart = '\xFD';
const char kEnd = '\xFE';

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Position of the two-byte mark FF `second`, searched from `from`.
std::string::size_type FindMark(const std::string& s, char second, std::string::size_type from)
{
    const char mark[2] = {kMark, second};
    return s.find(mark, from, 2);
}

}  // namespace

void PacketMessage(const char* data, int length, std::string& packet)
{
    packet.clear();
    packet.reserve(static_cast<std::string::size_type>(length > 0 ? length : 0) + 8);
    packet += kMark;
    packet += kStart;
    for (int i = 0; i < length; ++i) {
        packet += data[i];
        if (data[i] == kMark) packet += '\0';
    }
    packet += kMark;
    packet += kEnd;
}

int UnpacketMessage(std::string& stream, std::string& payload)
{
    // A packet with a non-empty payload is at least five bytes long.
    if (stream.size() <= 4) return 0;
    payload.clear();

    const auto start = FindMark(stream, kStart, 0);
    if (start == std::string::npos) {
        stream.clear();
        return 0;
    }
    stream.erase(0, start);

    const auto end = FindMark(stream, kEnd, 0);
    if (end == std::string::npos) return 0;
    if (end > 2) payload.assign(stream, 2, end - 2);
    stream.erase(0, end + 2);
    if (payload.empty()) return 0;

    // Every FF is followed by one inserted byte: drop it, compacting in place.
    std::string::size_type out = 0;
    for (std::string::size_type in = 0; in < payload.size(); ++in) {
        payload[out++] = payload[in];
        if (payload[in] == kMark) ++in;
    }
    payload.resize(out);
    return 1;
}

std::string Bit8ToBit16(const std::string& bytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

std::string Bit16ToBit8(const std::string& text)
{
    std::string bytes;
    const auto pairs = text.size() / 2;
    bytes.reserve(pairs);
    for (std::string::size_type i = 0; i < pairs; ++i) {
        const int high = HexValue(text[2 * i]);
        const int low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::string();
        bytes += static_cast<char>((high << 4) | low);
    }
    return bytes;
}

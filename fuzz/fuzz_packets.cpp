// Packet streams: the input fed to UnpacketMessage a byte at a time, as a
// menu file or a socket is read, and whole, as nested payloads are taken
// apart; the position-based reader of menu bodies must give exactly the
// same packets, and every payload must survive being packed again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ahcommon/packet.h"
#include "menudoc/packetstream.h"

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

// Packing `payload` gives the same packet in both writers, and unpacking
// that gives the payload back.
void RequireRepacks(const std::string& payload)
{
    std::string packet, appended, back;
    PacketMessage(payload.data(), static_cast<int>(payload.size()), packet);
    AppendPacket(appended, payload);
    Require(packet == appended);
    Require(UnpacketMessage(packet, back) == 1 && back == payload && packet.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    // Whole: UnpacketMessage on the stream and TakePacket at a position
    // agree on every call, result, payload and what is left.
    std::string stream = input;
    std::size_t position = 0;
    std::string payload = "unchanged", taken;
    for (;;) {
        const std::size_t sizeBefore = stream.size();
        const std::string payloadBefore = payload;
        const int result = UnpacketMessage(stream, payload);
        Require(result == TakePacket(input, position, taken));
        Require(stream.size() == input.size() - position &&
                stream.compare(0, std::string::npos, input, position, std::string::npos) == 0);
        if (result == 1) {
            Require(!payload.empty() && payload == taken);
            RequireRepacks(payload);
        } else if (sizeBefore <= 4) {
            // Too short: nothing changes, not even the payload.
            Require(stream.size() == sizeBefore && payload == payloadBefore);
        }
        if (stream.size() == sizeBefore) break;  // nothing more comes off
    }

    // A byte at a time, as files and sockets are read: every packet
    // completed is whole.
    std::string accumulator;
    for (char c : input) {
        accumulator += c;
        if (UnpacketMessage(accumulator, payload) == 1) RequireRepacks(payload);
    }

    // Hexadecimal text both ways: bytes to text and back, and whatever text
    // the input is to bytes.
    const std::string hex = Bit8ToBit16(input);
    Require(hex.size() == 2 * input.size());
    Require(Bit16ToBit8(hex) == input);
    const std::string bytes = Bit16ToBit8(input);
    Require(bytes.empty() || bytes.size() == input.size() / 2);
    return 0;
}

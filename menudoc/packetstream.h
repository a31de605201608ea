// Packets written and taken at a position, so that reading or writing a
// whole menu body stays linear in its size. The bytes are exactly those of
// PacketMessage and the results exactly those of UnpacketMessage.
#pragma once

#include <cstddef>
#include <string>

// Appends the packet wrapping `size` bytes at `data` to `out`.
void AppendPacket(std::string& out, const char* data, std::size_t size);
inline void AppendPacket(std::string& out, const std::string& payload)
{
    AppendPacket(out, payload.data(), payload.size());
}

// UnpacketMessage on the bytes of `stream` from `position` on: advancing
// `position` stands for erasing the front of the stream.
int TakePacket(const std::string& stream, std::size_t& position, std::string& payload);

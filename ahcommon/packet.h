// Packets: byte strings framed by FF FD ... FF FE, every FF inside escaped
// as FF 00, so they concatenate and nest. Menu files are built from them.
#pragma once

#include <string>

#include "ahexport.h"

extern "C" {

// Replaces `packet` with the packet wrapping the `length` bytes at `data`.
AHCOMMON_API void PacketMessage(const char* data, int length, std::string& packet);

// Takes the first complete packet off the front of `stream` and puts its
// unescaped payload into `payload`. Returns 1 only for a non-empty payload.
// Bytes before a start mark are dropped; an incomplete packet stays.
AHCOMMON_API int UnpacketMessage(std::string& stream, std::string& payload);

// Upper-case hexadecimal text of `bytes`, two characters a byte.
AHCOMMON_API std::string Bit8ToBit16(const std::string& bytes);

// Bytes of hexadecimal `text` (either case); a trailing odd character is
// ignored; empty when any examined character is not a hex digit.
AHCOMMON_API std::string Bit16ToBit8(const std::string& text);

}

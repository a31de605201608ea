#include "packetstream.h"

#include <cstring>

namespace {

const char kMark = '\xFF';
const char kStart = '\xFD';
const char kEnd = '\xFE';

// The first FF `second` at or after `from`, as std::string::find would
// give it, without a compare call at every FF.
std::size_t FindMark(const std::string& s, char second, std::size_t from)
{
    const char* base = s.data();
    const std::size_t size = s.size();
    while (from + 1 < size) {
        const void* hit = std::memchr(base + from, static_cast<unsigned char>(kMark), size - 1 - from);
        if (hit == nullptr) break;
        const std::size_t at = static_cast<const char*>(hit) - base;
        if (base[at + 1] == second) return at;
        from = at + 1;
    }
    return std::string::npos;
}

}  // namespace

void AppendPacket(std::string& out, const char* data, std::size_t size)
{
    out.reserve(out.size() + size + size / 64 + 4);
    out += kMark;
    out += kStart;
    const char* end = data + size;
    while (data < end) {
        const void* hit = std::memchr(data, static_cast<unsigned char>(kMark), end - data);
        if (hit == nullptr) {
            out.append(data, end);
            break;
        }
        const char* mark = static_cast<const char*>(hit);
        out.append(data, mark + 1);
        out += '\0';
        data = mark + 1;
    }
    out += kMark;
    out += kEnd;
}

int TakePacket(const std::string& stream, std::size_t& position, std::string& payload)
{
    if (position >= stream.size() || stream.size() - position <= 4) return 0;
    payload.clear();

    const std::size_t start = FindMark(stream, kStart, position);
    if (start == std::string::npos) {
        position = stream.size();
        return 0;
    }
    position = start;

    const std::size_t end = FindMark(stream, kEnd, position);
    if (end == std::string::npos) return 0;
    const char* in = stream.data() + position + 2;
    const char* last = stream.data() + end;
    position = end + 2;
    if (in == last) return 0;

    // Copies the payload, dropping the byte inserted after every FF.
    payload.reserve(static_cast<std::size_t>(last - in));
    while (in < last) {
        const void* hit = std::memchr(in, static_cast<unsigned char>(kMark), last - in);
        if (hit == nullptr) {
            payload.append(in, last);
            break;
        }
        const char* mark = static_cast<const char*>(hit);
        payload.append(in, mark + 1);
        in = mark + 2;
    }
    return 1;
}

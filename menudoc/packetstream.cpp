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

    // One pass finds the end mark and copies the payload, dropping the byte
    // inserted after every FF. The end is the first FF FE after the start,
    // even where an FF before it (in a malformed stream) would drop its FF.
    const char* const base = stream.data();
    const std::size_t size = stream.size();
    std::size_t from = start + 2;
    std::size_t copied = from;
    for (;;) {
        const void* hit =
            from + 1 < size ? std::memchr(base + from, static_cast<unsigned char>(kMark), size - 1 - from) : nullptr;
        if (hit == nullptr) {
            payload.clear();
            return 0;
        }
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
        if (base[at + 1] == kEnd) {
            if (copied < at) payload.append(base + copied, at - copied);
            position = at + 2;
            return payload.empty() ? 0 : 1;
        }
        if (at + 2 < size && base[at + 1] == kMark && base[at + 2] == kEnd) {
            // The FF is kept and the byte after it, the end's FF, dropped.
            payload.append(base + copied, at + 1 - copied);
            position = at + 3;
            return 1;
        }
        payload.append(base + copied, at + 1 - copied);
        copied = at + 2;
        from = at + 2;
    }
}

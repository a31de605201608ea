// INI files: the input loaded as a file (an in-memory one), then read as
// the program reads its predefined captions, looked up with buffers too
// small, changed, copied, saved and loaded again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "ahcommon/inifile.h"

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

// A file that lives in memory, named by a path the loader can open.
class MemoryFile {
public:
    MemoryFile() : m_fd(memfd_create("fuzz_inifile", 0))
    {
        Require(m_fd >= 0);
        m_path = "/proc/self/fd/" + std::to_string(m_fd);
    }
    ~MemoryFile() { close(m_fd); }

    void Write(const std::uint8_t* data, std::size_t size)
    {
        Require(ftruncate(m_fd, 0) == 0);
        for (std::size_t done = 0; done < size;) {
            const ssize_t n = pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
            Require(n > 0);
            done += static_cast<std::size_t>(n);
        }
    }
    const char* Path() const { return m_path.c_str(); }

private:
    int m_fd;
    std::string m_path;
};

// The value, however long, as the designer reads it: a growing buffer.
std::string Whole(CIniFile& ini, const char* section, const char* key)
{
    std::vector<char> buffer(16);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD count = ini.GetProfileStringA(section, key, "", buffer.data(), size);
        Require(count <= size && std::memchr(buffer.data(), 0, size) != nullptr);
        if (count < size) return std::string(buffer.data());
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static MemoryFile input;
    static MemoryFile output;
    input.Write(data, size);

    CIniFile ini;
    Require(ini.LoadFromFile(input.Path()) == 1);

    const char* const kSection = "Predefined Caption";
    unsigned count = ini.GetProfileIntA(kSection, "Count", 0);
    if (count > 64) count = 64;
    std::vector<std::string> captions;
    for (unsigned i = 0; i < count; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "Caption%u", i);
        captions.push_back(Whole(ini, kSection, key));
    }

    // Cut to every small size, a missing key with a default, and no buffer.
    char small[8];
    for (DWORD n = 0; n <= sizeof small; ++n) {
        std::memset(small, 'x', sizeof small);
        const DWORD got = ini.GetProfileStringA(kSection, "Caption0", "default", small, n);
        Require(got <= n && (n == 0 || std::memchr(small, 0, n) != nullptr));
        const DWORD missing = ini.GetProfileStringA("no such section", "k", "default", small, n);
        Require(missing < (n == 0 ? 1 : n));
    }

    // Saved and loaded again: the captions are still there.
    CIniFile copy(ini);
    copy.WriteProfileStringA("Written", "key", "value");
    CIniFile assigned;
    assigned = copy;
    Require(assigned.SaveToFile(output.Path()) == 1);
    CIniFile reread;
    Require(reread.LoadFromFile(output.Path()) == 1);
    Require(Whole(reread, "Written", "key") == "value");
    for (unsigned i = 0; i < count; ++i) {
        // A value of spaces only is kept as it stands, so it reads back longer.
        if (captions[i].find_first_not_of(' ') == std::string::npos) continue;
        char key[32];
        std::snprintf(key, sizeof key, "Caption%u", i);
        Require(Whole(reread, kSection, key) == captions[i]);
    }
    return 0;
}

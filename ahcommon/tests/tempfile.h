// A uniquely named file in the temporary folder, removed when it goes out of
// scope.
#pragma once

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

class TempFile {
public:
    explicit TempFile(const std::string& content = std::string())
    {
        static std::atomic<int> counter{0};
#ifdef _WIN32
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        m_path = std::string(folder) + "ahtest_" + std::to_string(GetCurrentProcessId()) + "_" +
                 std::to_string(counter++) + ".tmp";
#else
        const char* folder = std::getenv("TMPDIR");
        m_path = std::string(folder != nullptr ? folder : "/tmp") + "/ahtest_" +
                 std::to_string(getpid()) + "_" + std::to_string(counter++) + ".tmp";
#endif
        Write(content);
    }
    ~TempFile() { std::remove(m_path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return m_path; }

    void Write(const std::string& content) const
    {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out << content;
    }
    std::string Read() const
    {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string m_path;
};

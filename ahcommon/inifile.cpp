#include "inifile.h"

#include <cstdlib>
#include <cstring>

#include "strutil.h"

namespace {

// Strips leading and trailing spaces (not tabs); a line of spaces only is
// kept as it is.
std::string TrimSpaces(const std::string& line)
{
    const auto begin = line.find_first_not_of(' ');
    if (begin == std::string::npos) return line;
    const auto end = line.find_last_not_of(' ');
    return line.substr(begin, end - begin + 1);
}

// Copies at most size-1 characters and a NUL, like lstrcpynA.
void CopyCut(char* buffer, const std::string& text, DWORD size)
{
    if (buffer == nullptr || size == 0) return;
    const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

}  // namespace

CIniFile::CIniFile() : m_currentSection(nullptr), m_lastCount(0), m_stream(nullptr) {}

CIniFile::CIniFile(const CIniFile& other)
    : m_sections(other.m_sections), m_currentSection(nullptr), m_lastCount(0), m_stream(nullptr)
{
}

CIniFile& CIniFile::operator=(const CIniFile& other)
{
    if (this != &other) {
        m_sections = other.m_sections;
        m_currentSection = nullptr;
        m_currentKey.clear();
        m_currentValue.clear();
        m_lastCount = 0;
    }
    return *this;
}

CIniFile::~CIniFile()
{
    Destroy();
}

int CIniFile::LoadFromFile(const char* path)
{
    m_stream = std::fopen(path, "rb");
    if (m_stream == nullptr) return 0;
    Destroy();

    std::string line;
    std::string key;
    std::string value;
    Section* current = nullptr;
    while (GetLine(m_stream, line)) {
        const std::string trimmed = TrimSpaces(line);
        if (trimmed.empty()) continue;
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            // A repeated header starts its section afresh.
            current = &m_sections[trimmed.substr(1, trimmed.size() - 2)];
            current->clear();
            continue;
        }
        if (current == nullptr) continue;
        // Split at the first '=' only: a value may hold '=' itself.
        const auto equals = line.find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == line.size()) continue;
        key.assign(line, 0, equals);
        value.assign(line, equals + 1, std::string::npos);
        (*current)[TrimSpaces(key)] = TrimSpaces(value);
    }
    std::fclose(m_stream);
    m_stream = nullptr;
    return 1;
}

int CIniFile::SaveToFile(const char* path)
{
    m_stream = std::fopen(path, "wb");
    if (m_stream == nullptr) return 0;

    std::string text;
    for (const auto& section : m_sections) {
        if (!section.first.empty()) {
            text += '[';
            text += section.first;
            text += "]\r\n";
            for (const auto& entry : section.second) {
                text += entry.first;
                text += " = ";
                text += entry.second;
                text += "\r\n";
            }
        }
        text += "\r\n";
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), m_stream) == text.size();
    const bool closed = std::fclose(m_stream) == 0;
    m_stream = nullptr;
    return written && closed ? 1 : 0;
}

DWORD CIniFile::GetProfileStringA(const char* section, const char* key, const char* defaultValue,
                                  char* buffer, DWORD size)
{
    if (SeekSection(section) && SeekKey(key)) {
        DWORD n = static_cast<DWORD>(m_currentValue.size()) + 1;
        if (n > size) n = size;
        CopyCut(buffer, m_currentValue, n);
        m_lastCount = n;
        return n;
    }
    const std::string fallback = defaultValue != nullptr ? defaultValue : "";
    CopyCut(buffer, fallback, size);
    if (size == 0) return 0;
    return static_cast<DWORD>(fallback.size() < size - 1 ? fallback.size() : size - 1);
}

unsigned CIniFile::GetProfileIntA(const char* section, const char* key, int defaultValue)
{
    if (SeekSection(section) && SeekKey(key))
        return static_cast<unsigned>(std::atoi(m_currentValue.c_str()));
    return static_cast<unsigned>(defaultValue);
}

void CIniFile::WriteProfileStringA(const char* section, const char* key, const char* value)
{
    m_currentSection = &m_sections[section];
    m_currentKey = key;
    m_currentValue = value != nullptr ? value : "";
    (*m_currentSection)[m_currentKey] = m_currentValue;
}

void CIniFile::Destroy()
{
    m_sections.clear();
    m_currentSection = nullptr;
}

int CIniFile::SeekSection(const char* name)
{
    const auto it = m_sections.find(name != nullptr ? name : "");
    if (it == m_sections.end()) return 0;
    m_currentSection = &it->second;
    return 1;
}

int CIniFile::SeekKey(const char* name)
{
    if (m_currentSection == nullptr) return 0;
    const auto it = m_currentSection->find(name != nullptr ? name : "");
    if (it == m_currentSection->end()) return 0;
    m_currentKey = it->first;
    m_currentValue = it->second;
    return 1;
}

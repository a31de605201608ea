// An INI-style file held wholly in memory: loaded, queried, changed and
// written back, independent of the system's private-profile cache.
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "ahexport.h"

class AHCOMMON_API CIniFile {
public:
    CIniFile();
    CIniFile(const CIniFile& other);
    CIniFile& operator=(const CIniFile& other);
    virtual ~CIniFile();

    // Replaces the model with the file's content; 0 (model unchanged) when
    // the file cannot be opened.
    int LoadFromFile(const char* path);
    // Writes the whole model, replacing the file; 0 when it cannot be created
    // or written.
    int SaveToFile(const char* path);

    // Copies the value (cut to `size` with its NUL) and returns the count
    // copied including the NUL; a missing value copies `defaultValue` and
    // returns its length without the NUL, so an empty default gives 0.
    DWORD GetProfileStringA(const char* section, const char* key, const char* defaultValue,
                            char* buffer, DWORD size);
    // atoi of the value, or `defaultValue` when section or key is missing.
    unsigned GetProfileIntA(const char* section, const char* key, int defaultValue);
    // Sets the value, creating the section and the key as needed.
    void WriteProfileStringA(const char* section, const char* key, const char* value);
    // Discards every section.
    void Destroy();

private:
    typedef std::map<std::string, std::string> Section;
    typedef std::map<std::string, Section> Sections;

    int SeekSection(const char* name);
    int SeekKey(const char* name);

    Sections m_sections;
    Section* m_currentSection;
    std::string m_currentKey;
    std::string m_currentValue;
    DWORD m_lastCount;
    FILE* m_stream;
};

// The parts of CAhFile that need no system call.
#include "ahfile.h"

namespace {

std::string::size_type NameStart(const std::string& path)
{
    const auto slash = path.find_last_of("\\/");
#ifdef _WIN32
    const auto colon = path.find_last_of(':');
    if (colon != std::string::npos && (slash == std::string::npos || colon > slash)) return colon + 1;
#endif
    return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

CAhFile::CAhFile(const char* fileName, unsigned int openFlags) : CAhFile()
{
    CAhFileException error;
    if (!Open(fileName, openFlags, &error)) throw error;
}

CAhFile::~CAhFile()
{
    if (m_hFile != hFileNull && m_bCloseOnDelete) Abort();
}

std::string CAhFile::GetFileName() const
{
    return m_strFileName.substr(NameStart(m_strFileName));
}

std::string CAhFile::GetFileTitle() const
{
    std::string name = GetFileName();
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string CAhFile::GetFilePath() const
{
    return m_strFileName;
}

void CAhFile::SetFilePath(const char* newName)
{
    m_strFileName = newName != nullptr ? newName : "";
}

void CAhFile::Swap(CAhFile& other) noexcept
{
    std::swap(m_hFile, other.m_hFile);
    std::swap(m_bCloseOnDelete, other.m_bCloseOnDelete);
    m_strFileName.swap(other.m_strFileName);
}

bool CAhFile::GetStatus(CAhFileStatus& status) const
{
    if (m_strFileName.empty()) return false;
    return GetStatus(m_strFileName.c_str(), status);
}

void CAhFile::ThrowOsError(long osError) const
{
    throw CAhFileException(CAhFileException::OsErrorToCause(osError), osError, m_strFileName);
}

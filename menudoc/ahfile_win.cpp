// CAhFile on Win32 files.
#include "ahfile.h"

namespace {

std::time_t ToTime(const FILETIME& ft)
{
    ULARGE_INTEGER v;
    v.LowPart = ft.dwLowDateTime;
    v.HighPart = ft.dwHighDateTime;
    if (v.QuadPart == 0) return 0;
    // 100-ns intervals since 1601 to seconds since 1970.
    return static_cast<std::time_t>(v.QuadPart / 10000000ULL - 11644473600ULL);
}

enum Mark { markRead = 0, markWrite = 1, markDenyRead = 2, markDenyWrite = 3 };
enum MarkResult { markTaken, markRefused, marksUnsupported };

MarkResult LockMark(HANDLE file, int mark, bool exclusive)
{
    OVERLAPPED at = {};
    const std::uint64_t position = CAhFile::shareMarkBase + static_cast<std::uint64_t>(mark);
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(file, flags, 0, 1, 0, &at)) return markTaken;
    return GetLastError() == ERROR_LOCK_VIOLATION ? markRefused : marksUnsupported;
}

// Takes the share-mode bytes (see the header) for an opener that holds
// `held` and denies what the bytes `probed` stand for; false when another
// holder's marks refuse it. A file that takes no byte-range locks at all
// (a device, some network file systems) is left to the share modes.
bool TakeShareMarks(HANDLE file, const bool (&held)[4], const bool (&probed)[4])
{
    // The marks first, then the probes, as the POSIX build does: two
    // openers racing each other may both be refused, but never both let in.
    for (int mark = 0; mark < 4; ++mark) {
        if (!held[mark] || probed[mark]) continue;
        const MarkResult result = LockMark(file, mark, false);
        if (result == marksUnsupported) return true;
        if (result == markRefused) return false;
    }
    for (int mark = 0; mark < 4; ++mark) {
        if (!probed[mark]) continue;
        const MarkResult result = LockMark(file, mark, true);
        if (result == marksUnsupported) return true;
        if (result == markRefused) return false;
        if (held[mark]) continue;
        const std::uint64_t position = CAhFile::shareMarkBase + static_cast<std::uint64_t>(mark);
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        // A probe left locked would only refuse others needlessly; the
        // handle's close releases it in any case.
        UnlockFileEx(file, 0, 1, 0, &at);
    }
    return true;
}

}  // namespace

const AhFileHandle CAhFile::hFileNull = INVALID_HANDLE_VALUE;

int CAhFileException::OsErrorToCause(long osError)
{
    switch (osError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_DRIVE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK_ON_DEVICE: return badSeek;
    case ERROR_CRC:
    case ERROR_SEEK:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE: return hardIO;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_DRIVE_LOCKED: return lockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
    }
}

CAhFile::CAhFile() : m_hFile(hFileNull), m_bCloseOnDelete(false) {}

CAhFile::CAhFile(AhFileHandle handle) : m_hFile(handle), m_bCloseOnDelete(false) {}

std::string CAhFile::FullPath(const char* fileName)
{
    char buffer[MAX_PATH];
    char* filePart = nullptr;
    const DWORD n = GetFullPathNameA(fileName, MAX_PATH, buffer, &filePart);
    if (n == 0) return fileName;
    if (n < MAX_PATH) return std::string(buffer, n);
    std::string longer(n, '\0');
    const DWORD m = GetFullPathNameA(fileName, n, &longer[0], &filePart);
    if (m == 0 || m >= n) return fileName;
    longer.resize(m);
    return longer;
}

bool CAhFile::Open(const char* fileName, unsigned int openFlags, CAhFileException* error)
{
    if (m_hFile != hFileNull) Abort();
    m_strFileName.clear();
    if (fileName == nullptr || *fileName == '\0') {
        if (error != nullptr) *error = CAhFileException(CAhFileException::badPath, ERROR_INVALID_NAME, "");
        return false;
    }
    m_strFileName = FullPath(fileName);

    DWORD access = 0;
    switch (openFlags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    case modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default: access = GENERIC_READ; break;
    }
    DWORD share = 0;
    switch (openFlags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: share = 0; break;
    }
    if (openFlags & shareAllowRename) share |= FILE_SHARE_DELETE;

    SECURITY_ATTRIBUTES sa;
    sa.nLength = sizeof sa;
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = (openFlags & modeNoInherit) == 0;

    DWORD creation = OPEN_EXISTING;
    if (openFlags & modeCreate) creation = (openFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    // A writer truncates only once the share marks let it in, so that a
    // refused opener never empties a file another process holds.
    const bool truncateLater = creation == CREATE_ALWAYS && (access & GENERIC_WRITE) != 0;
    if (truncateLater) creation = OPEN_ALWAYS;

    // A read-only file is refused for writing as Windows refuses it, also
    // where the system would let a privileged user write it anyway (Wine
    // run as root), so that its owner's protection always holds.
    const DWORD attributes = GetFileAttributesA(fileName);
    if ((access & GENERIC_WRITE) != 0 && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == FILE_ATTRIBUTE_READONLY) {
        if (error != nullptr) *error = CAhFileException(CAhFileException::accessDenied, ERROR_ACCESS_DENIED, fileName);
        m_strFileName.clear();
        return false;
    }

    // Under Wine a handle without write access cannot lock a byte
    // exclusively (the lock falls back to a shared one on the real file),
    // so the share bytes could not be tested against native openers. The
    // right to change attributes gives the handle that power without
    // counting as writing for share modes; where it is not granted, the
    // file is opened as asked.
    HANDLE h = INVALID_HANDLE_VALUE;
    if ((access & GENERIC_WRITE) == 0) {
        h = CreateFileA(fileName, access | FILE_WRITE_ATTRIBUTES, share, &sa, creation, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    }
    if (h == INVALID_HANDLE_VALUE) {
        h = CreateFileA(fileName, access, share, &sa, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD osError = GetLastError();
        if (error != nullptr) {
            *error = CAhFileException(CAhFileException::OsErrorToCause(static_cast<long>(osError)),
                                      static_cast<long>(osError), fileName);
        }
        m_strFileName.clear();
        return false;
    }
    // Closing the handle releases whatever marks were taken.
    const bool wantsRead = (access & GENERIC_READ) != 0, wantsWrite = (access & GENERIC_WRITE) != 0;
    const bool deniesRead = (share & FILE_SHARE_READ) == 0, deniesWrite = (share & FILE_SHARE_WRITE) == 0;
    const bool held[4] = {wantsRead, wantsWrite, deniesRead, deniesWrite};
    const bool probed[4] = {deniesRead, deniesWrite, wantsRead, wantsWrite};
    if (!TakeShareMarks(h, held, probed)) {
        CloseHandle(h);
        if (error != nullptr) {
            *error = CAhFileException(CAhFileException::sharingViolation, ERROR_SHARING_VIOLATION, fileName);
        }
        m_strFileName.clear();
        return false;
    }
    if (truncateLater) {
        LARGE_INTEGER zero;
        zero.QuadPart = 0;
        if (!SetFilePointerEx(h, zero, nullptr, FILE_BEGIN) || !SetEndOfFile(h)) {
            const DWORD osError = GetLastError();
            CloseHandle(h);
            if (error != nullptr) {
                *error = CAhFileException(CAhFileException::OsErrorToCause(static_cast<long>(osError)),
                                          static_cast<long>(osError), fileName);
            }
            m_strFileName.clear();
            return false;
        }
    }
    m_hFile = h;
    m_bCloseOnDelete = true;
    return true;
}

CAhFile* CAhFile::Duplicate() const
{
    HANDLE copy = INVALID_HANDLE_VALUE;
    const HANDLE process = GetCurrentProcess();
    if (!DuplicateHandle(process, m_hFile, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        ThrowOsError(static_cast<long>(GetLastError()));
    }
    CAhFile* file = new CAhFile(copy);
    file->m_bCloseOnDelete = true;
    file->m_strFileName = m_strFileName;
    return file;
}

std::uint64_t CAhFile::Seek(std::int64_t offset, unsigned int from)
{
    DWORD method = FILE_BEGIN;
    if (from == current) method = FILE_CURRENT;
    else if (from == end) method = FILE_END;
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(m_hFile, distance, &position, method)) ThrowOsError(static_cast<long>(GetLastError()));
    return static_cast<std::uint64_t>(position.QuadPart);
}

std::uint64_t CAhFile::GetPosition() const
{
    LARGE_INTEGER zero, position;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(m_hFile, zero, &position, FILE_CURRENT)) ThrowOsError(static_cast<long>(GetLastError()));
    return static_cast<std::uint64_t>(position.QuadPart);
}

void CAhFile::SetLength(std::uint64_t newLength)
{
    Seek(static_cast<std::int64_t>(newLength), begin);
    if (!SetEndOfFile(m_hFile)) ThrowOsError(static_cast<long>(GetLastError()));
}

std::uint64_t CAhFile::GetLength() const
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_hFile, &size)) ThrowOsError(static_cast<long>(GetLastError()));
    return static_cast<std::uint64_t>(size.QuadPart);
}

unsigned int CAhFile::Read(void* buffer, unsigned int count)
{
    if (count == 0) return 0;
    DWORD read = 0;
    if (!ReadFile(m_hFile, buffer, count, &read, nullptr)) ThrowOsError(static_cast<long>(GetLastError()));
    return read;
}

void CAhFile::Write(const void* buffer, unsigned int count)
{
    if (count == 0) return;
    DWORD written = 0;
    if (!WriteFile(m_hFile, buffer, count, &written, nullptr)) ThrowOsError(static_cast<long>(GetLastError()));
    if (written != count) throw CAhFileException(CAhFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

void CAhFile::LockRange(std::uint64_t position, std::uint64_t count)
{
    if (!LockFile(m_hFile, static_cast<DWORD>(position), static_cast<DWORD>(position >> 32),
                  static_cast<DWORD>(count), static_cast<DWORD>(count >> 32))) {
        ThrowOsError(static_cast<long>(GetLastError()));
    }
}

void CAhFile::UnlockRange(std::uint64_t position, std::uint64_t count)
{
    if (!UnlockFile(m_hFile, static_cast<DWORD>(position), static_cast<DWORD>(position >> 32),
                    static_cast<DWORD>(count), static_cast<DWORD>(count >> 32))) {
        ThrowOsError(static_cast<long>(GetLastError()));
    }
}

void CAhFile::Abort()
{
    if (m_hFile != hFileNull) {
        CloseHandle(m_hFile);
        m_hFile = hFileNull;
    }
    m_bCloseOnDelete = false;
    m_strFileName.clear();
}

void CAhFile::Flush()
{
    if (m_hFile == hFileNull) return;
    if (!FlushFileBuffers(m_hFile)) ThrowOsError(static_cast<long>(GetLastError()));
}

void CAhFile::Close()
{
    bool failed = false;
    DWORD osError = 0;
    if (m_hFile != hFileNull) {
        failed = !CloseHandle(m_hFile);
        if (failed) osError = GetLastError();
    }
    m_hFile = hFileNull;
    m_bCloseOnDelete = false;
    const std::string name = m_strFileName;
    m_strFileName.clear();
    if (failed) {
        throw CAhFileException(CAhFileException::OsErrorToCause(static_cast<long>(osError)),
                               static_cast<long>(osError), name);
    }
}

bool CAhFile::GetStatus(const char* fileName, CAhFileStatus& status)
{
    if (fileName == nullptr || *fileName == '\0') return false;
    // The search accepts wildcards; a status query names one file.
    for (const char* p = fileName; *p; ++p) {
        if (*p == '*' || *p == '?') return false;
    }
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(fileName, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    status.m_attribute = static_cast<unsigned char>(found.dwFileAttributes & 0xFF);
    status.m_size = (static_cast<std::int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    status.m_ctime = ToTime(found.ftCreationTime);
    status.m_atime = ToTime(found.ftLastAccessTime);
    status.m_mtime = ToTime(found.ftLastWriteTime);
    if (status.m_ctime == 0) status.m_ctime = status.m_mtime;
    if (status.m_atime == 0) status.m_atime = status.m_mtime;
    status.m_szFullName = FullPath(fileName);
    return true;
}

bool CAhFile::Rename(const char* source, const char* target, CAhFileException* error)
{
    if (MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD osError = GetLastError();
    if (error != nullptr) {
        *error = CAhFileException(CAhFileException::OsErrorToCause(static_cast<long>(osError)),
                                  static_cast<long>(osError), source);
    }
    return false;
}

bool CAhFile::FlushFolderOf(const char*, CAhFileException*)
{
    return true;
}

bool CAhFile::Remove(const char* fileName, CAhFileException* error)
{
    if (DeleteFileA(fileName)) return true;
    const DWORD osError = GetLastError();
    if (error != nullptr) {
        *error = CAhFileException(CAhFileException::OsErrorToCause(static_cast<long>(osError)),
                                  static_cast<long>(osError), fileName);
    }
    return false;
}

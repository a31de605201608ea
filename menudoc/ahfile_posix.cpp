// CAhFile on POSIX descriptors. Windows share modes are emulated with
// open-file-description locks on bytes far beyond any real file size (see
// the header): each opener marks what it holds and what it denies with shared
// locks, then probes the others' marks. Marking before probing means two
// openers racing each other may both be refused, but never both admitted.
// A Windows opener under Wine holds the bytes it also probes exclusively;
// a mark refused that way is a conflict too, or a native opener racing it
// would be let in without its mark while the Windows one sees no one.
#include "ahfile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const off_t kMarkBase = static_cast<off_t>(CAhFile::shareMarkBase);
enum Mark { markRead = 0, markWrite = 1, markDenyRead = 2, markDenyWrite = 3 };

// False only when another holder's lock refuses the mark. A descriptor that
// cannot take a read lock (write-only) leaves the check to the others'
// marks alone.
bool SetMark(int fd, int mark)
{
    struct flock lock = {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kMarkBase + mark;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0 || (errno != EAGAIN && errno != EACCES);
}

// Whether another open file holds `mark`.
bool OthersHold(int fd, int mark)
{
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kMarkBase + mark;
    lock.l_len = 1;
    if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
    return lock.l_type != F_UNLCK;
}

bool RangeLock(int fd, std::uint64_t position, std::uint64_t count, short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(position);
    lock.l_len = static_cast<off_t>(count);
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

const AhFileHandle CAhFile::hFileNull = -1;

int CAhFileException::OsErrorToCause(long osError)
{
    switch (osError) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY: return accessDenied;
    case EBADF: return invalidFile;
    case EINVAL:
    case ESPIPE: return badSeek;
    case EIO: return hardIO;
    case EWOULDBLOCK: return sharingViolation;
    case EDEADLK: return lockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    default: return genericException;
    }
}

CAhFile::CAhFile() : m_hFile(hFileNull), m_bCloseOnDelete(false) {}

CAhFile::CAhFile(AhFileHandle handle) : m_hFile(handle), m_bCloseOnDelete(false) {}

std::string CAhFile::FullPath(const char* fileName)
{
    if (fileName == nullptr || *fileName == '\0') return std::string();
    if (*fileName == '/') return fileName;
    char folder[PATH_MAX];
    if (getcwd(folder, sizeof folder) == nullptr) return fileName;
    std::string full(folder);
    if (full.empty() || full.back() != '/') full += '/';
    return full + fileName;
}

bool CAhFile::Open(const char* fileName, unsigned int openFlags, CAhFileException* error)
{
    if (m_hFile != hFileNull) Abort();
    m_strFileName.clear();
    const auto fail = [&](long osError) {
        if (error != nullptr) {
            *error = CAhFileException(CAhFileException::OsErrorToCause(osError), osError,
                                      fileName != nullptr ? fileName : "");
        }
        m_strFileName.clear();
        return false;
    };
    if (fileName == nullptr || *fileName == '\0') return fail(ENOENT);
    m_strFileName = FullPath(fileName);

    const unsigned int access = openFlags & 3;
    const bool wantsRead = access != modeWrite;
    const bool wantsWrite = access != modeRead;
    bool deniesRead = true, deniesWrite = true;
    switch (openFlags & 0x70) {
    case shareDenyWrite: deniesRead = false; break;
    case shareDenyRead: deniesWrite = false; break;
    case shareDenyNone: deniesRead = deniesWrite = false; break;
    default: break;
    }

    int flags = (openFlags & modeNoInherit) ? O_CLOEXEC : 0;
    if (openFlags & modeCreate) flags |= O_CREAT;
    // Truncation waits until the share check has passed. Write-only files
    // are opened for reading too where allowed, since the share marks are
    // read locks.
    int fd = -1;
    if (access == modeWrite) fd = ::open(fileName, flags | O_RDWR, 0666);
    if (fd < 0) fd = ::open(fileName, flags | (wantsWrite ? (wantsRead ? O_RDWR : O_WRONLY) : O_RDONLY), 0666);
    if (fd < 0) return fail(errno);

    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int osError = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(osError);
    }

    bool marked = true;
    if (wantsRead) marked = SetMark(fd, markRead) && marked;
    if (wantsWrite) marked = SetMark(fd, markWrite) && marked;
    if (deniesRead) marked = SetMark(fd, markDenyRead) && marked;
    if (deniesWrite) marked = SetMark(fd, markDenyWrite) && marked;
    const bool conflict = !marked || (wantsRead && OthersHold(fd, markDenyRead)) ||
                          (wantsWrite && OthersHold(fd, markDenyWrite)) ||
                          (deniesRead && OthersHold(fd, markRead)) ||
                          (deniesWrite && OthersHold(fd, markWrite));
    if (conflict) {
        ::close(fd);
        return fail(EWOULDBLOCK);
    }
    if ((openFlags & modeCreate) && !(openFlags & modeNoTruncate) && ftruncate(fd, 0) != 0) {
        const int osError = errno;
        ::close(fd);
        return fail(osError);
    }
    m_hFile = fd;
    m_bCloseOnDelete = true;
    return true;
}

CAhFile* CAhFile::Duplicate() const
{
    const int copy = fcntl(m_hFile, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) ThrowOsError(errno);
    CAhFile* file = new CAhFile(copy);
    file->m_bCloseOnDelete = true;
    file->m_strFileName = m_strFileName;
    return file;
}

std::uint64_t CAhFile::Seek(std::int64_t offset, unsigned int from)
{
    const int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
    const off_t position = lseek(m_hFile, static_cast<off_t>(offset), whence);
    if (position < 0) ThrowOsError(errno);
    return static_cast<std::uint64_t>(position);
}

std::uint64_t CAhFile::GetPosition() const
{
    const off_t position = lseek(m_hFile, 0, SEEK_CUR);
    if (position < 0) ThrowOsError(errno);
    return static_cast<std::uint64_t>(position);
}

void CAhFile::SetLength(std::uint64_t newLength)
{
    if (ftruncate(m_hFile, static_cast<off_t>(newLength)) != 0) ThrowOsError(errno);
    Seek(static_cast<std::int64_t>(newLength), begin);
}

std::uint64_t CAhFile::GetLength() const
{
    struct stat st;
    if (fstat(m_hFile, &st) != 0) ThrowOsError(errno);
    return static_cast<std::uint64_t>(st.st_size);
}

unsigned int CAhFile::Read(void* buffer, unsigned int count)
{
    unsigned int done = 0;
    while (done < count) {
        const ssize_t n = ::read(m_hFile, static_cast<char*>(buffer) + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(errno);
        }
        if (n == 0) break;
        done += static_cast<unsigned int>(n);
    }
    return done;
}

void CAhFile::Write(const void* buffer, unsigned int count)
{
    unsigned int done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_hFile, static_cast<const char*>(buffer) + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(errno);
        }
        if (n == 0) throw CAhFileException(CAhFileException::diskFull, ENOSPC, m_strFileName);
        done += static_cast<unsigned int>(n);
    }
}

void CAhFile::LockRange(std::uint64_t position, std::uint64_t count)
{
    if (!RangeLock(m_hFile, position, count, F_WRLCK)) {
        ThrowOsError(errno == EAGAIN || errno == EACCES ? EDEADLK : errno);
    }
}

void CAhFile::UnlockRange(std::uint64_t position, std::uint64_t count)
{
    if (!RangeLock(m_hFile, position, count, F_UNLCK)) ThrowOsError(errno);
}

void CAhFile::Abort()
{
    if (m_hFile != hFileNull) {
        ::close(m_hFile);
        m_hFile = hFileNull;
    }
    m_bCloseOnDelete = false;
    m_strFileName.clear();
}

void CAhFile::Flush()
{
    if (m_hFile == hFileNull) return;
    if (fsync(m_hFile) != 0) ThrowOsError(errno);
}

void CAhFile::Close()
{
    bool failed = false;
    int osError = 0;
    if (m_hFile != hFileNull) {
        failed = ::close(m_hFile) != 0 && errno != EINTR;
        if (failed) osError = errno;
    }
    m_hFile = hFileNull;
    m_bCloseOnDelete = false;
    const std::string name = m_strFileName;
    m_strFileName.clear();
    if (failed) throw CAhFileException(CAhFileException::OsErrorToCause(osError), osError, name);
}

bool CAhFile::GetStatus(const char* fileName, CAhFileStatus& status)
{
    if (fileName == nullptr || *fileName == '\0') return false;
    struct stat st;
    if (stat(fileName, &st) != 0) return false;
    status.m_ctime = st.st_ctime;
    status.m_mtime = st.st_mtime;
    status.m_atime = st.st_atime;
    status.m_size = static_cast<std::int64_t>(st.st_size);
    status.m_attribute = S_ISDIR(st.st_mode) ? directory : normal;
    if (access(fileName, W_OK) != 0 && errno == EACCES) status.m_attribute |= readOnly;
    status.m_szFullName = FullPath(fileName);
    return true;
}

bool CAhFile::Rename(const char* source, const char* target, CAhFileException* error)
{
    if (::rename(source, target) != 0) {
        const int osError = errno;
        if (error != nullptr) {
            *error = CAhFileException(CAhFileException::OsErrorToCause(osError), osError, source);
        }
        return false;
    }
    // The rename itself reaches the disk with the folder's entry.
    FlushFolderOf(target);
    return true;
}

bool CAhFile::FlushFolderOf(const char* fileName, CAhFileException* error)
{
    std::string folder(fileName != nullptr ? fileName : "");
    const auto slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool flushed = dir >= 0 && fsync(dir) == 0;
    const int osError = errno;
    if (dir >= 0) ::close(dir);
    if (!flushed && error != nullptr) {
        *error = CAhFileException(CAhFileException::OsErrorToCause(osError), osError,
                                  fileName != nullptr ? fileName : "");
    }
    return flushed;
}

bool CAhFile::Remove(const char* fileName, CAhFileException* error)
{
    if (::unlink(fileName) == 0) return true;
    const int osError = errno;
    if (error != nullptr) *error = CAhFileException(CAhFileException::OsErrorToCause(osError), osError, fileName);
    return false;
}

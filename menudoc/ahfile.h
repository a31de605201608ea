// CAhFile: the program's binary file class, a work-alike of the framework's
// classic CFile that keeps the full path as a narrow std::string.
//
// On Windows it is a thin layer over CreateFile and companions. The native
// (POSIX) build has the same operations; its share modes are emulated with
// open-file-description byte-range locks (F_OFD_SETLK) on four bytes far
// beyond any real file size (from `shareMarkBase` on): one byte each for
// "holds read access", "holds write access", "denies read" and "denies
// write". An opener takes shared locks on the bytes that describe it and is
// refused when another holder's bytes conflict, or when a byte it must take
// is locked exclusively, exactly as Windows refuses a sharing violation. The
// locks are advisory: they keep out every opener that goes through CAhFile,
// not programs that open the file with plain POSIX calls.
//
// The Windows build takes the same bytes with LockFileEx besides its share
// modes. Windows itself needs them not, but Wine keeps share modes to
// itself while it turns byte-range locks into POSIX locks on the real file:
// through the bytes, Windows programs under Wine and native programs on one
// file keep each other out. Windows has no lock test, so a byte the opener
// must probe is tested by locking it exclusively: kept when the opener
// holds that byte itself, released at once otherwise.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#ifdef _WIN32
#  ifndef WIN32_LEAN_AND_MEAN
#    define WIN32_LEAN_AND_MEAN
#  endif
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  include <windows.h>
typedef HANDLE AhFileHandle;
#else
typedef int AhFileHandle;
#endif

// The file exception: the cause (CFileException numbering), the operating
// system's error code and the file's name. Only open failures are reported
// through a filled-in record instead of being thrown.
class CAhFileException {
public:
    enum Cause {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14
    };

    CAhFileException() = default;
    CAhFileException(int cause, long osError, const std::string& fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName)
    {
    }

    // The cause for an operating-system error code (GetLastError / errno).
    static int OsErrorToCause(long osError);

    int m_cause = none;
    long m_lOsError = -1;
    std::string m_strFileName;
};

// What the status query reports.
struct CAhFileStatus {
    std::time_t m_ctime = 0;   // creation (POSIX: last status change)
    std::time_t m_mtime = 0;   // last write
    std::time_t m_atime = 0;   // last access
    std::int64_t m_size = 0;
    unsigned char m_attribute = 0;  // normal 0, readOnly 1, hidden 2, system 4, directory 0x10
    std::string m_szFullName;
};

class CAhFile {
public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        // Lets the open file be renamed or replaced (Windows FILE_SHARE_DELETE);
        // without it a rename of the file fails while it is open.
        shareAllowRename = 0x0100,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,   // accepted and ignored: files are always binary
        typeBinary = 0x8000
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };
    enum Attribute { normal = 0x00, readOnly = 0x01, hidden = 0x02, system = 0x04, volume = 0x08,
                     directory = 0x10, archive = 0x20 };

    static const AhFileHandle hFileNull;
    // The first of the four share-mode bytes (see above).
    static constexpr std::uint64_t shareMarkBase = 0x7FFFFFFFFFFF0000ULL;

    CAhFile();
    // Takes an already open handle; it is not closed on destruction.
    explicit CAhFile(AhFileHandle handle);
    // Opens at once; throws CAhFileException when the open fails.
    CAhFile(const char* fileName, unsigned int openFlags);
    virtual ~CAhFile();
    CAhFile(const CAhFile&) = delete;
    CAhFile& operator=(const CAhFile&) = delete;

    virtual std::uint64_t GetPosition() const;
    virtual std::string GetFileName() const;   // name with extension, no folder
    virtual std::string GetFileTitle() const;  // name without extension
    virtual std::string GetFilePath() const;   // full path
    virtual void SetFilePath(const char* newName);

    // Empties the stored path, stores the full path of `fileName` and opens
    // it. False (and `error` filled in, when given) on failure; never throws.
    virtual bool Open(const char* fileName, unsigned int openFlags, CAhFileException* error = nullptr);
    // A second object on the same open file (a duplicated handle).
    virtual CAhFile* Duplicate() const;

    virtual std::uint64_t Seek(std::int64_t offset, unsigned int from);
    std::uint64_t SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    virtual void SetLength(std::uint64_t newLength);
    virtual std::uint64_t GetLength() const;

    // Bytes read; 0 at the end of the file.
    virtual unsigned int Read(void* buffer, unsigned int count);
    // Writes all `count` bytes or throws (diskFull when fewer were written).
    virtual void Write(const void* buffer, unsigned int count);

    virtual void LockRange(std::uint64_t position, std::uint64_t count);
    virtual void UnlockRange(std::uint64_t position, std::uint64_t count);

    // Closes without ever throwing.
    virtual void Abort();
    // Commits the file's data to the disk (FlushFileBuffers / fsync).
    virtual void Flush();
    // Always leaves the object closed and its path empty, then throws if the
    // close failed.
    virtual void Close();

    bool IsOpen() const { return m_hFile != hFileNull; }
    AhFileHandle Handle() const { return m_hFile; }
    // Exchanges the open files (handles, ownership and paths) of two objects.
    void Swap(CAhFile& other) noexcept;

    bool GetStatus(CAhFileStatus& status) const;
    // Whether a file or folder of this name exists, and its times, size and
    // attributes.
    static bool GetStatus(const char* fileName, CAhFileStatus& status);

    // Renames `source` to `target` in one step, replacing `target` if it
    // exists, and asks the system to have the change on disk before it
    // returns. False with `error` filled in on failure.
    static bool Rename(const char* source, const char* target, CAhFileException* error = nullptr);
    static bool Remove(const char* fileName, CAhFileException* error = nullptr);
    // Has the entries of the folder that holds `fileName` on the disk (a
    // new file's name, a rename), so that they outlast a crash. Windows
    // commits them with the file's own data.
    static bool FlushFolderOf(const char* fileName, CAhFileException* error = nullptr);
    // The full (absolute) form of `fileName`.
    static std::string FullPath(const char* fileName);

protected:
    AhFileHandle m_hFile;
    bool m_bCloseOnDelete;
    std::string m_strFileName;

    [[noreturn]] void ThrowOsError(long osError) const;
};

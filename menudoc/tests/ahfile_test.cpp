#include "menudoc/ahfile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// A unique path in the temporary folder, removed with the object.
class ScratchPath {
public:
    explicit ScratchPath(const char* suffix = ".bin")
    {
        static std::atomic<int> counter{0};
#ifdef _WIN32
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        m_path = std::string(folder) + "ahfile_" + std::to_string(GetCurrentProcessId());
#else
        const char* folder = std::getenv("TMPDIR");
        m_path = std::string(folder != nullptr ? folder : "/tmp") + "/ahfile_" + std::to_string(getpid());
#endif
        m_path += "_" + std::to_string(counter++) + suffix;
    }
    ~ScratchPath() { std::remove(m_path.c_str()); }
    const char* c_str() const { return m_path.c_str(); }
    const std::string& str() const { return m_path; }

    void Put(const std::string& content) const
    {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out << content;
    }
    std::string Get() const
    {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string m_path;
};

TEST(AhFileTest, OpenModesCreateTruncateOrKeep)
{
    ScratchPath path(".vn");
    CAhFile file;
    CAhFileException error;
    EXPECT_FALSE(file.Open(path.c_str(), CAhFile::modeRead, &error));
    EXPECT_EQ(CAhFileException::fileNotFound, error.m_cause);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ("", file.GetFilePath());

    ASSERT_TRUE(file.Open(path.c_str(), CAhFile::modeCreate | CAhFile::modeReadWrite));
    file.Write("hello world", 11);
    file.Close();
    EXPECT_EQ("hello world", path.Get());

    ASSERT_TRUE(file.Open(path.c_str(), CAhFile::modeCreate | CAhFile::modeNoTruncate | CAhFile::modeWrite));
    EXPECT_EQ(11u, file.GetLength());
    file.Close();
    EXPECT_EQ("hello world", path.Get());

    ASSERT_TRUE(file.Open(path.c_str(), CAhFile::modeCreate | CAhFile::modeWrite));
    EXPECT_EQ(0u, file.GetLength());
    file.Close();
    EXPECT_EQ("", path.Get());
}

TEST(AhFileTest, ReadWriteSeekAndLength)
{
    ScratchPath path;
    path.Put(std::string("0123456789", 10));
    CAhFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CAhFile::modeReadWrite | CAhFile::shareDenyWrite));
    char buffer[16] = {};
    EXPECT_EQ(4u, file.Read(buffer, 4));
    EXPECT_EQ("0123", std::string(buffer, 4));
    EXPECT_EQ(4u, file.GetPosition());
    EXPECT_EQ(8u, file.Seek(-2, CAhFile::end));
    EXPECT_EQ(2u, file.Read(buffer, sizeof buffer));
    EXPECT_EQ(0u, file.Read(buffer, sizeof buffer));
    EXPECT_EQ(3u, file.Seek(3, CAhFile::begin));
    file.Write("\xFF\x00\xFE", 3);
    EXPECT_EQ(6u, file.GetPosition());
    EXPECT_EQ(7u, file.Seek(1, CAhFile::current));
    file.SetLength(5);
    EXPECT_EQ(5u, file.GetLength());
    file.Flush();
    EXPECT_EQ(std::string("012\xFF\x00", 5), path.Get());
    EXPECT_THROW(file.Seek(-100, CAhFile::begin), CAhFileException);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ("", file.GetFilePath());
}

TEST(AhFileTest, NamesAndStatus)
{
    ScratchPath path(".vn");
    path.Put("abc");
    CAhFile file(path.c_str(), CAhFile::modeRead | CAhFile::shareDenyNone);
    const std::string full = file.GetFilePath();
    EXPECT_EQ(path.str(), full);
    const std::string name = full.substr(full.find_last_of("\\/") + 1);
    EXPECT_EQ(name, file.GetFileName());
    EXPECT_EQ(name.substr(0, name.size() - 3), file.GetFileTitle());

    CAhFileStatus status;
    ASSERT_TRUE(CAhFile::GetStatus(path.c_str(), status));
    EXPECT_EQ(3, status.m_size);
    EXPECT_EQ(0, status.m_attribute & CAhFile::directory);
    EXPECT_GT(status.m_mtime, 0);
    EXPECT_TRUE(file.GetStatus(status));
    EXPECT_FALSE(CAhFile::GetStatus((path.str() + ".missing").c_str(), status));
    EXPECT_FALSE(CAhFile::GetStatus((path.str().substr(0, path.str().size() - 2) + "*").c_str(), status));

    // Opening a missing path throws from the opening constructor.
    EXPECT_THROW(CAhFile((path.str() + ".missing").c_str(), CAhFile::modeRead), CAhFileException);
}

TEST(AhFileTest, WriteOnAReadOnlyHandleThrows)
{
    ScratchPath path;
    path.Put("abc");
    CAhFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CAhFile::modeRead | CAhFile::shareDenyNone));
    try {
        file.Write("x", 1);
        ADD_FAILURE() << "no exception";
    } catch (const CAhFileException& e) {
        EXPECT_NE(CAhFileException::none, e.m_cause);
        EXPECT_EQ(path.str(), e.m_strFileName);
    }
    EXPECT_EQ("abc", path.Get());
}

TEST(AhFileTest, DuplicateSharesTheOpenFile)
{
    ScratchPath path;
    CAhFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CAhFile::modeCreate | CAhFile::modeReadWrite | CAhFile::shareDenyWrite));
    std::unique_ptr<CAhFile> copy(file.Duplicate());
    copy->Write("ab", 2);
    EXPECT_EQ(2u, file.GetPosition());
    EXPECT_EQ(file.GetFilePath(), copy->GetFilePath());
    copy.reset();
    file.Write("cd", 2);
    file.Close();
    EXPECT_EQ("abcd", path.Get());
}

// Second opener's access and sharing against a first holder, as Windows
// decides them.
TEST(AhFileTest, SharingRules)
{
    struct Case {
        unsigned int first;
        unsigned int second;
        bool allowed;
    };
    const unsigned int R = CAhFile::modeRead, W = CAhFile::modeWrite, RW = CAhFile::modeReadWrite;
    const unsigned int denyW = CAhFile::shareDenyWrite, denyR = CAhFile::shareDenyRead,
                       none = CAhFile::shareDenyNone, excl = CAhFile::shareExclusive;
    const Case cases[] = {
        {RW | denyW, R | none, true},     // a held menu file can be read
        {RW | denyW, R | denyW, false},   // ...but not by one who would deny the holder's writing
        {RW | denyW, RW | denyW, false},  // a second account file is refused
        {RW | denyW, W | none, false},    // other writers are shut out
        {R | denyW, R | denyW, true},
        {R | denyW, RW | none, false},
        {R | none, RW | none, true},
        {R | none, RW | denyR, false},    // would deny the first holder's reading
        {W | denyR, W | denyR, true},     // neither reads, so denying reading refuses no one
        {W | denyR, R | none, false},
        {W | none, W | none, true},
        {R | excl, R | none, false},
        {R | CAhFile::shareCompat, R | none, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.first << " then " << c.second);
        ScratchPath path;
        path.Put("x");
        CAhFile first, second;
        ASSERT_TRUE(first.Open(path.c_str(), c.first));
        CAhFileException error;
        EXPECT_EQ(c.allowed, second.Open(path.c_str(), c.second, &error));
        if (!c.allowed) {
            EXPECT_EQ(CAhFileException::sharingViolation, error.m_cause);
        }
        second.Abort();
        first.Close();
        EXPECT_TRUE(second.Open(path.c_str(), c.second)) << "the file stays locked after close";
    }
}

// A second, plain open file of `path` (no share-mode bytes of its own) that
// locks or tests the share-mode bytes directly, as a program of the other
// build does: under Wine the Windows build's locks are POSIX locks on the
// same file.
class RawOpener {
public:
    explicit RawOpener(const char* path)
    {
#ifdef _WIN32
        m_file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        m_file = ::open(path, O_RDWR | O_CLOEXEC);
#endif
    }
    ~RawOpener()
    {
#ifdef _WIN32
        if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
#else
        if (m_file >= 0) ::close(m_file);
#endif
    }
    RawOpener(const RawOpener&) = delete;
    RawOpener& operator=(const RawOpener&) = delete;

    bool IsOpen() const { return m_file != CAhFile::hFileNull; }

    // Locks byte `mark` exclusively; false when another holds it.
    bool LockExclusively(int mark)
    {
        const std::uint64_t at = CAhFile::shareMarkBase + static_cast<std::uint64_t>(mark);
#ifdef _WIN32
        OVERLAPPED where = {};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        return LockFileEx(m_file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where) != FALSE;
#else
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = static_cast<off_t>(at);
        lock.l_len = 1;
        return fcntl(m_file, F_OFD_SETLK, &lock) == 0;
#endif
    }

    void Unlock(int mark)
    {
        const std::uint64_t at = CAhFile::shareMarkBase + static_cast<std::uint64_t>(mark);
#ifdef _WIN32
        OVERLAPPED where = {};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        UnlockFileEx(m_file, 0, 1, 0, &where);
#else
        struct flock lock = {};
        lock.l_type = F_UNLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = static_cast<off_t>(at);
        lock.l_len = 1;
        fcntl(m_file, F_OFD_SETLK, &lock);
#endif
    }

    // Whether another open file holds byte `mark` (it cannot be locked).
    bool OthersHold(int mark)
    {
        if (!LockExclusively(mark)) return true;
        Unlock(mark);
        return false;
    }

private:
    AhFileHandle m_file;
};

// Share modes reach processes of the other build only through the four
// bytes (read, write, deny read, deny write): every opener holds the bytes
// that describe it, whichever build it is, and is refused when a byte it
// must take is held exclusively by another (as a Windows opener under Wine
// holds the bytes it also tests).
TEST(AhFileTest, ShareModesShowInTheShareBytesForTheOtherBuild)
{
    enum { read = 0, write = 1, denyRead = 2, denyWrite = 3 };
    const unsigned int held = CAhFile::modeReadWrite | CAhFile::shareDenyWrite;
    const unsigned int reading = CAhFile::modeRead | CAhFile::shareDenyWrite;
    struct Held {
        unsigned int flags;
        bool bytes[4];
    };
    const Held holders[] = {
        {held, {true, true, false, true}},
        {reading, {true, false, false, true}},
        {CAhFile::modeRead | CAhFile::shareDenyNone, {true, false, false, false}},
    };
    for (const Held& h : holders) {
        SCOPED_TRACE(testing::Message() << "held as " << std::hex << h.flags);
        ScratchPath path;
        path.Put("menu");
        CAhFile file;
        ASSERT_TRUE(file.Open(path.c_str(), h.flags));
        RawOpener other(path.c_str());
        ASSERT_TRUE(other.IsOpen());
        for (int mark = 0; mark < 4; ++mark) EXPECT_EQ(h.bytes[mark], other.OthersHold(mark)) << "byte " << mark;
        file.Close();
        for (int mark = 0; mark < 4; ++mark) EXPECT_FALSE(other.OthersHold(mark)) << "byte " << mark << " after close";
    }

    // Another build's opener caught between taking "read" and "deny read":
    // a reader that cannot take its "read" byte must not get in.
    struct Caught {
        int lockedByOther;
        unsigned int flags;
    };
    const Caught caught[] = {{read, reading}, {denyWrite, reading}, {write, held}, {denyWrite, held}};
    for (const Caught& c : caught) {
        SCOPED_TRACE(testing::Message() << "byte " << c.lockedByOther << " locked, open as " << std::hex << c.flags);
        ScratchPath path;
        path.Put("menu");
        RawOpener other(path.c_str());
        ASSERT_TRUE(other.IsOpen());
        ASSERT_TRUE(other.LockExclusively(c.lockedByOther));
        CAhFile file;
        CAhFileException error;
        EXPECT_FALSE(file.Open(path.c_str(), c.flags, &error));
        EXPECT_EQ(CAhFileException::sharingViolation, error.m_cause);
        other.Unlock(c.lockedByOther);
        EXPECT_TRUE(file.Open(path.c_str(), c.flags));
    }
}

TEST(AhFileTest, RefusedOpenDoesNotTruncate)
{
    ScratchPath path;
    path.Put("keep me");
    CAhFile holder, other;
    ASSERT_TRUE(holder.Open(path.c_str(), CAhFile::modeReadWrite | CAhFile::shareDenyWrite));
    EXPECT_FALSE(other.Open(path.c_str(), CAhFile::modeCreate | CAhFile::modeWrite | CAhFile::shareDenyNone));
    holder.Close();
    EXPECT_EQ("keep me", path.Get());
}

TEST(AhFileTest, RenameReplacesInOneStepAndTheOpenFileFollows)
{
    ScratchPath target, source;
    target.Put("old");
    const unsigned int hold = CAhFile::modeReadWrite | CAhFile::shareDenyWrite | CAhFile::shareAllowRename;
    CAhFile held, fresh;
    ASSERT_TRUE(held.Open(target.c_str(), hold));
    ASSERT_TRUE(fresh.Open(source.c_str(), hold | CAhFile::modeCreate));
    fresh.Write("new", 3);
    fresh.Flush();
    held.Close();
    ASSERT_TRUE(CAhFile::Rename(source.c_str(), target.c_str()));
    EXPECT_EQ("new", target.Get());
    CAhFileStatus status;
    EXPECT_FALSE(CAhFile::GetStatus(source.c_str(), status));
    // The still open handle is now the target's and keeps writers out.
    CAhFile writer;
    EXPECT_FALSE(writer.Open(target.c_str(), CAhFile::modeWrite | CAhFile::shareDenyNone));
    fresh.Close();
    EXPECT_TRUE(writer.Open(target.c_str(), CAhFile::modeWrite | CAhFile::shareDenyNone));
    writer.Close();

    CAhFileException error;
    EXPECT_FALSE(CAhFile::Rename(source.c_str(), target.c_str(), &error));
    EXPECT_EQ(CAhFileException::fileNotFound, error.m_cause);
    EXPECT_TRUE(CAhFile::Remove(target.c_str()));
    EXPECT_FALSE(CAhFile::Remove(target.c_str()));
}

}  // namespace

#include "accountfile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

#include "ahcommon/packet.h"

#ifdef _WIN32
#include <windows.h>

#include "ahcommon/modulefile.h"
#else
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const char kStartMark[2] = {'\xFF', '\xFD'};
const char kEndMark[2] = {'\xFF', '\xFE'};

// Held for update from loadForUpdate or create to close: read and write,
// other writers shut out, and so are readers, who deny writing.
const unsigned int kHoldFlags =
    CAhFile::modeReadWrite | CAhFile::shareDenyWrite | CAhFile::modeNoInherit | CAhFile::typeBinary;
// A plain load reads with writers shut out, so a save is never seen half
// done, while other readers may read at the same time.
const unsigned int kReadFlags =
    CAhFile::modeRead | CAhFile::shareDenyWrite | CAhFile::modeNoInherit | CAhFile::typeBinary;
// The side file is only touched by whoever holds the file itself.
const unsigned int kSideWriteFlags = CAhFile::modeCreate | CAhFile::modeReadWrite | CAhFile::shareExclusive |
                                     CAhFile::modeNoInherit | CAhFile::typeBinary;

// Another process holds a menu file only for one load or save; opens that
// meet it wait this long before they give up.
const std::chrono::milliseconds kOpenPatience(2000);

const char kSideSuffix[] = ".~save";
// The side file is the new content followed by a trailer that proves it
// whole: the content's length and FNV-1a checksum (8 bytes each, least
// significant first) and this mark.
const char kSideMark[8] = {'V', 'n', 'S', 'a', 'v', 'e', '\r', '\n'};
const std::string::size_type kTrailerSize = 24;

// Writes are at most this large, so that a huge file does not go in one call.
const std::string::size_type kWriteChunk = 1 << 16;

std::uint64_t Fnv1a(const char* data, std::string::size_type size)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (std::string::size_type i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(data[i]);
        hash *= 1099511628211ULL;
    }
    return hash;
}

void AppendUint64(std::string& out, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t ReadUint64(const char* data)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(data[i]);
    return value;
}

std::string SideTrailer(const std::string& content)
{
    std::string trailer;
    AppendUint64(trailer, content.size());
    AppendUint64(trailer, Fnv1a(content.data(), content.size()));
    trailer.append(kSideMark, sizeof kSideMark);
    return trailer;
}

// Whether `side` is a whole side file; if so it is cut to the content.
bool TakeSideContent(std::string& side)
{
    if (side.size() < kTrailerSize) return false;
    const std::string::size_type size = side.size() - kTrailerSize;
    const char* trailer = side.data() + size;
    if (std::memcmp(trailer + 16, kSideMark, sizeof kSideMark) != 0 || ReadUint64(trailer) != size ||
        ReadUint64(trailer + 8) != Fnv1a(side.data(), size)) {
        return false;
    }
    side.resize(size);
    return true;
}

// The side file of the file at `path`: beside the file itself, so that
// every name it is opened by (a symbolic link too) finds the same one.
std::string SidePath(const std::string& path)
{
#ifndef _WIN32
    char real[PATH_MAX];
    if (realpath(path.c_str(), real) != nullptr) return std::string(real) + kSideSuffix;
#endif
    return path + kSideSuffix;
}

// Opens `path`, waiting out another holder for a while: a sharing
// violation lasts only as long as another load or save.
bool OpenPatiently(CAhFile& file, const std::string& path, unsigned int flags, CAhFileException* failure = nullptr)
{
    const auto deadline = std::chrono::steady_clock::now() + kOpenPatience;
    for (int attempt = 0;; ++attempt) {
        CAhFileException error;
        if (file.Open(path.c_str(), flags, &error)) return true;
        if (failure != nullptr) *failure = error;
        if (error.m_cause != CAhFileException::sharingViolation || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        // Uneven pauses, so that two waiting processes do not keep meeting.
        std::this_thread::sleep_for(std::chrono::milliseconds(2 + attempt % 7));
    }
}

std::string ProgramFolder()
{
#ifdef _WIN32
    const std::string folder = ModuleFileNameAnsi();
    const auto slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
#else
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return std::string();
    std::string folder(path, static_cast<std::string::size_type>(n));
    const auto slash = folder.find_last_of('/');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
#endif
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
#ifdef _WIN32
    return a.size() == b.size() && lstrcmpiA(a.c_str(), b.c_str()) == 0 &&
           std::memchr(a.data(), 0, a.size()) == nullptr && std::memchr(b.data(), 0, b.size()) == nullptr;
#else
    if (a.size() != b.size()) return false;
    for (std::string::size_type i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
#endif
}

// Appends the packet of `payload` (the same bytes PacketMessage gives),
// copying runs between FF bytes at once.
void AppendPacket(std::string& out, const std::string& payload)
{
    out.reserve(out.size() + payload.size() + 4);
    out += kStartMark[0];
    out += kStartMark[1];
    std::string::size_type from = 0;
    for (auto ff = payload.find('\xFF'); ff != std::string::npos; ff = payload.find('\xFF', from)) {
        out.append(payload, from, ff + 1 - from);
        out += '\0';
        from = ff + 1;
    }
    out.append(payload, from, std::string::npos);
    out += kEndMark[0];
    out += kEndMark[1];
}

// Appends the unescaped bytes of s[begin, end): every FF is followed by one
// inserted byte, which is dropped.
void AppendUnescaped(std::string& out, const std::string& s, std::string::size_type begin, std::string::size_type end)
{
    out.reserve(out.size() + (end - begin));
    while (begin < end) {
        const void* hit = std::memchr(s.data() + begin, '\xFF', end - begin);
        const std::string::size_type ff =
            hit == nullptr ? end : static_cast<std::string::size_type>(static_cast<const char*>(hit) - s.data());
        if (ff == end) {
            out.append(s, begin, end - begin);
            return;
        }
        out.append(s, begin, ff + 1 - begin);
        begin = ff + 2;
    }
}

// Finds two-byte marks in a window [from, limit) of a string that only ever
// moves forward (both ends non-decreasing between calls), looking at each
// position once over all calls.
class MarkScanner {
public:
    MarkScanner(const std::string& s, char second) : m_s(s), m_second(second) {}

    // The first mark beginning at or after `from` and ending before `limit`.
    std::string::size_type Find(std::string::size_type from, std::string::size_type limit)
    {
        if (m_found != std::string::npos && m_found >= from) return m_found;
        m_found = std::string::npos;
        if (m_scan < from) m_scan = from;
        const char* const data = m_s.data();
        while (m_scan + 1 < limit) {
            const void* hit = std::memchr(data + m_scan, '\xFF', limit - 1 - m_scan);
            if (hit == nullptr) {
                m_scan = limit - 1;
                break;
            }
            m_scan = static_cast<std::string::size_type>(static_cast<const char*>(hit) - data);
            if (data[m_scan + 1] == m_second) {
                m_found = m_scan;
                return m_found;
            }
            ++m_scan;
        }
        return std::string::npos;
    }

private:
    const std::string& m_s;
    const char m_second;
    std::string::size_type m_scan = 0;
    std::string::size_type m_found = std::string::npos;
};

// UnpacketMessage on the stream s[pos..], consuming by moving `pos` instead
// of erasing, so that taking many packets off one string stays linear.
int TakePacket(const std::string& s, std::string::size_type& pos, std::string& payload)
{
    if (s.size() - pos <= 4) return 0;
    payload.clear();
    const auto start = s.find(kStartMark, pos, 2);
    if (start == std::string::npos) {
        pos = s.size();
        return 0;
    }
    pos = start;
    const auto end = s.find(kEndMark, pos, 2);
    if (end == std::string::npos) return 0;
    AppendUnescaped(payload, s, pos + 2, end);
    pos = end + 2;
    return payload.empty() ? 0 : 1;
}

// One record packet's payload to a record's name and users, and its body
// field still enciphered; false if it is malformed.
bool ParseRecord(const std::string& payload, CDesCipher& cipher, CAccountRecord& record, std::string& bodyField)
{
    std::string::size_type pos = 0;
    std::string field;
    if (!TakePacket(payload, pos, field)) return false;
    record.menuName = cipher.decipherText(field);
    if (record.menuName.empty()) return false;

    std::string list;
    if (!TakePacket(payload, pos, list)) return false;
    std::string::size_type listPos = 0;
    while (listPos < list.size()) {
        CUserEntry user;
        if (!TakePacket(list, listPos, field)) return false;
        user.userName = cipher.decipherText(field);
        if (user.userName.empty()) return false;
        if (!TakePacket(list, listPos, field)) return false;
        if (!cipher.decipherText(field, user.password)) user.damagedPassword = field;
        if (!TakePacket(list, listPos, field)) return false;
        user.rights = cipher.decipherText(field);
        if (user.rights.empty()) return false;
        record.users.push_back(std::move(user));
    }
    if (record.users.empty()) return false;

    // Deciphering a body never fails, so it waits until the body is asked
    // for (CAccountRecord::body).
    return TakePacket(payload, pos, bodyField) == 1;
}

}  // namespace

const std::string& CAccountRecord::body() const
{
    if (!m_enciphered) return m_body;
    // Deciphered in place: a large body is not copied.
    const std::string::size_type blocks = m_stored.size() / 8;
    m_stored.resize(blocks * 8);
    if (blocks > 0) {
        CDesCipher cipher;
        cipher.decipherBlocks(kProgramKey, reinterpret_cast<unsigned char*>(&m_stored[0]), static_cast<int>(blocks));
    }
    // Cut the cipher's filler after the last end mark; bytes before the
    // first start mark stay.
    const auto firstStart = m_stored.find(kStartMark, 0, 2);
    const auto lastEnd = m_stored.rfind(kEndMark, std::string::npos, 2);
    if (firstStart == std::string::npos || lastEnd == std::string::npos || lastEnd < firstStart) {
        m_stored.clear();
    } else {
        m_stored.resize(lastEnd + 2);
    }
    m_body.swap(m_stored);
    std::string().swap(m_stored);
    m_enciphered = false;
    return m_body;
}

void CAccountRecord::setBody(std::string content)
{
    m_body.swap(content);
    std::string().swap(m_stored);
    m_enciphered = false;
}

std::string ResolveAccountPath(const std::string& path)
{
    const std::string inProgramFolder = ProgramFolder() + path;
    CAhFileStatus status;
    if (!path.empty() && CAhFile::GetStatus(inProgramFolder.c_str(), status) &&
        (status.m_attribute & CAhFile::directory) == 0) {
        return inProgramFolder;
    }
    return path;
}

// The file is taken a byte at a time through a packet accumulator, exactly
// as the format has always been read: the accumulator is the window
// content[a, p) and only ever loses bytes at its front, so the searches for
// marks resume where they stopped instead of starting afresh.
bool CAccountFile::ParseContent(const std::string& content, CDesCipher& cipher,
                                std::vector<std::unique_ptr<CAccountRecord>>& records)
{
    MarkScanner starts(content, '\xFD');
    MarkScanner ends(content, '\xFE');
    std::vector<std::unique_ptr<CAccountRecord>> read;
    std::string payload;
    std::string::size_type a = 0;
    for (std::string::size_type p = 1; p <= content.size(); ++p) {
        if (p - a <= 4) continue;
        // A mark in the window begins at or after a and ends before p.
        const auto start = starts.Find(a, p);
        if (start == std::string::npos) {
            a = p;
            continue;
        }
        a = start;
        // Until the end mark after this start is in the window, every byte
        // taken finds the same start and no end: go straight to that end.
        const auto end = ends.Find(a, content.size());
        if (end == std::string::npos) {
            p = content.size();
            continue;
        }
        // An end already in the window is taken now. A later one is taken at
        // the first byte that brings it in while the window, now beginning at
        // the start, is longer than four bytes: an empty packet is only four,
        // so a file that ends with one found this way leaves it untaken.
        const auto taken = end + 2 <= p ? p : std::max(end + 2, a + 5);
        if (taken > content.size()) break;
        p = taken;
        payload.clear();
        AppendUnescaped(payload, content, a + 2, end);
        a = end + 2;
        if (payload.empty()) continue;
        std::unique_ptr<CAccountRecord> record(new CAccountRecord);
        std::string bodyField;
        if (!ParseRecord(payload, cipher, *record, bodyField)) return false;
        record->m_stored.swap(bodyField);
        record->m_enciphered = true;
        read.push_back(std::move(record));
    }
    if (a != content.size() || read.empty()) return false;
    for (auto& record : read) records.push_back(std::move(record));
    return true;
}

CAccountFile::CAccountFile()
    : m_currentRecord(nullptr), m_currentUser(nullptr), m_loaded(false), m_busy(false)
{
}

CAccountFile::~CAccountFile()
{
    close();
}

int CAccountFile::create(const std::string& path, const std::string& menuName)
{
    // An existing file keeps its content until the new one is written.
    close();
    CAhFileStatus status;
    const bool existed = CAhFile::GetStatus(path.c_str(), status);
    if (!openHeld(path, kHoldFlags | CAhFile::modeCreate | CAhFile::modeNoTruncate)) return 0;
    m_path = path;
    m_cipher.reset(new CDesCipher);
    m_loaded = true;
    // A save cut short is finished first, so that a failed create leaves
    // the file as the last save made it.
    std::string content;
    if (readLatest(content, true)) {
        addRecord(menuName, std::string());
        if (save()) return 1;
    }
    close();
    if (!existed) CAhFile::Remove(path.c_str());
    return 0;
}

int CAccountFile::load(const std::string& path, std::string* content)
{
    return open(path, false, content);
}

int CAccountFile::loadForUpdate(const std::string& path)
{
    return open(path, true);
}

// Opens the file itself, waiting out other holders for a while, and notes
// whether they outlasted the wait.
bool CAccountFile::openHeld(const std::string& path, unsigned int flags)
{
    CAhFileException error;
    const bool opened = OpenPatiently(m_file, path, flags, &error);
    m_busy = !opened && error.m_cause == CAhFileException::sharingViolation;
    return opened;
}

int CAccountFile::open(const std::string& path, bool forUpdate, std::string* loaded)
{
    close();
    const std::string resolved = ResolveAccountPath(path);
    if (!openHeld(resolved, forUpdate ? kHoldFlags : kReadFlags)) return 0;
    m_path = resolved;
    m_cipher.reset(new CDesCipher);
    m_loaded = true;

    std::string content;
    const bool read = readLatest(content, forUpdate);
    if (!forUpdate) m_file.Abort();
    if (!read || (!content.empty() && !ParseContent(content, *m_cipher, m_records))) {
        close();
        return 0;
    }
    if (loaded != nullptr) loaded->swap(content);
    return 1;
}

// What lies beside the file: no side file, a whole one (`content` is then
// what it holds), one cut short, or one that cannot be read and might be
// the only whole copy of the last save.
CAccountFile::SideFile CAccountFile::readSide(std::string& content)
{
    CAhFile side;
    CAhFileException error;
    // Only the holder of the file writes it; anyone else (a virus scanner)
    // is waited out.
    if (!OpenPatiently(side, SidePath(m_path), kReadFlags, &error)) {
        return error.m_cause == CAhFileException::fileNotFound ? sideNone : sideUnreadable;
    }
    if (!ReadContent(side, content)) return sideUnreadable;
    return TakeSideContent(content) ? sideWhole : sideCut;
}

// The content the last save gave the held file: a whole side file means
// that save may have been cut short while it rewrote the file, and its
// content counts. With `repair` (the file is held for update) that content
// is written into the file; a side file cut short comes from a save cut
// short before the file was touched. Either is then removed.
bool CAccountFile::readLatest(std::string& content, bool repair)
{
    const SideFile side = readSide(content);
    if (side == sideUnreadable) return false;
    if (side == sideWhole && repair && !rewriteHeld(content)) return false;
    if (side != sideNone && repair) CAhFile::Remove(SidePath(m_path).c_str());
    if (side == sideWhole) return true;
    content.clear();
    return ReadContent(m_file, content);
}

bool CAccountFile::ReadContent(CAhFile& file, std::string& content)
{
    try {
        const std::uint64_t length = file.GetLength();
        // A file larger than this process can hold is refused, not cut to
        // the size type or left to end the program.
        if (length >= content.max_size()) return false;
        content.resize(static_cast<std::string::size_type>(length));
        file.SeekToBegin();
        std::string::size_type done = 0;
        while (done < content.size()) {
            const unsigned int want = static_cast<unsigned int>(std::min<std::string::size_type>(
                content.size() - done, kWriteChunk));
            const unsigned int got = file.Read(&content[done], want);
            if (got == 0) break;
            done += got;
        }
        content.resize(done);
        // A file that grew since the length was taken is read to its end.
        char more[4096];
        for (unsigned int got; (got = file.Read(more, sizeof more)) > 0;) content.append(more, got);
    } catch (const CAhFileException&) {
        return false;
    } catch (const std::bad_alloc&) {
        content.clear();
        content.shrink_to_fit();
        return false;
    }
    return true;
}

int CAccountFile::close()
{
    const bool wasLoaded = m_loaded;
    try {
        m_file.Close();
    } catch (const CAhFileException&) {
    }
    m_loaded = false;
    m_path.clear();
    m_cipher.reset();
    m_records.clear();
    m_currentRecord = nullptr;
    m_currentUser = nullptr;
    return wasLoaded ? 1 : 0;
}

std::string CAccountFile::serialize()
{
    if (!m_cipher) m_cipher.reset(new CDesCipher);
    CDesCipher& cipher = *m_cipher;
    std::string content, record, list;
    for (const auto& r : m_records) {
        list.clear();
        for (const CUserEntry& user : r->users) {
            AppendPacket(list, cipher.encipherText(user.userName));
            AppendPacket(list, user.passwordDamaged() ? user.damagedPassword : cipher.encipherText(user.password));
            AppendPacket(list, cipher.encipherText(user.rights));
        }
        record.clear();
        AppendPacket(record, cipher.encipherText(r->menuName));
        AppendPacket(record, list);
        // A body never asked for goes back exactly as it was read.
        AppendPacket(record, r->m_enciphered ? r->m_stored : cipher.encipherBytes(r->m_body));
        AppendPacket(content, record);
    }
    return content;
}

void CAccountFile::WriteChunk(CAhFile& file, const char* data, unsigned int size)
{
    file.Write(data, size);
}

void CAccountFile::FlushFile(CAhFile& file)
{
    file.Flush();
}

void CAccountFile::SetFileLength(CAhFile& file, std::uint64_t length)
{
    file.SetLength(length);
}

// Writes `content` over the held file from its start, cuts it to that
// length and has it on the disk.
bool CAccountFile::rewriteHeld(const std::string& content)
{
    try {
        m_file.SeekToBegin();
        for (std::string::size_type done = 0; done < content.size();) {
            const auto size = std::min(content.size() - done, kWriteChunk);
            WriteChunk(m_file, content.data() + done, static_cast<unsigned int>(size));
            done += size;
        }
        SetFileLength(m_file, content.size());
        FlushFile(m_file);
    } catch (const CAhFileException&) {
        return false;
    }
    return true;
}

// The file is rewritten in place, never replaced, so that it stays the file
// other processes wait for and keeps what it is (permissions, owner, links,
// security and attributes). The side file makes that safe: it is whole and
// on the disk before the file is touched, so a crash leaves either the old
// file with a side file that is not whole, or a side file the next load
// finishes the save from.
int CAccountFile::save()
{
    if (!m_file.IsOpen()) return 0;
    // A file that could not be read back would lose every menu in it.
    for (const auto& record : m_records) {
        if (record->menuName.empty() || record->users.empty()) return 0;
        for (const CUserEntry& user : record->users) {
            if (user.userName.empty() || user.rights.empty()) return 0;
        }
    }
    // After a save of this holder cut short in the file itself, the side
    // file is the only whole copy: the file is made whole before it goes.
    std::string pending;
    const SideFile left = readSide(pending);
    if (left == sideUnreadable || (left == sideWhole && !rewriteHeld(pending))) return 0;
    std::string().swap(pending);

    const std::string content = serialize();
    const std::string trailer = SideTrailer(content);
    const std::string sidePath = SidePath(m_path);

    CAhFile side;
    if (!side.Open(sidePath.c_str(), kSideWriteFlags)) return 0;
    bool written = false;
    try {
#ifndef _WIN32
        // It holds the same secrets as the file: no wider permissions.
        struct stat st;
        if (fstat(m_file.Handle(), &st) != 0 || fchmod(side.Handle(), st.st_mode & 0777) != 0) {
            throw CAhFileException(CAhFileException::accessDenied, errno, sidePath);
        }
#endif
        for (std::string::size_type done = 0; done < content.size();) {
            const auto size = std::min(content.size() - done, kWriteChunk);
            WriteChunk(side, content.data() + done, static_cast<unsigned int>(size));
            done += size;
        }
        WriteChunk(side, trailer.data(), static_cast<unsigned int>(trailer.size()));
        FlushFile(side);
        side.Close();
        // The side file's name too must outlast a crash before the file is
        // touched.
        written = CAhFile::FlushFolderOf(sidePath.c_str());
    } catch (const CAhFileException&) {
    }
    if (!written) {
        side.Abort();
        CAhFile::Remove(sidePath.c_str());
        return 0;
    }
    // A failure from here on leaves the whole side file, from which the
    // next load takes the new content.
    if (!rewriteHeld(content)) return 0;
    // The file holds the same content now; a side file that could not be
    // removed is replaced by the next save.
    CAhFile::Remove(sidePath.c_str());
    return 1;
}

int CAccountFile::select(const std::string& menuName, const std::string& userName, const std::string& password)
{
    if (!m_loaded) return 0;
    for (const auto& record : m_records) {
        if (record->menuName != menuName) continue;
        for (CUserEntry& user : record->users) {
            if (user.userName == userName && user.password == password && !user.passwordDamaged()) {
                m_currentRecord = record.get();
                m_currentUser = &user;
                return 1;
            }
        }
        return 0;
    }
    return 0;
}

CAccountRecord* CAccountFile::recordAt(int index)
{
    if (index < 0 || index >= recordCount()) return nullptr;
    m_currentRecord = m_records[static_cast<std::size_t>(index)].get();
    return m_currentRecord;
}

int CAccountFile::findRecord(const std::string& menuName)
{
    for (const auto& record : m_records) {
        if (EqualNoCase(record->menuName, menuName)) {
            m_currentRecord = record.get();
            return 1;
        }
    }
    return 0;
}

void CAccountFile::addRecord(const std::string& menuName, const std::string& body)
{
    m_records.emplace_back(new CAccountRecord(menuName, body));
    m_currentRecord = m_records.back().get();
    m_currentRecord->users.emplace_back("admin", "", "rw");
    m_currentRecord->users.emplace_back("guest", "", "r");
    m_currentUser = nullptr;
}

int CAccountFile::deleteRecord(const std::string& menuName)
{
    for (auto it = m_records.begin(); it != m_records.end(); ++it) {
        if (!EqualNoCase((*it)->menuName, menuName)) continue;
        if (it->get() == m_currentRecord) {
            m_currentRecord = nullptr;
            m_currentUser = nullptr;
        }
        m_records.erase(it);
        return 1;
    }
    return 0;
}

int CAccountFile::addUser(const std::string& userName, const std::string& password, const std::string& rights)
{
    if (m_currentRecord == nullptr) return 0;
    m_currentRecord->users.emplace_back(userName, password, rights);
    m_currentUser = &m_currentRecord->users.back();
    return 1;
}

int CAccountFile::deleteUser(const std::string& userName)
{
    if (m_currentRecord == nullptr) return 0;
    auto& users = m_currentRecord->users;
    for (auto it = users.begin(); it != users.end(); ++it) {
        if (it->userName != userName) continue;
        if (&*it == m_currentUser) m_currentUser = nullptr;
        users.erase(it);
        return 1;
    }
    return 0;
}

int CAccountFile::findUser(const std::string& userName)
{
    if (m_currentRecord == nullptr) return 0;
    for (CUserEntry& user : m_currentRecord->users) {
        if (user.userName == userName) {
            m_currentUser = &user;
            return 1;
        }
    }
    return 0;
}

int CAccountFile::userAt(int index)
{
    m_currentUser = nullptr;
    if (m_currentRecord == nullptr || index < 0) return 0;
    for (CUserEntry& user : m_currentRecord->users) {
        if (index-- == 0) {
            m_currentUser = &user;
            return 1;
        }
    }
    return 0;
}

int CAccountFile::changePassword(const std::string& userName, const std::string& oldPassword,
                                 const std::string& newPassword, const char* newUserName)
{
    if (m_currentRecord == nullptr) return 0;
    for (CUserEntry& user : m_currentRecord->users) {
        if (user.userName == userName && user.password == oldPassword && !user.passwordDamaged()) {
            user.setPassword(newPassword);
            if (newUserName != nullptr) user.userName = newUserName;
            return 1;
        }
    }
    return 0;
}

#include "accounts/accountfile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ahcommon/packet.h"

#ifndef _WIN32
#include <unistd.h>
#endif

static bool operator==(const CUserEntry& a, const CUserEntry& b)
{
    return a.userName == b.userName && a.password == b.password && a.rights == b.rights;
}

namespace {

class ScratchPath {
public:
    ScratchPath()
    {
        static std::atomic<int> counter{0};
#ifdef _WIN32
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        m_path = std::string(folder) + "accounts_" + std::to_string(GetCurrentProcessId());
#else
        const char* folder = std::getenv("TMPDIR");
        m_path = std::string(folder != nullptr ? folder : "/tmp") + "/accounts_" + std::to_string(getpid());
#endif
        m_path += "_" + std::to_string(counter++) + ".vn";
    }
    ~ScratchPath()
    {
        std::remove(m_path.c_str());
        std::remove((m_path + ".~save").c_str());
    }
    const std::string& str() const { return m_path; }
    void Put(const std::string& content) const
    {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out << content;
    }
    std::string Get() const { return ReadFile(m_path); }
    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool TempLeft() const
    {
        CAhFileStatus status;
        return CAhFile::GetStatus((m_path + ".~save").c_str(), status);
    }

private:
    std::string m_path;
};

std::string Packet(const std::string& payload)
{
    std::string p;
    PacketMessage(payload.data(), static_cast<int>(payload.size()), p);
    return p;
}

struct Record {
    std::string name;
    std::vector<CUserEntry> users;
    std::string body;
};

bool operator==(const Record& a, const Record& b)
{
    return a.name == b.name && a.users == b.users && a.body == b.body;
}

std::vector<Record> Records(const std::vector<std::unique_ptr<CAccountRecord>>& records)
{
    std::vector<Record> out;
    for (const auto& r : records) out.push_back({r->menuName, {r->users.begin(), r->users.end()}, r->body()});
    return out;
}

std::vector<Record> Records(CAccountFile& file)
{
    std::vector<Record> out;
    for (int i = 0; i < file.recordCount(); ++i) {
        const CAccountRecord* r = file.recordAt(i);
        out.push_back({r->menuName, {r->users.begin(), r->users.end()}, r->body()});
    }
    return out;
}

// The reading rules, literally: the file goes byte by byte into an
// accumulator, and a packet is taken off its front after every byte.
bool ModelRecord(std::string payload, CDesCipher& cipher, Record& record)
{
    std::string field, list;
    if (!UnpacketMessage(payload, field)) return false;
    record.name = cipher.decipherText(field);
    if (record.name.empty()) return false;
    if (!UnpacketMessage(payload, list)) return false;
    while (!list.empty()) {
        CUserEntry user;
        if (!UnpacketMessage(list, field)) return false;
        user.userName = cipher.decipherText(field);
        if (user.userName.empty()) return false;
        if (!UnpacketMessage(list, field)) return false;
        user.password = cipher.decipherText(field);
        if (!UnpacketMessage(list, field)) return false;
        user.rights = cipher.decipherText(field);
        if (user.rights.empty()) return false;
        record.users.push_back(user);
    }
    if (record.users.empty()) return false;
    if (!UnpacketMessage(payload, field)) return false;
    record.body = cipher.decipherBytes(field);
    const auto firstStart = record.body.find("\xFF\xFD");
    const auto lastEnd = record.body.rfind("\xFF\xFE");
    if (firstStart == std::string::npos || lastEnd == std::string::npos || lastEnd < firstStart) {
        record.body.clear();
    } else {
        record.body.erase(lastEnd + 2);
    }
    return true;
}

bool ModelParse(const std::string& content, std::vector<Record>& records)
{
    CDesCipher cipher;
    std::string accumulator, payload;
    for (char c : content) {
        accumulator += c;
        if (UnpacketMessage(accumulator, payload) == 1) {
            Record record;
            if (!ModelRecord(payload, cipher, record)) return false;
            records.push_back(record);
        }
    }
    return accumulator.empty() && !records.empty();
}

void ExpectSameAsModel(const std::string& content, const std::string& what)
{
    std::vector<Record> expected;
    const bool modelOk = ModelParse(content, expected);
    CDesCipher cipher;
    std::vector<std::unique_ptr<CAccountRecord>> records;
    const bool ok = CAccountFile::ParseContent(content, cipher, records);
    ASSERT_EQ(modelOk, ok) << what;
    if (ok) {
        ASSERT_TRUE(expected == Records(records)) << what;
    } else {
        ASSERT_TRUE(records.empty()) << what;
    }
}

// A body as a menu body is: packets, here with every byte value inside.
std::string SampleBody(int seed, std::size_t size)
{
    std::string inner;
    for (std::size_t i = 0; i < size; ++i) inner += static_cast<char>((i * 7 + seed) & 0xFF);
    return Packet(Packet(inner.substr(0, size / 2)) + Packet(inner.substr(size / 2)));
}

// Three records in memory, the second with three users, the third without a
// body.
std::string SampleContent()
{
    CAccountFile file;
    file.addRecord("Main", SampleBody(1, 40));
    file.changePassword("admin", "", "s3cret");
    file.addRecord("Second", SampleBody(2, 17));
    file.addUser("ann", "", "r");
    file.addRecord("Third", "");
    return file.serialize();
}

TEST(AccountFileTest, CreateWritesTheDefaultUsers)
{
    ScratchPath path;
    CAccountFile file;
    ASSERT_EQ(1, file.create(path.str(), "Main"));
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(1, file.close());
    EXPECT_EQ(0, file.close());

    ASSERT_EQ(1, file.load(path.str()));
    ASSERT_EQ(1, file.recordCount());
    const std::vector<Record> expected = {{"Main", {{"admin", "", "rw"}, {"guest", "", "r"}}, ""}};
    EXPECT_TRUE(expected == Records(file));
    EXPECT_EQ(1, file.select("Main", "admin", ""));
    EXPECT_EQ("admin", file.currentUser()->userName);
    EXPECT_EQ("Main", file.currentRecord()->menuName);
    EXPECT_EQ(0, file.select("Main", "Admin", ""));
    EXPECT_EQ(0, file.select("main", "admin", ""));
    EXPECT_EQ(0, file.select("Main", "admin", "x"));
    EXPECT_EQ(1, file.select("Main", "guest", ""));
    EXPECT_EQ(1, file.changePassword("ADMIN", "", "new"));
    EXPECT_EQ(1, file.select("Main", "admin", "new"));
    EXPECT_EQ(1, file.changePassword("admin", "NEW", "x", "boss"));
    EXPECT_EQ(1, file.select("Main", "boss", "x"));
    EXPECT_EQ(0, file.changePassword("boss", "wrong", "y"));
}

TEST(AccountFileTest, FileLayoutIsNestedPacketsOfEncipheredValues)
{
    CAccountFile file;
    const std::string body = SampleBody(3, 20);
    file.addRecord("Main", body);
    std::string content = file.serialize();
    CDesCipher cipher;

    std::string record, field, list;
    ASSERT_EQ(1, UnpacketMessage(content, record));
    EXPECT_TRUE(content.empty());
    ASSERT_EQ(1, UnpacketMessage(record, field));
    EXPECT_EQ(8u, field.size());  // "4D61696E": one block, no filler
    EXPECT_EQ("Main", cipher.decipherText(field));
    ASSERT_EQ(1, UnpacketMessage(record, list));
    std::vector<std::string> values;
    while (UnpacketMessage(list, field) == 1) values.push_back(cipher.decipherText(field));
    EXPECT_EQ((std::vector<std::string>{"admin", "", "rw", "guest", "", "r"}), values);
    ASSERT_EQ(1, UnpacketMessage(record, field));
    ASSERT_EQ((body.size() / 8 + 1) * 8, field.size());
    const std::string plain = cipher.decipherBytes(field);
    EXPECT_EQ(body, plain.substr(0, body.size()));
    EXPECT_TRUE(record.empty());
}

TEST(AccountFileTest, RecordAndUserOperations)
{
    CAccountFile file;
    file.addRecord("Alpha", "");
    file.addRecord("Beta", "");
    file.addRecord("alpha", "");  // a second record of the same name, ignoring case
    EXPECT_EQ(3, file.recordCount());
    EXPECT_EQ(1, file.findRecord("BETA"));
    EXPECT_EQ("Beta", file.currentRecord()->menuName);
    EXPECT_EQ(0, file.findRecord("Gamma"));
    EXPECT_EQ(nullptr, file.recordAt(3));
    EXPECT_EQ("alpha", file.recordAt(2)->menuName);
    EXPECT_EQ(file.recordAt(2), file.currentRecord());

    // Users of the current record ("alpha").
    EXPECT_EQ(1, file.addUser("zed", "pw", "rw"));
    EXPECT_EQ("zed", file.currentUser()->userName);
    EXPECT_EQ(1, file.userAt(0));
    EXPECT_EQ("admin", file.currentUser()->userName);
    EXPECT_EQ(0, file.userAt(3));
    EXPECT_EQ(nullptr, file.currentUser());
    EXPECT_EQ(0, file.findUser("ZED"));
    EXPECT_EQ(1, file.findUser("zed"));
    EXPECT_EQ(0, file.deleteUser("Zed"));
    EXPECT_EQ(1, file.deleteUser("zed"));
    EXPECT_EQ(nullptr, file.currentUser());
    EXPECT_EQ(2u, file.currentRecord()->users.size());

    EXPECT_EQ(1, file.findRecord("alpha"));
    EXPECT_EQ("Alpha", file.currentRecord()->menuName);

    EXPECT_EQ(1, file.deleteRecord("ALPHA"));
    EXPECT_EQ(nullptr, file.currentRecord());
    EXPECT_EQ(0, file.addUser("x", "", "r"));
    EXPECT_EQ("Beta", file.recordAt(0)->menuName);
    EXPECT_EQ(1, file.deleteRecord("alpha"));
    EXPECT_EQ(0, file.deleteRecord("alpha"));
    EXPECT_EQ(1, file.recordCount());
    EXPECT_EQ(0, file.select("Beta", "admin", "")) << "no file is open";
}

TEST(AccountFileTest, SelectLooksOnlyAtTheFirstRecordOfAName)
{
    ScratchPath path;
    CAccountFile file;
    ASSERT_EQ(1, file.create(path.str(), "Dup"));
    file.addRecord("Dup", "");
    file.addUser("only", "", "r");
    file.addRecord("dup", "");
    file.addUser("lower", "", "r");
    EXPECT_EQ(0, file.select("Dup", "only", ""));
    EXPECT_EQ(1, file.select("dup", "lower", ""));
    EXPECT_EQ(1, file.select("Dup", "admin", ""));
    EXPECT_EQ(file.recordAt(0), file.currentRecord());
}

TEST(AccountFileTest, EmptyFileLoadsWithoutRecords)
{
    ScratchPath path;
    path.Put("");
    CAccountFile file;
    ASSERT_EQ(1, file.load(path.str()));
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(0, file.recordCount());
    EXPECT_EQ(0, file.select("Main", "admin", ""));
    EXPECT_EQ(0, CAccountFile().load(path.str() + ".missing"));
}

TEST(AccountFileTest, LoadOutcomes)
{
    CDesCipher cipher;
    const std::string good = SampleContent();
    const auto userList = [&](const std::vector<std::string>& values) {
        std::string list;
        for (const std::string& v : values) list += Packet(cipher.encipherText(v));
        return list;
    };
    const auto record = [&](const std::string& name, const std::string& list, const std::string& body) {
        return Packet(Packet(cipher.encipherText(name)) + Packet(list) + Packet(cipher.encipherBytes(body)));
    };
    struct Case {
        const char* what;
        std::string content;
        int records;  // -1: the load fails
    };
    const Case cases[] = {
        {"three records", good, 3},
        {"3 stray bytes after the last record", good + std::string(3, '\0'), -1},
        {"4 stray bytes", good + "abcd", -1},
        {"5 stray bytes of 0x00", good + std::string(5, '\0'), 3},
        {"10 stray bytes of 0x00", good + std::string(10, '\0'), 3},
        {"garbage before a record", std::string("\x00\x11junk", 6) + good, 3},
        {"empty packets, then 5 stray bytes", Packet("") + good + Packet("") + std::string(5, '\0'), 3},
        {"an empty packet and 1 stray byte", good + Packet("") + std::string(1, '\0'), -1},
        {"an unfinished record", good + "\xFF\xFD" + "abc", -1},
        {"a user list without users", record("Main", "", "x"), -1},
        {"a user without rights", record("Main", userList({"admin", "", ""}), ""), -1},
        {"a user with an empty name", record("Main", userList({"", "", "r"}), ""), -1},
        {"a user list cut short", record("Main", userList({"admin", ""}), ""), -1},
        {"an empty menu name", record("", userList({"admin", "", "rw"}), ""), -1},
        {"no body packet", Packet(Packet(cipher.encipherText("M")) + Packet(userList({"a", "", "r"}))), -1},
        {"bytes after the body packet", Packet(Packet(cipher.encipherText("M")) + Packet(userList({"a", "", "r"})) +
                                               Packet(cipher.encipherBytes("")) + "tail"), 1},
        {"stray bytes only", "hello", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchPath path;
        path.Put(c.content);
        CAccountFile file;
        EXPECT_EQ(c.records >= 0 ? 1 : 0, file.load(path.str()));
        EXPECT_EQ(c.records >= 0, file.isOpen());
        EXPECT_EQ(c.records >= 0 ? c.records : 0, file.recordCount());
        ExpectSameAsModel(c.content, c.what);
    }
}

TEST(AccountFileTest, BodyKeepsEverythingUpToItsLastEndMark)
{
    struct Case {
        std::string body;
        std::string kept;
    };
    const std::string p = Packet("ab");
    const Case cases[] = {
        {p, p},
        {"lead" + p + Packet("c"), "lead" + p + Packet("c")},  // bytes before the first start mark stay
        {"no packet at all", ""},
        {"\xFF\xFE then \xFF\xFD", ""},                        // last end mark before the first start
        {p + "\xFF\xFD unfinished", p},
        {"", ""},
    };
    for (const Case& c : cases) {
        CAccountFile writer;
        writer.addRecord("M", c.body);
        CDesCipher cipher;
        std::vector<std::unique_ptr<CAccountRecord>> records;
        ASSERT_TRUE(CAccountFile::ParseContent(writer.serialize(), cipher, records));
        EXPECT_EQ(c.kept, records.at(0)->body());
    }
}

// The reader takes the file in one pass; it must give exactly what the
// byte-at-a-time rules give, whatever the damage.
TEST(AccountFileTest, ReaderAgreesWithTheByteAtATimeRules)
{
    const std::string good = SampleContent();
    for (std::size_t n = 0; n <= good.size(); ++n) ExpectSameAsModel(good.substr(0, n), "cut at " + std::to_string(n));
    std::mt19937 random(4);
    for (std::size_t i = 0; i < good.size(); ++i) {
        std::string damaged = good;
        damaged[i] = static_cast<char>(damaged[i] ^ (1 + random() % 255));
        ExpectSameAsModel(damaged, "flip at " + std::to_string(i));
    }
    // Marks, escapes and stray bytes dropped in anywhere.
    const char alphabet[] = {'\xFF', '\xFD', '\xFE', '\x00', 'A'};
    for (int trial = 0; trial < 3000; ++trial) {
        std::string content = good;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % (content.size() + 1);
            switch (random() % 3) {
            case 0: content.insert(at, 1 + random() % 6, alphabet[random() % 5]); break;
            case 1: content.erase(at, random() % 4); break;
            default: content.insert(at, Packet(std::string(random() % 3, 'x'))); break;
            }
        }
        ExpectSameAsModel(content, "trial " + std::to_string(trial));
    }
    for (int trial = 0; trial < 3000; ++trial) {
        std::string content;
        const std::size_t length = random() % 40;
        for (std::size_t i = 0; i < length; ++i) content += alphabet[random() % 5];
        if (random() % 2) content.insert(random() % (content.size() + 1), good.substr(0, good.find('\xFE') + 1));
        ExpectSameAsModel(content, "noise " + std::to_string(trial));
    }
}

TEST(AccountFileTest, DamagedFilesLoadAsTheRulesSay)
{
    ScratchPath path;
    const std::string good = SampleContent();
    std::mt19937 random(7);
    for (std::size_t n = 0; n < 2 * good.size(); ++n) {
        std::string content = good;
        if (n < good.size()) {
            content.resize(n);
        } else {
            content[n - good.size()] ^= static_cast<char>(1 + random() % 255);
        }
        std::vector<Record> expected;
        const bool ok = content.empty() || ModelParse(content, expected);
        path.Put(content);
        CAccountFile file;
        ASSERT_EQ(ok ? 1 : 0, file.load(path.str())) << n;
        EXPECT_EQ(ok, file.isOpen());
        if (ok) {
            EXPECT_TRUE(expected == Records(file)) << n;
        }
    }
}

TEST(AccountFileTest, SaveRoundTripsLargeBodies)
{
    ScratchPath path;
    CAccountFile file;
    ASSERT_EQ(1, file.create(path.str(), "Main"));
    file.currentRecord()->setBody(SampleBody(5, 3 << 20));
    file.addRecord("Zweites Men\xFC", SampleBody(6, 1000));
    file.addUser("user", "pa\xFF" "ss", "r");
    const std::vector<Record> expected = Records(file);
    ASSERT_EQ(1, file.save());
    EXPECT_FALSE(path.TempLeft());
    file.close();

    CAccountFile again;
    ASSERT_EQ(1, again.load(path.str()));
    EXPECT_TRUE(expected == Records(again));
    EXPECT_EQ(1, again.select("Zweites Men\xFC", "user", "pa\xFF" "ss"));
}

// The enciphered body field of each record packet in a file's content.
std::vector<std::string> BodyFields(std::string content)
{
    std::vector<std::string> fields;
    std::string record, field;
    while (UnpacketMessage(content, record) == 1) {
        for (int i = 0; i < 3; ++i) UnpacketMessage(record, field);
        fields.push_back(field);
    }
    return fields;
}

// A body nobody asked for is written back exactly as it was read; one asked
// for or changed is enciphered afresh.
TEST(AccountFileTest, SaveWritesUntouchedBodiesBackAsRead)
{
    ScratchPath path;
    {
        // Bytes after the last end mark are cut on reading, so a body that
        // was deciphered and enciphered again would differ, whatever the
        // filler.
        CAccountFile file;
        ASSERT_EQ(1, file.create(path.str(), "Untouched"));
        file.currentRecord()->setBody(SampleBody(1, 300) + "after the end");
        file.addRecord("Asked", SampleBody(2, 300) + "after the end");
        file.addRecord("Changed", SampleBody(3, 300));
        ASSERT_EQ(1, file.save());
    }
    const std::vector<std::string> before = BodyFields(path.Get());
    CAccountFile file;
    ASSERT_EQ(1, file.load(path.str()));
    EXPECT_EQ(SampleBody(2, 300), file.recordAt(1)->body());
    file.recordAt(2)->setBody(SampleBody(4, 70));
    ASSERT_EQ(1, file.save());
    const std::vector<std::string> after = BodyFields(path.Get());
    ASSERT_EQ(3u, after.size());
    EXPECT_TRUE(before[0] == after[0]);

    file.close();
    ASSERT_EQ(1, file.load(path.str()));
    EXPECT_EQ(SampleBody(1, 300), file.recordAt(0)->body());
    EXPECT_EQ(SampleBody(2, 300), file.recordAt(1)->body());
    EXPECT_EQ(SampleBody(4, 70), file.recordAt(2)->body());
}

TEST(AccountFileTest, HeldFileShutsOutOtherWritersAcrossSaves)
{
    ScratchPath path;
    CAccountFile holder;
    ASSERT_EQ(1, holder.create(path.str(), "Main"));
    for (int round = 0; round < 2; ++round) {
        CAccountFile other;
        EXPECT_EQ(0, other.load(path.str()));
        CAhFile writer;
        EXPECT_FALSE(writer.Open(path.str().c_str(), CAhFile::modeWrite | CAhFile::shareDenyNone));
        {
            CAhFile reader;
            EXPECT_TRUE(reader.Open(path.str().c_str(), CAhFile::modeRead | CAhFile::shareDenyNone));
#ifdef _WIN32
            // Windows replaces no file that another program has open: the
            // save fails and changes nothing.
            const std::string before = path.Get();
            EXPECT_EQ(0, holder.save());
            EXPECT_TRUE(before == path.Get());
            EXPECT_FALSE(path.TempLeft());
#endif
        }
        ASSERT_EQ(1, holder.save());
    }
    holder.close();
    CAccountFile other;
    EXPECT_EQ(1, other.load(path.str()));
    EXPECT_EQ(0, CAccountFile().create(path.str(), "Other")) << "create of a held file";
}

TEST(AccountFileTest, SaveRefusesRecordsThatCouldNotBeReadBack)
{
    ScratchPath path;
    CAccountFile file;
    ASSERT_EQ(1, file.create(path.str(), "Main"));
    const std::string old = path.Get();
    const auto breakers = {
        +[](CAccountRecord& r) { r.users.clear(); },
        +[](CAccountRecord& r) { r.menuName.clear(); },
        +[](CAccountRecord& r) { r.users.front().userName.clear(); },
        +[](CAccountRecord& r) { r.users.back().rights.clear(); },
    };
    for (auto breaker : breakers) {
        file.addRecord("Broken", "");
        breaker(*file.currentRecord());
        EXPECT_EQ(0, file.save());
        EXPECT_TRUE(old == path.Get());
        file.recordAt(1);
        file.currentRecord()->menuName = "Broken";
        file.deleteRecord("Broken");
    }
    EXPECT_EQ(1, file.save());
}

// Fails one chosen step of saving: the n-th write (after writing half of
// its bytes), the flush or the replacement.
class FaultyAccountFile : public CAccountFile {
public:
    int failWrite = 0;
    bool failFlush = false;
    bool failReplace = false;
    int writes = 0;

protected:
    void WriteChunk(CAhFile& file, const char* data, unsigned int size) override
    {
        if (++writes == failWrite) {
            CAccountFile::WriteChunk(file, data, size / 2);
            throw CAhFileException(CAhFileException::diskFull, 0, file.GetFilePath());
        }
        CAccountFile::WriteChunk(file, data, size);
    }
    void FlushFile(CAhFile& file) override
    {
        if (failFlush) throw CAhFileException(CAhFileException::hardIO, 0, file.GetFilePath());
        CAccountFile::FlushFile(file);
    }
    bool ReplaceFile(const std::string& source, const std::string& target) override
    {
        return failReplace ? false : CAccountFile::ReplaceFile(source, target);
    }
};

TEST(AccountFileTest, FailedSaveLeavesTheOldFileByteForByte)
{
    ScratchPath path;
    {
        CAccountFile file;
        ASSERT_EQ(1, file.create(path.str(), "Main"));
        file.currentRecord()->setBody(SampleBody(7, 150000));
        file.addRecord("Second", SampleBody(8, 300));
        ASSERT_EQ(1, file.save());
    }
    const std::string old = path.Get();

    int totalWrites = 0;
    {
        FaultyAccountFile file;
        ASSERT_EQ(1, file.load(path.str()));
        ASSERT_EQ(1, file.save());
        totalWrites = file.writes;
    }
    ASSERT_GE(totalWrites, 3);
    path.Put(old);

    struct Fault {
        int write;
        bool flush;
        bool replace;
    };
    std::vector<Fault> faults;
    for (int n = 1; n <= totalWrites; ++n) faults.push_back({n, false, false});
    faults.push_back({0, true, false});
    faults.push_back({0, false, true});
    for (const Fault& fault : faults) {
        SCOPED_TRACE(testing::Message() << "write " << fault.write << " flush " << fault.flush << " replace "
                                        << fault.replace);
        FaultyAccountFile file;
        ASSERT_EQ(1, file.load(path.str()));
        file.addRecord("New", SampleBody(9, 50));
        file.failWrite = fault.write;
        file.failFlush = fault.flush;
        file.failReplace = fault.replace;
        EXPECT_EQ(0, file.save());
        EXPECT_TRUE(path.Get() == old);
        EXPECT_FALSE(path.TempLeft());
        // Still held, records still in memory: a second try succeeds.
        EXPECT_EQ(0, CAccountFile().load(path.str()));
        EXPECT_EQ(3, file.recordCount());
        file.failWrite = 0;
        file.failFlush = file.failReplace = false;
        EXPECT_EQ(1, file.save());
        file.close();
        CAccountFile check;
        ASSERT_EQ(1, check.load(path.str()));
        EXPECT_EQ(3, check.recordCount());
        check.close();
        path.Put(old);
    }
}

// Written once by each build; both builds must read both the same way.
std::vector<Record> FixtureRecords()
{
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    return {
        {"Main", {{"admin", "s3cret", "rw"}, {"guest", "", "r"}}, Packet(all) + Packet("second")},
        {"Zweites Men\xFC", {{"admin", "", "rw"}, {"guest", "", "r"}, {"\xC4nne", "\xFF\xFE\xFD", "r"}}, ""},
    };
}

TEST(AccountFileTest, ReadsFilesWrittenByEitherBuild)
{
    for (const char* name : {"/written_native.vn", "/written_windows.vn"}) {
        SCOPED_TRACE(name);
        const std::string fixture = std::string(VANTREL_ACCOUNTS_DATA) + name;
        // Read a copy, since loading holds the file open for writing.
        ScratchPath path;
        path.Put(ScratchPath::ReadFile(fixture));
        ASSERT_FALSE(path.Get().empty());
        CAccountFile file;
        ASSERT_EQ(1, file.load(path.str()));
        EXPECT_TRUE(FixtureRecords() == Records(file));
    }
}

// Run with --gtest_also_run_disabled_tests and VANTREL_FIXTURE_OUT set to
// make a fixture with the build at hand.
TEST(AccountFileTest, DISABLED_WriteFixture)
{
    const char* out = std::getenv("VANTREL_FIXTURE_OUT");
    ASSERT_NE(nullptr, out);
    CAccountFile file;
    const std::vector<Record> records = FixtureRecords();
    ASSERT_EQ(1, file.create(out, records[0].name));
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i > 0) file.addRecord(records[i].name, "");
        file.currentRecord()->users.assign(records[i].users.begin(), records[i].users.end());
        file.currentRecord()->setBody(records[i].body);
    }
    ASSERT_EQ(1, file.save());
}

}  // namespace

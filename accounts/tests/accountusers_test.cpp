// Which user entry a password change, a damaged password field and the
// rule of the last writer act on.
#include "accounts/accountfile.h"
#include "accounts/userrules.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <list>
#include <string>
#include <vector>

#include "ahcommon/packet.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

class TempMenuFile {
public:
    TempMenuFile()
    {
        static std::atomic<int> counter{0};
#ifdef _WIN32
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        m_path = std::string(folder) + "accountusers_" + std::to_string(GetCurrentProcessId());
#else
        const char* folder = std::getenv("TMPDIR");
        m_path = std::string(folder != nullptr ? folder : "/tmp") + "/accountusers_" + std::to_string(getpid());
#endif
        m_path += "_" + std::to_string(counter++) + ".vn";
    }
    ~TempMenuFile()
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

private:
    std::string m_path;
};

std::string Packet(const std::string& payload)
{
    std::string p;
    PacketMessage(payload.data(), static_cast<int>(payload.size()), p);
    return p;
}

// The users of the current record as "name/password/rights".
std::vector<std::string> Users(const CAccountFile& file)
{
    std::vector<std::string> users;
    for (const CUserEntry& user : file.currentRecord()->users)
        users.push_back(user.userName + "/" + user.password + "/" + user.rights);
    return users;
}

TEST(AccountUsersTest, ChangePasswordChangesTheEntryTheLoginSelects)
{
    // Names that differ only in case are different users; so are passwords.
    struct Case {
        const char* what;
        const char* user;
        const char* oldPassword;
        const char* newName;
        int result;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"exact match, listed after a case twin", "bob", "secret", nullptr, 1,
         {"Bob/Secret/rw", "bob/new/r", "carol/c1/rw", "carol/c2/r"}},
        {"old password in other case", "bob", "SECRET", nullptr, 0,
         {"Bob/Secret/rw", "bob/secret/r", "carol/c1/rw", "carol/c2/r"}},
        {"name in other case", "BOB", "secret", nullptr, 0,
         {"Bob/Secret/rw", "bob/secret/r", "carol/c1/rw", "carol/c2/r"}},
        {"same name twice: the one with this password", "carol", "c2", nullptr, 1,
         {"Bob/Secret/rw", "bob/secret/r", "carol/c1/rw", "carol/new/r"}},
        {"renamed as well", "Bob", "Secret", "Robert", 1,
         {"Robert/new/rw", "bob/secret/r", "carol/c1/rw", "carol/c2/r"}},
    };
    TempMenuFile path;
    {
        CAccountFile writer;
        ASSERT_EQ(1, writer.create(path.str(), "Main"));
        CAccountRecord* record = writer.currentRecord();
        record->users.clear();
        record->users.emplace_back("Bob", "Secret", "rw");
        record->users.emplace_back("bob", "secret", "r");
        record->users.emplace_back("carol", "c1", "rw");
        record->users.emplace_back("carol", "c2", "r");
        ASSERT_EQ(1, writer.save());
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CAccountFile file;
        ASSERT_EQ(1, file.load(path.str()));
        const int selected = file.select("Main", c.user, c.oldPassword);
        const CUserEntry* loggedIn = file.currentUser();
        EXPECT_EQ(c.result, file.changePassword(c.user, c.oldPassword, "new", c.newName));
        ASSERT_EQ(1, file.findRecord("Main"));
        EXPECT_EQ(c.after, Users(file));
        // What changed is the entry the login with the same values selected.
        EXPECT_EQ(selected, c.result);
        if (selected) {
            EXPECT_EQ("new", loggedIn->password);
        }
    }

    // A new menu's administrator is made from the default entry this way.
    CAccountFile fresh;
    fresh.addRecord("Main", "");
    EXPECT_EQ(1, fresh.changePassword("admin", "", "pw", "boss"));
    EXPECT_EQ((std::vector<std::string>{"boss/pw/rw", "guest//r"}), Users(fresh));
}

// A menu file whose user "broken" has the given password field, between an
// administrator and a guest with an empty password.
std::string FileWithPasswordField(const std::string& field)
{
    CDesCipher cipher;
    const std::string list = Packet(cipher.encipherText("admin")) + Packet(cipher.encipherText("a")) +
                             Packet(cipher.encipherText("rw")) + Packet(cipher.encipherText("broken")) +
                             Packet(field) + Packet(cipher.encipherText("rw")) +
                             Packet(cipher.encipherText("guest")) + Packet(cipher.encipherText("")) +
                             Packet(cipher.encipherText("r"));
    return Packet(Packet(cipher.encipherText("Main")) + Packet(list) + Packet(cipher.encipherBytes("")));
}

std::string Enciphered(std::string plain)
{
    CDesCipher cipher;
    cipher.encipherBlocks(kProgramKey, reinterpret_cast<unsigned char*>(&plain[0]),
                          static_cast<int>(plain.size() / 8));
    return plain;
}

TEST(AccountUsersTest, DamagedPasswordFieldLocksOnlyItsEntryAndIsKeptOnSave)
{
    const struct {
        const char* what;
        std::string field;
    } cases[] = {
        {"odd count of hexadecimal characters", Enciphered("ABC\xA0\xA1\xA2\xA3\xA4")},
        {"not hexadecimal", Enciphered("4G\xA0\xA1\xA2\xA3\xA4\xA5")},
        {"shorter than a block", "\x01\x02\x03"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempMenuFile path;
        path.Put(FileWithPasswordField(c.field));
        {
            CAccountFile file;
            ASSERT_EQ(1, file.loadForUpdate(path.str()));
            EXPECT_EQ(0, file.select("Main", "broken", ""));
            EXPECT_EQ(1, file.select("Main", "admin", "a"));
            EXPECT_EQ(1, file.select("Main", "guest", ""));  // the stored form of an empty password
            EXPECT_EQ(0, file.changePassword("broken", "", "mine"));
            ASSERT_EQ(1, file.findUser("broken"));
            EXPECT_TRUE(file.currentUser()->passwordDamaged());
            EXPECT_TRUE(RemovesLastWriter(file.currentRecord()->users, "admin", nullptr))
                << "a writer nobody can log in as does not count";

            // Another change saves the damaged field as it was read.
            file.select("Main", "admin", "a");
            file.addUser("new", "n", "r");
            ASSERT_EQ(1, file.save());
        }
        CAccountFile file;
        ASSERT_EQ(1, file.loadForUpdate(path.str()));
        EXPECT_EQ(0, file.select("Main", "broken", ""));
        EXPECT_EQ(1, file.select("Main", "new", "n"));
        ASSERT_EQ(1, file.findUser("broken"));
        EXPECT_EQ(c.field, file.currentUser()->damagedPassword);

        // Setting a password makes the entry whole.
        ASSERT_EQ(1, file.findUser("broken"));
        file.currentUser()->setPassword("");
        ASSERT_EQ(1, file.save());
        file.close();
        ASSERT_EQ(1, file.load(path.str()));
        EXPECT_EQ(1, file.select("Main", "broken", ""));
    }
}

TEST(AccountUsersTest, LastWriterCannotBeDeletedOrMadeReadOnly)
{
    const std::string readOnly = "r", readWrite = "rw";
    struct Case {
        const char* what;
        std::vector<CUserEntry> users;
        const char* name;
        const std::string* newRights;  // null: deleted
        bool removes;
    };
    const Case cases[] = {
        {"delete the only writer", {{"admin", "", "rw"}, {"guest", "", "r"}}, "admin", nullptr, true},
        {"demote the only writer", {{"admin", "", "rw"}, {"guest", "", "r"}}, "admin", &readOnly, true},
        {"keep the only writer a writer", {{"admin", "", "rw"}, {"guest", "", "r"}}, "admin", &readWrite, false},
        {"another writer remains", {{"admin", "", "rw"}, {"carol", "", "rw"}}, "admin", nullptr, false},
        {"delete a reader", {{"admin", "", "rw"}, {"guest", "", "r"}}, "guest", nullptr, false},
        {"names differ in case", {{"admin", "", "rw"}, {"Admin", "", "r"}}, "Admin", nullptr, false},
        {"a twin of the same name writes", {{"bob", "1", "rw"}, {"bob", "2", "rw"}}, "bob", &readOnly, false},
        {"unknown name", {{"admin", "", "rw"}}, "nobody", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::list<CUserEntry> users(c.users.begin(), c.users.end());
        EXPECT_EQ(c.removes, RemovesLastWriter(users, c.name, c.newRights));
    }
}

}  // namespace

// Account files: a menu file as a sequence of named records, each with its
// own users (name, password, rights) and a body. Names, passwords and rights
// are stored in the cipher's text form, bodies in its byte form, all under
// the program key; every value and every record is a packet.
//
//   file          record packet, record packet, ...
//   record packet P( P(T(menuName)) + P(user list) + P(B(body)) )
//   user list     P(T(userName)) + P(T(password)) + P(T(rights)), per user
#pragma once

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "accounts/descipher.h"
#include "menudoc/ahfile.h"

class CUserEntry {
public:
    CUserEntry() = default;
    CUserEntry(const std::string& name, const std::string& pass, const std::string& r)
        : userName(name), password(pass), rights(r)
    {
    }

    std::string userName;
    std::string password;
    std::string rights;  // "rw" read and write, "r" read only
};

class CAccountRecord {
public:
    CAccountRecord() = default;
    CAccountRecord(const std::string& name, const std::string& content) : menuName(name), m_body(content) {}
    virtual ~CAccountRecord() = default;

    // The menu body. A body read from a file stays enciphered until it is
    // first asked for, so that a save writes every body nobody looked at
    // back as it was read instead of deciphering and enciphering it again.
    // Deciphering then keeps the bytes before the first packet start mark,
    // cuts everything after the last end mark (the cipher's filler), and
    // gives an empty body when there is no start mark with an end mark
    // after it.
    const std::string& body() const;
    void setBody(std::string content);

    std::string menuName;
    std::list<CUserEntry> users;

private:
    friend class CAccountFile;

    // The body field as read from the file (byte form, unescaped) while
    // `m_enciphered` is set; the deciphered body lives in `m_body` otherwise.
    mutable std::string m_stored;
    mutable std::string m_body;
    mutable bool m_enciphered = false;
};

class CAccountFile {
public:
    CAccountFile();
    virtual ~CAccountFile();
    CAccountFile(const CAccountFile&) = delete;
    CAccountFile& operator=(const CAccountFile&) = delete;

    // Creates or truncates the file, adds the record `menuName` with the
    // default users and writes it. 0 only if the file cannot be opened or
    // written. The file stays open.
    int create(const std::string& path, const std::string& menuName);
    // Opens the file (tried first inside the program's folder) and reads
    // every record. 0 on any failure, with the object closed.
    int load(const std::string& path);
    // Releases the file and drops every record; 0 if no file was open.
    int close();
    // Rewrites the whole file from the records in memory. The new content goes
    // to a temporary file beside it which then replaces the file in one step,
    // so a failure leaves the file as it was and returns 0. Records that could
    // not be read back (no name, no users, a user without name or rights)
    // are refused with 0 and nothing written.
    int save();

    // The first record named exactly `menuName` becomes current if it has a
    // user with exactly this name and password; later records of the same
    // name are never examined.
    int select(const std::string& menuName, const std::string& userName, const std::string& password);
    CAccountRecord* currentRecord() const { return m_currentRecord; }
    int recordCount() const { return static_cast<int>(m_records.size()); }
    // The record at `index` becomes current; null past the end.
    CAccountRecord* recordAt(int index);
    // Case-insensitive; the match becomes current.
    int findRecord(const std::string& menuName);
    // Appends a record with the users admin ("rw") and guest ("r"), both with
    // an empty password; it becomes current.
    void addRecord(const std::string& menuName, const std::string& body);
    // Deletes the first record whose name matches ignoring case.
    int deleteRecord(const std::string& menuName);

    // User operations act on the current record (0 when there is none).
    int addUser(const std::string& userName, const std::string& password, const std::string& rights);
    int deleteUser(const std::string& userName);
    int findUser(const std::string& userName);
    int userAt(int index);
    CUserEntry* currentUser() const { return m_currentUser; }
    // Finds the first user whose name and password match ignoring case, sets
    // the new password and, when `newUserName` is not null, the new name.
    int changePassword(const std::string& userName, const std::string& oldPassword,
                       const std::string& newPassword, const char* newUserName = nullptr);

    bool isOpen() const { return m_file.IsOpen(); }
    // The path of the open file (after resolution), empty when closed.
    std::string path() const { return m_path; }

    // The whole file content for the records in memory.
    std::string serialize();
    // Parses a whole file content; false if the content is malformed. On
    // success the records are appended to `records`.
    static bool ParseContent(const std::string& content, CDesCipher& cipher,
                             std::vector<std::unique_ptr<CAccountRecord>>& records);

protected:
    // The steps of `save` that touch the disk, each a seam the tests use to
    // make the n-th write, the flush or the replacement fail. They throw
    // CAhFileException or return false on failure.
    virtual void WriteChunk(CAhFile& file, const char* data, unsigned int size);
    virtual void FlushFile(CAhFile& file);
    virtual bool ReplaceFile(const std::string& source, const std::string& target);

private:
    CAhFile m_file;
    std::string m_path;
    std::vector<std::unique_ptr<CAccountRecord>> m_records;
    CAccountRecord* m_currentRecord;
    CUserEntry* m_currentUser;
    std::unique_ptr<CDesCipher> m_cipher;

    bool ReadAll(std::string& content);
};

// The file a relative path names inside the program's folder, if one exists
// there, else the path unchanged.
std::string ResolveAccountPath(const std::string& path);

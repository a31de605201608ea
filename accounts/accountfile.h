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

    // A new password; an entry whose stored one was damaged is whole again.
    void setPassword(const std::string& pass)
    {
        password = pass;
        damagedPassword.clear();
    }
    bool passwordDamaged() const { return !damagedPassword.empty(); }

    std::string userName;
    std::string password;
    std::string rights;  // "rw" read and write, "r" read only
    // The password field as read from the file when it did not decipher to
    // a valid text (`password` is then empty); empty otherwise. Nobody can
    // log in as such an entry, and a save writes the field back as it was
    // read, so that damage never turns into an empty password.
    std::string damagedPassword;
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
    // written. The file stays held for update until `close`.
    int create(const std::string& path, const std::string& menuName);
    // Reads every record of the file (tried first inside the program's
    // folder) and lets go of the file at once; the records stay in memory
    // until `close`, but `save` refuses to write them. The file is opened
    // for reading only, with writers shut out while it is read, so a save
    // under way is never seen half done. 0 on any failure, with the object
    // closed. With `content`, it receives the bytes the records were read
    // from, as this load saw them.
    int load(const std::string& path, std::string* content = nullptr);
    // As `load`, but the file stays open for reading and writing until
    // `close`, with other writers and readers shut out, so that loading,
    // changing, saving and closing is one transaction no other process
    // interleaves with.
    int loadForUpdate(const std::string& path);
    // Releases the file and drops every record; 0 if nothing was loaded.
    int close();
    // Rewrites the whole file held for update from the records in memory,
    // in place, so that the file keeps its permissions, owner, links and
    // attributes. The new content first goes to the side file
    // `<file>.~save`, complete with a length and a checksum, and reaches
    // the disk before the file is touched; a save cut short while the file
    // itself was being rewritten is then finished from the side file by the
    // next load. 0 on any failure, and when the file is not held for
    // update. Records that could not be read back (no name, no users, a
    // user without name or rights) are refused with 0 and nothing written.
    int save();

    // The first record named exactly `menuName` becomes current if it has a
    // user with exactly this name and password; later records of the same
    // name are never examined. A user whose stored password is damaged never
    // matches.
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
    // Changes the entry a login with this user name and password selects:
    // the first of the current record whose name and password are exactly
    // these (never one whose stored password is damaged). Sets the new
    // password and, when `newUserName` is not null, the new name.
    int changePassword(const std::string& userName, const std::string& oldPassword,
                       const std::string& newPassword, const char* newUserName = nullptr);

    // Whether records were loaded or created (until `close`).
    bool isOpen() const { return m_loaded; }
    // Whether the file is held for update: `save` can write it.
    bool isHeldForUpdate() const { return m_file.IsOpen(); }
    // The path of the loaded file (after resolution), empty when closed.
    std::string path() const { return m_path; }
    // Whether the last create, load or loadForUpdate failed because another
    // process kept the file (a sharing violation that outlasted the wait).
    bool wasBusy() const { return m_busy; }

    // The whole file content for the records in memory.
    std::string serialize();
    // Parses a whole file content; false if the content is malformed. On
    // success the records are appended to `records`.
    static bool ParseContent(const std::string& content, CDesCipher& cipher,
                             std::vector<std::unique_ptr<CAccountRecord>>& records);

protected:
    // The steps that touch the disk, each a seam the tests use to make the
    // n-th write or flush, the setting of the length or a read fail or
    // wait. They throw CAhFileException (or return false) on failure.
    virtual void WriteChunk(CAhFile& file, const char* data, unsigned int size);
    virtual void FlushFile(CAhFile& file);
    virtual void SetFileLength(CAhFile& file, std::uint64_t length);
    virtual bool ReadContent(CAhFile& file, std::string& content);

private:
    CAhFile m_file;
    std::string m_path;
    std::vector<std::unique_ptr<CAccountRecord>> m_records;
    CAccountRecord* m_currentRecord;
    CUserEntry* m_currentUser;
    std::unique_ptr<CDesCipher> m_cipher;
    bool m_loaded;
    bool m_busy;

    enum SideFile { sideNone, sideWhole, sideCut, sideUnreadable };

    int open(const std::string& path, bool forUpdate, std::string* loaded = nullptr);
    bool openHeld(const std::string& path, unsigned int flags);
    SideFile readSide(std::string& content);
    bool readLatest(std::string& content, bool repair);
    bool rewriteHeld(const std::string& content);
};

// The file a relative path names inside the program's folder, if one exists
// there, else the path unchanged.
std::string ResolveAccountPath(const std::string& path);

// Account files from bytes: the whole-content parser against the packet
// accumulator it stands for, each body deciphered and trimmed, and what was
// read written out again and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "accounts/accountfile.h"
#include "ahcommon/packet.h"

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

bool SameUsers(const std::list<CUserEntry>& a, const std::list<CUserEntry>& b)
{
    if (a.size() != b.size()) return false;
    for (auto x = a.begin(), y = b.begin(); x != a.end(); ++x, ++y) {
        if (x->userName != y->userName || x->password != y->password || x->rights != y->rights ||
            x->damagedPassword != y->damagedPassword)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);

    // The file as it has always been read: a byte at a time into an
    // accumulator. It reads only if every byte ended in a packet. Each byte
    // rescans the accumulator, so only inputs up to kOracleBytes are compared
    // with it: longer ones would slow every execution many times over.
    const std::size_t kOracleBytes = 1024;
    const bool compare = size <= kOracleBytes;
    std::size_t packets = 0;
    std::string accumulator, payload;
    if (compare) {
        for (char c : content) {
            accumulator += c;
            if (UnpacketMessage(accumulator, payload) == 1) ++packets;
        }
    }

    CDesCipher cipher;
    std::vector<std::unique_ptr<CAccountRecord>> records;
    const bool read = CAccountFile::ParseContent(content, cipher, records);
    if (compare && (!accumulator.empty() || packets == 0)) Require(!read);
    if (!read) {
        Require(records.empty());
        return 0;
    }
    if (compare) Require(records.size() == packets);

    // Written out and read back: the same names, users and bodies.
    CAccountFile file;
    for (const auto& record : records) {
        Require(!record->menuName.empty() && !record->users.empty());
        const std::string& body = record->body();
        Require(body.empty() || (body.compare(body.size() - 2, 2, "\xFF\xFE", 2) == 0 &&
                                 body.find("\xFF\xFD", 0, 2) != std::string::npos));
        file.addRecord(record->menuName, body);
        file.currentRecord()->users = record->users;
    }
    std::vector<std::unique_ptr<CAccountRecord>> again;
    Require(CAccountFile::ParseContent(file.serialize(), cipher, again));
    Require(again.size() == records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        Require(again[i]->menuName == records[i]->menuName);
        Require(SameUsers(again[i]->users, records[i]->users));
        Require(again[i]->body() == records[i]->body());
    }
    return 0;
}

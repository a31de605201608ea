#include "accounts/userrules.h"

bool HasWriteRights(const std::string& rights)
{
    return rights.find('w') != std::string::npos;
}

bool RemovesLastWriter(const std::list<CUserEntry>& users, const std::string& userName, const std::string* newRights)
{
    const CUserEntry* changed = nullptr;
    for (const CUserEntry& user : users) {
        if (user.userName == userName) {
            changed = &user;
            break;
        }
    }
    if (changed == nullptr || !HasWriteRights(changed->rights) || changed->passwordDamaged()) return false;
    if (newRights != nullptr && HasWriteRights(*newRights)) return false;
    for (const CUserEntry& user : users) {
        if (&user != changed && HasWriteRights(user.rights) && !user.passwordDamaged()) return false;
    }
    return true;
}

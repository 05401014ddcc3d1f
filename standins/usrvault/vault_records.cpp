// Fresh domain and user records (see vault_records.h).
#include "vault_records.h"

#include "common/bounded_format.h"

namespace usrvault {

bool StartDomain(DomainData& domain, const char* name, const char* oldDatabase) {
    domain.Name.fill('\0');
    domain.Reserved.fill('\0');
    domain.OldDatabase.fill('\0');
    domain.Flags = 0;
    postern::CopyText(domain.OldDatabase, oldDatabase);
    // A name that does not fit is not stored cut: the record stays nameless,
    // so writing it back creates no domain of another name.
    if (name == nullptr || name[0] == '\0' || !postern::CopyText(domain.Name, name)) {
        domain.Name.fill('\0');
        return false;
    }
    return true;
}

bool StartUser(UserData& user, const char* userId) {
    user = UserData{};
    user.Flags = kNewUserFlags;
    if (userId == nullptr || userId[0] == '\0' || !postern::CopyText(user.UserId, userId)) {
        user.UserId.fill('\0');
        return false;
    }
    return true;
}

} // namespace usrvault

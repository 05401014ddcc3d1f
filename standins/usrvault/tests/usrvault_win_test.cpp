// usrvault.dll under Wine, loaded as a client loads it and called by ordinal:
// the domains, users and aliases it stores in the registry, the old
// single-domain database it reads, and its call log.
#include <windows.h>

#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "common/win_test_support.h"
#include "vault_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace usrvault;

namespace {

using ReadDomainFn = int(WINAPI*)(DomainData*, const char*);
using WriteDomainFn = int(WINAPI*)(DomainData*);
using FindUserFn = int(WINAPI*)(UserData*, DomainData*, const char*);
using ReadOldUserFn = int(WINAPI*)(UserData*, char*, const char*);
using AddUserFn = int(WINAPI*)(UserData*, DomainData*);
using CountFn = int(WINAPI*)(int);
using ListUsersFn = int(WINAPI*)(HWND, char*, int);
using ListAliasesFn = int(WINAPI*)(HWND, int, int);
using AddAliasFn = int(WINAPI*)(DomainData*, const char*, const char*);
using OpenFn = int(WINAPI*)();
using MarkFn = int(WINAPI*)(const char*);

constexpr char kOldDatabase[] = "SOFTWARE\\Corvane\\Postern";

std::string Key(const std::string& below) {
    return std::string(postern::kSuiteRootKey) + "\\" + below;
}

bool KeyExists(const std::string& path) {
    postern::UniqueHkey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void SetText(const std::string& path, const char* name, const std::string& text) {
    postern::UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
}

void SetNumber(const std::string& path, const char* name, DWORD number) {
    postern::UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                             sizeof number),
              ERROR_SUCCESS);
}

// The stored bytes of a value, and its type.
std::string StoredValue(const std::string& path, const char* name, DWORD* type = nullptr) {
    const auto data = postern::RegistryValueBytes(HKEY_LOCAL_MACHINE, path, name, type);
    if (data)
        return *data;
    postern::UniqueHkey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS
               ? "<no value>"
               : "<no key>";
}

template <typename Record> std::string BytesOf(const Record& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

std::vector<std::string> ListEntries(HWND list) {
    std::vector<std::string> entries;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[600] = "";
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

class Vault : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        logPath_ = postern::ExeFolder() + "usrvault.log";
        DeleteFileA(logPath_.c_str());
        module_.reset(LoadLibraryA("usrvault.dll"));
        ASSERT_TRUE(module_) << "usrvault.dll does not load (error " << GetLastError() << ")";
        readDomain = Ordinal<ReadDomainFn>(100);
        writeDomain = Ordinal<WriteDomainFn>(101);
        findUser = Ordinal<FindUserFn>(200);
        readOldUser = Ordinal<ReadOldUserFn>(201);
        addUser = Ordinal<AddUserFn>(202);
        countAddresses = Ordinal<CountFn>(300);
        listOldUsers = Ordinal<ListUsersFn>(304);
        listOldAliases = Ordinal<ListAliasesFn>(305);
        addAlias = Ordinal<AddAliasFn>(422);
        openDatabase = Ordinal<OpenFn>(514);
        mark = Ordinal<MarkFn>(521);
        ASSERT_FALSE(HasFailure());
        list_.reset(CreateWindowExA(0, "LISTBOX", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                    nullptr, nullptr));
        ASSERT_TRUE(list_);
    }
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey); }

    template <typename Fn> Fn Ordinal(WORD ordinal) {
        FARPROC address = GetProcAddress(module_.get(), MAKEINTRESOURCEA(ordinal));
        EXPECT_NE(address, nullptr) << "no export with ordinal " << ordinal;
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
    }

    // A stored domain, read back into a record filled with junk first.
    DomainData StoredDomain(const char* name, std::uint32_t flags = 0) {
        DomainData domain;
        std::memset(&domain, 0x5A, sizeof domain);
        EXPECT_EQ(readDomain(&domain, name), 0);
        domain.Description.fill('\0');
        domain.Flags = flags;
        EXPECT_EQ(writeDomain(&domain), 1);
        return domain;
    }

    UserData NewUser(DomainData& domain, const char* id, const char* password, const char* fullName,
                     std::uint32_t flags) {
        UserData user;
        std::memset(&user, 0x5A, sizeof user);
        EXPECT_EQ(findUser(&user, &domain, id), 0);
        std::strcpy(user.Password.data(), password);
        std::strcpy(user.FullName.data(), fullName);
        user.Flags = flags;
        return user;
    }

    std::string Log() const { return postern::ReadWholeFile(logPath_); }

    postern::UniqueModule module_;
    postern::UniqueWindow list_;
    std::string logPath_;
    ReadDomainFn readDomain = nullptr;
    WriteDomainFn writeDomain = nullptr;
    FindUserFn findUser = nullptr;
    ReadOldUserFn readOldUser = nullptr;
    AddUserFn addUser = nullptr;
    CountFn countAddresses = nullptr;
    ListUsersFn listOldUsers = nullptr;
    ListAliasesFn listOldAliases = nullptr;
    AddAliasFn addAlias = nullptr;
    OpenFn openDatabase = nullptr;
    MarkFn mark = nullptr;
};

} // namespace

TEST_F(Vault, ExportsHaveOrdinalsAndNoNames) {
    for (const char* name : {"UvReadDomain", "UvWriteDomain", "UvFindUser", "UvReadOldUser",
                             "UvAddUser", "UvCountAddresses", "UvListOldUsers", "UvListOldAliases",
                             "UvAddAlias", "UvOpenDatabase", "UvMarkInstallation", "DllMain"})
        EXPECT_EQ(GetProcAddress(module_.get(), name), nullptr) << name;
    for (WORD ordinal : {1, 99, 102, 203, 301, 423, 520, 522})
        EXPECT_EQ(GetProcAddress(module_.get(), MAKEINTRESOURCEA(ordinal)), nullptr) << ordinal;
}

TEST_F(Vault, OpenDatabaseCreatesTheDomainsKey) {
    EXPECT_FALSE(KeyExists(postern::kSuiteDomainsKey));
    EXPECT_EQ(openDatabase(), 1);
    EXPECT_TRUE(KeyExists(postern::kSuiteDomainsKey));
    EXPECT_EQ(openDatabase(), 1);
}

TEST_F(Vault, ADomainNotStoredGetsAFreshRecordThatWritingStores) {
    ASSERT_EQ(openDatabase(), 1);
    DomainData domain;
    std::memset(&domain, 0x5A, sizeof domain);
    EXPECT_EQ(readDomain(&domain, "example.com"), 0);
    EXPECT_STREQ(domain.Name.data(), "example.com");
    EXPECT_STREQ(domain.OldDatabase.data(), kOldDatabase);
    EXPECT_EQ(domain.Flags, 0u);
    EXPECT_EQ(domain.Description[0], 0x5A); // the caller's to empty
    std::strcpy(domain.Description.data(), "The first domain");
    domain.Flags = 0x10;
    EXPECT_EQ(writeDomain(&domain), 1);

    DWORD type = 0;
    const std::string stored = StoredValue(Key("Domains\\example.com"), "Record", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(stored, BytesOf(domain));

    DomainData again;
    std::memset(&again, 0x33, sizeof again);
    EXPECT_EQ(readDomain(&again, "EXAMPLE.COM"), 1); // names compare without case
    EXPECT_EQ(BytesOf(again), BytesOf(domain));
    EXPECT_EQ(again.Flags, 0x10u);
    EXPECT_STREQ(again.Description.data(), "The first domain");
}

TEST_F(Vault, AReadDomainMayNameItsOwnRecord) {
    DomainData domain = StoredDomain("example.com", 0x10);
    EXPECT_EQ(readDomain(&domain, domain.Name.data()), 1);
    EXPECT_STREQ(domain.Name.data(), "example.com");
    EXPECT_EQ(domain.Flags, 0x10u);
}

TEST_F(Vault, ARecordWithoutAUsableNameIsNotStored) {
    DomainData domain;
    std::memset(&domain, 0, sizeof domain);
    EXPECT_EQ(writeDomain(&domain), 0); // no name
    std::memset(domain.Name.data(), 'x', domain.Name.size());
    EXPECT_EQ(writeDomain(&domain), 0); // not terminated inside its field
    std::memset(&domain, 0x5A, sizeof domain);
    EXPECT_EQ(readDomain(&domain, std::string(256, 'd').c_str()), 0);
    EXPECT_EQ(writeDomain(&domain), 0); // the too-long name was not kept cut
    EXPECT_EQ(readDomain(&domain, nullptr), 0);
    EXPECT_EQ(writeDomain(&domain), 0);
    EXPECT_FALSE(KeyExists(postern::kSuiteDomainsKey));
}

TEST_F(Vault, UsersAreFoundAddedOnceAndKeptAsGiven) {
    DomainData domain = StoredDomain("example.com");
    UserData user;
    std::memset(&user, 0x5A, sizeof user);
    EXPECT_EQ(findUser(&user, &domain, "alice"), 0);
    EXPECT_STREQ(user.UserId.data(), "alice");
    EXPECT_EQ(user.Flags, kNewUserFlags);
    EXPECT_EQ(user.Password[0], '\0');
    std::strcpy(user.Password.data(), "alice-pw");
    std::strcpy(user.FullName.data(), "Alice Example");
    user.Flags = 0x80;
    EXPECT_EQ(addUser(&user, &domain), 1);
    EXPECT_EQ(StoredValue(Key("Domains\\example.com\\Users\\alice"), "Record"), BytesOf(user));

    UserData found;
    std::memset(&found, 0x33, sizeof found);
    EXPECT_EQ(findUser(&found, &domain, "alice"), 1);
    EXPECT_EQ(BytesOf(found), BytesOf(user));
    EXPECT_EQ(findUser(&found, &domain, "ALICE"), 1); // ids compare without case

    // A second add changes nothing.
    UserData other = user;
    std::strcpy(other.Password.data(), "other");
    EXPECT_EQ(addUser(&other, &domain), 0);
    EXPECT_EQ(StoredValue(Key("Domains\\example.com\\Users\\alice"), "Record"), BytesOf(user));
}

TEST_F(Vault, NoUserJoinsADomainThatIsNotStored) {
    ASSERT_EQ(openDatabase(), 1);
    DomainData domain;
    std::memset(&domain, 0x5A, sizeof domain);
    ASSERT_EQ(readDomain(&domain, "example.net"), 0);
    UserData user;
    EXPECT_EQ(findUser(&user, &domain, "carol"), 0);
    EXPECT_EQ(user.Flags, kNewUserFlags);
    user.Flags = 0x80;
    EXPECT_EQ(addUser(&user, &domain), 0);
    EXPECT_EQ(addAlias(&domain, "sales", "carol"), 0);
    EXPECT_FALSE(KeyExists(Key("Domains\\example.net")));
    EXPECT_NE(Log().find("202 AddUser(\"example.net\", \"carol\", flags 0x80) -> 0 "
                         "(the domain is not stored)"),
              std::string::npos)
        << Log();
}

TEST_F(Vault, AnyUserIdAndDomainNameHasAKey) {
    DomainData domain = StoredDomain("50%\\off");
    EXPECT_TRUE(KeyExists(Key("Domains\\50%25%5Coff")));
    UserData user = NewUser(domain, "a\\b", "pw", "Backslash", 0x80);
    ASSERT_EQ(addUser(&user, &domain), 1);
    EXPECT_TRUE(KeyExists(Key("Domains\\50%25%5Coff\\Users\\a%5Cb")));
    UserData found;
    EXPECT_EQ(findUser(&found, &domain, "a\\b"), 1);
    EXPECT_STREQ(found.FullName.data(), "Backslash");
    EXPECT_EQ(findUser(&found, &domain, "a%5Cb"), 0);
}

TEST_F(Vault, AUserRecordWithoutItsIdIsNotAdded) {
    DomainData domain = StoredDomain("example.com");
    UserData user;
    std::memset(&user, 'u', sizeof user); // the id is not terminated
    EXPECT_EQ(addUser(&user, &domain), 0);
    user.UserId[0] = '\0';
    EXPECT_EQ(addUser(&user, &domain), 0);
    EXPECT_FALSE(KeyExists(Key("Domains\\example.com\\Users")));
    EXPECT_EQ(findUser(&user, &domain, std::string(32, 'u').c_str()), 0);
    EXPECT_EQ(user.UserId[0], '\0');
}

TEST_F(Vault, AliasesAreStoredOnce) {
    DomainData domain = StoredDomain("example.com");
    EXPECT_EQ(addAlias(&domain, "sales", "alice bob"), 1);
    EXPECT_EQ(StoredValue(Key("Domains\\example.com\\Aliases"), "sales"),
              std::string("alice bob\0", 10));
    EXPECT_EQ(addAlias(&domain, "sales", "carol"), 0);
    EXPECT_EQ(StoredValue(Key("Domains\\example.com\\Aliases"), "sales"),
              std::string("alice bob\0", 10));
    EXPECT_EQ(addAlias(&domain, "", "carol"), 0);
    EXPECT_EQ(addAlias(&domain, nullptr, "carol"), 0);
    EXPECT_EQ(addAlias(&domain, "list", "roster example.com list"), 1);
}

TEST_F(Vault, AddressCountIsTheStoredValue) {
    EXPECT_EQ(countAddresses(0), 0);
    ASSERT_EQ(openDatabase(), 1);
    EXPECT_EQ(countAddresses(0), 0);
    SetNumber(postern::kSuiteDomainsKey, "AddressCount", 2);
    EXPECT_EQ(countAddresses(0), 2);
    SetNumber(postern::kSuiteDomainsKey, "AddressCount", 1);
    EXPECT_EQ(countAddresses(0), 1);
}

namespace {

// An old single-domain database: two users, keys that are no users, aliases.
void SeedOldDatabase() {
    SetText(Key("alice"), "Password", "alice-pw");
    SetText(Key("alice"), "FullName", "Alice Example");
    SetText(Key("bob"), "Password", "bob-pw");
    SetNumber(Key("bob"), "Flags", 0x21);
    SetText(Key("longname"), "Password", "pw");
    SetText(Key("longname"), "FullName", std::string(62, 'n'));
    SetText(Key("Global"), "Password", "not a user");
    SetText(Key("Global"), "TopDir", "C:\\POSTERN");
    SetText(Key("notauser"), "Something", "else");
    SetText(Key("_aliases"), "sales", "alice bob");
    SetText(Key("_aliases"), "list", "roster mylist");
}

} // namespace

TEST_F(Vault, OldUsersAreListedWithoutTheSuitesOwnKeys) {
    SeedOldDatabase();
    ASSERT_EQ(openDatabase(), 1); // the Domains key is no user either
    SetText(postern::kSuiteDomainsKey, "Password", "not a user");
    SendMessageA(list_.get(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("left over"));
    char database[268] = "SOFTWARE\\Corvane\\Postern";
    EXPECT_EQ(listOldUsers(list_.get(), database, 1), 1);
    EXPECT_EQ(ListEntries(list_.get()), (std::vector<std::string>{"alice", "bob", "longname"}));
    // Without the reset the entries are added to what the list holds.
    EXPECT_EQ(listOldUsers(list_.get(), database, 0), 1);
    EXPECT_EQ(ListEntries(list_.get()).size(), 6u);
}

TEST_F(Vault, OldUsersAreReadIntoFreshRecords) {
    SeedOldDatabase();
    char database[268] = "SOFTWARE\\Corvane\\Postern";
    UserData user;
    std::memset(&user, 0x5A, sizeof user);
    EXPECT_EQ(readOldUser(&user, database, "alice"), 1);
    EXPECT_STREQ(user.UserId.data(), "alice");
    EXPECT_STREQ(user.Password.data(), "alice-pw");
    EXPECT_STREQ(user.FullName.data(), "Alice Example");
    EXPECT_EQ(user.Flags, kNewUserFlags);
    for (const char c : user.Reserved2)
        ASSERT_EQ(c, '\0');
    EXPECT_EQ(readOldUser(&user, database, "bob"), 1);
    EXPECT_EQ(user.Flags, 0x21u);
    EXPECT_EQ(user.FullName[0], '\0');

    struct Refused {
        const char* id;
        const char* reason;
    };
    for (const Refused& c :
         {Refused{"longname", "its FullName is too long"},
          Refused{"Global", "not a user id of the old database"},
          Refused{"_aliases", "not a user id of the old database"},
          Refused{"notauser", "its Password is missing"}, Refused{"nobody", "no such user"},
          Refused{"Global\\..\\alice", "not a user id of the old database"}}) {
        EXPECT_EQ(readOldUser(&user, database, c.id), 0) << c.id;
        EXPECT_NE(
            Log().find(std::string("201 ReadOldUser(\"") + c.id + "\") -> 0 (" + c.reason + ")"),
            std::string::npos)
            << c.id << "\n"
            << Log();
    }
    char unterminated[268];
    std::memset(unterminated, 'x', sizeof unterminated);
    EXPECT_EQ(readOldUser(&user, unterminated, "alice"), 0);
    EXPECT_EQ(readOldUser(&user, nullptr, "alice"), 0);
}

TEST_F(Vault, OldAliasesAreListedAsAliasEqualsTarget) {
    SeedOldDatabase();
    SendMessageA(list_.get(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("alice"));
    EXPECT_EQ(listOldAliases(list_.get(), 0, 1), 1);
    EXPECT_EQ(ListEntries(list_.get()),
              (std::vector<std::string>{"list=roster mylist", "sales=alice bob"}));
    EXPECT_EQ(listOldAliases(list_.get(), 1, 1), 0); // only the database at its place
}

TEST_F(Vault, OldAliasesThatCannotBeListedWholeFailTheListing) {
    struct Case {
        const char* name;
        std::string target;
    };
    for (const Case& c : {Case{"a=b", "x"}, Case{"huge", std::string(600, 't')}}) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        SeedOldDatabase();
        SetText(Key("_aliases"), c.name, c.target);
        SendMessageA(list_.get(), LB_RESETCONTENT, 0, 0);
        SendMessageA(list_.get(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("users"));
        EXPECT_EQ(listOldAliases(list_.get(), 0, 1), 0) << c.name;
        EXPECT_EQ(ListEntries(list_.get()), std::vector<std::string>{"users"}) << c.name;
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
    SeedOldDatabase();
    SetNumber(Key("_aliases"), "number", 5);
    EXPECT_EQ(listOldAliases(list_.get(), 0, 1), 0);
}

TEST_F(Vault, WithoutAnAliasesKeyTheListingFails) {
    SetText(Key("alice"), "Password", "pw");
    EXPECT_EQ(listOldAliases(list_.get(), 0, 1), 0);
    char database[268] = "SOFTWARE\\Corvane\\Postern\\Nowhere";
    EXPECT_EQ(listOldUsers(list_.get(), database, 1), 0);
}

TEST_F(Vault, TheMarkAndEveryCallAreLoggedBesideTheLibrary) {
    EXPECT_EQ(mark("C:\\POSTERN\\reg_init"), 1);
    EXPECT_EQ(mark(""), 0);
    EXPECT_EQ(openDatabase(), 1);
    const std::string log = Log();
    for (const char* line :
         {"521 MarkInstallation(\"C:\\POSTERN\\reg_init\") -> 1\r\n",
          "521 MarkInstallation(\"\") -> 0 (no path)\r\n", "514 OpenDatabase() -> 1\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    // Each line begins with its time stamp.
    std::istringstream lines(log);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        EXPECT_TRUE(line.size() > 9 && line[2] == ':' && line[5] == ':' && line[8] == ' ') << line;
    }
    EXPECT_EQ(count, 3);
}

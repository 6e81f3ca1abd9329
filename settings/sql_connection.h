// One set of logon settings: the database, the user and password, the logon mode and whether the
// saved-connection store keeps the password. A plain value; whoever keeps one keeps its own copy.
#pragma once

#include "profile.h"

#include <string>
#include <string_view>

class CSQLConnection {
public:
    // Every field at its default; the profile is the running application's.
    CSQLConnection();
    CSQLConnection(const CSQLConnection&) = default;
    CSQLConnection& operator=(const CSQLConnection&) = default;
    virtual ~CSQLConnection() = default;

    // "Normal", "SYSDBA" or "SYSOPER".
    std::u16string GetConnectAsName() const;

    // Two descriptors denote the same saved connection when User and Database are equal, code unit by
    // code unit (letter case counts). No other field takes part.
    bool IsSameConnection(const CSQLConnection& other) const;

    // Reads record `index` of `section` from the profile. False, with the fields after Name left as
    // they were, when the record's user is empty or absent, or there is no profile.
    bool Load(std::u16string_view section, int index);
    // Writes the descriptor as record `index` of `section`; when SavePassword is false the
    // descriptor's own Password is emptied first. False only when there is no profile.
    bool Save(std::u16string_view section, int index);

    std::u16string Name;
    std::u16string Server = u"Oracle";
    std::u16string User;
    std::u16string Password;
    std::u16string Database;
    std::u16string DBClient;
    int ConnectAs = 0; // 1 SYSDBA, 2 SYSOPER, anything else the normal mode
    bool SavePassword = true;
    platform::profile* Application; // not owned
};

// Scrambles a password for the profile, and unscrambles a scrambled one: every code unit is combined
// with 0x0B by exclusive or. A unit equal to 0x0B becomes NUL, which ends the stored text.
std::u16string ScramblePassword(std::u16string_view text);

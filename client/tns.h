// The Oracle client this program runs against: the loaded client library's path and file version,
// the Oracle home (registered under HKEY_LOCAL_MACHINE\SOFTWARE\ORACLE) that holds the library the
// path search finds, and the network aliases of the client's TNSNAMES.ORA. Holds no state of its own;
// every call asks the system afresh. Nothing is ever reported: failures give empty or false results.
#pragma once

#include "client_system.h"

#include <string>
#include <string_view>
#include <vector>

class CTNS {
public:
    CTNS();
    explicit CTNS(const platform::client_system& system);
    virtual ~CTNS() = default;

    // The name the client library is loaded by: OCI.DLL (libclntsh.so elsewhere).
    static std::u16string ClientModuleName();

    // The loaded client library's "FileVersion" text, possibly empty, or "Not found".
    std::u16string GetClientVersion() const;
    // The full file name of the loaded client library; false (path untouched) when it is not loaded
    // or its name cannot be read.
    bool GetClientPath(std::u16string& path) const;

    // The directory, with its trailing separator, where the path search finds the client library;
    // false (output untouched) when it is not found or its path does not fit 260 characters.
    bool FindClientDirectory(std::u16string& directory) const;
    // A REG_SZ value below HKEY_LOCAL_MACHINE, shorter than 520 bytes; up to its first NUL.
    bool ReadMachineString(std::u16string_view key, std::u16string_view name, std::u16string& value) const;
    // The names of a key's subkeys below HKEY_LOCAL_MACHINE, in the registry's order.
    bool ListMachineSubkeys(std::u16string_view key, std::vector<std::u16string>& names) const;
    // A home holds the client when its ORACLE_HOME followed by "\BIN\" is the client directory,
    // A-Z matching a-z and every other character exactly.
    static bool HomeHoldsClient(std::u16string_view oracle_home, std::u16string_view client_directory);
    // The ORACLE_HOME_NAME of the first home that holds the client and has a name, or empty.
    std::u16string GetOracleHomeName() const;

    // The TNSNAMES.ORA to read: in the working directory, else in the TNS_ADMIN directory of the
    // environment, else from the first KEY_/HOME home that holds the client (its TNS_ADMIN, or its
    // NETWORK\ADMIN folder; not tested for existence). False (output untouched) when none applies.
    bool FindTnsNamesFile(std::u16string& path) const;
    // Appends the alias names of that file to `aliases`; nothing for a missing or unreadable file.
    void ReadAliases(std::vector<std::u16string>& aliases) const;

private:
    std::u16string in_directory(std::u16string directory) const;

    const platform::client_system* system_;
};

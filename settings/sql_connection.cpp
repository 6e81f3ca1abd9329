#include "sql_connection.h"

#include <string>

namespace {

// "User_%d" for record 10 is "User_10".
std::u16string record_value(const char16_t* name, int index) {
    std::u16string out(name);
    out += u'_';
    for (char c : std::to_string(index))
        out.push_back(static_cast<char16_t>(c));
    return out;
}

} // namespace

CSQLConnection::CSQLConnection() : Application(platform::running_profile()) {}

std::u16string CSQLConnection::GetConnectAsName() const {
    switch (ConnectAs) {
    case 1:
        return u"SYSDBA";
    case 2:
        return u"SYSOPER";
    default:
        return u"Normal";
    }
}

bool CSQLConnection::IsSameConnection(const CSQLConnection& other) const {
    return User == other.User && Database == other.Database;
}

bool CSQLConnection::Load(std::u16string_view section, int index) {
    if (!Application)
        return false;
    platform::profile& p = *Application;
    Name = p.GetProfileString(section, record_value(u"Name", index));
    User = p.GetProfileString(section, record_value(u"User", index));
    if (User.empty())
        return false;
    Password = ScramblePassword(p.GetProfileString(section, record_value(u"Password", index)));
    Server = p.GetProfileString(section, record_value(u"Server", index));
    Database = p.GetProfileString(section, record_value(u"Database", index));
    DBClient = p.GetProfileString(section, record_value(u"DBClient", index));
    ConnectAs = p.GetProfileInt(section, record_value(u"ConnectAs", index), 0);
    SavePassword = p.GetProfileInt(section, record_value(u"SavePassword", index), 1) != 0;
    return true;
}

bool CSQLConnection::Save(std::u16string_view section, int index) {
    if (!Application)
        return false;
    if (!SavePassword)
        Password.clear();
    platform::profile& p = *Application;
    p.WriteProfileString(section, record_value(u"Name", index), Name);
    p.WriteProfileString(section, record_value(u"User", index), User);
    p.WriteProfileString(section, record_value(u"Password", index), ScramblePassword(Password));
    p.WriteProfileString(section, record_value(u"Server", index), Server);
    p.WriteProfileString(section, record_value(u"Database", index), Database);
    p.WriteProfileString(section, record_value(u"DBClient", index), DBClient);
    p.WriteProfileInt(section, record_value(u"ConnectAs", index), ConnectAs);
    p.WriteProfileInt(section, record_value(u"SavePassword", index), SavePassword ? 1 : 0);
    return true;
}

std::u16string ScramblePassword(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        c = static_cast<char16_t>(c ^ 0x0B);
    return out;
}

// mendwick-cli: the window's three commands from a command line, for scheduled and scripted runs.
#include "session/COraPrs.h"
#include "settings/connection_list.h"
#include "profile.h"
#include "text.h"
#include "text_list.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace {

enum exit_status { ran = 0, logon_failed = 1, usage_error = 2, statement_failed = 3 };

const char* const usage =
    "usage: mendwick-cli COMMAND... --database ALIAS --user USER [--connect-as normal|sysdba|sysoper] [--saved]\n"
    "       mendwick-cli --help\n";

const char* const help =
    "Runs the commands of the Mendwick window on one logon, in order, and prints what the window would show.\n"
    "\n"
    "Commands:\n"
    "  connect   log on and report it\n"
    "  search    list the invalid objects: a header line, then one line per object, cells separated by a tab\n"
    "  compile   recompile the invalid objects on the server and print the report, one line per line\n"
    "\n"
    "Options:\n"
    "  --database ALIAS      the TNS alias (connect identifier) to log on to\n"
    "  --user USER           the user; user and alias are taken in capitals\n"
    "  --connect-as MODE     normal (the default), sysdba or sysoper\n"
    "  --saved               take the password of the saved connection with this user and database\n"
    "\n"
    "The password comes from the environment variable MENDWICK_PASSWORD, else from the saved connection\n"
    "(--saved), else it is asked for on the terminal.\n"
    "\n"
    "Messages the window shows in a message box go to standard error, prefixed \"error: \".\n"
    "Exit status: 0 every command ran; 1 the logon failed; 2 usage error; 3 a statement failed.\n";

// Message boxes become lines on standard error.
class stderr_ui : public CSessionUi {
public:
    void ShowError(std::u16string_view text) override { print("error: ", text); }
    void ShowInfo(std::u16string_view text) override { print("warning: ", text); }

private:
    static void print(const char* prefix, std::u16string_view text) {
        std::string narrow = platform::to_narrow(text);
        std::string out;
        size_t start = 0;
        while (start < narrow.size()) {
            size_t end = narrow.find('\n', start);
            if (end == std::string::npos)
                end = narrow.size();
            out += prefix;
            out.append(narrow, start, end - start);
            out += '\n';
            start = end + 1;
        }
        std::cout.flush();
        std::cerr << out << std::flush;
    }
};

struct options {
    std::vector<std::string> commands;
    std::string database;
    std::string user;
    int connect_as = 0;
    bool saved = false;
    bool help = false;
};

int usage_fault(const std::string& fault) {
    std::cerr << "mendwick-cli: " << fault << "\n" << usage;
    return usage_error;
}

// Parses the command line; a non-zero result is the exit status of a usage error, already reported.
int parse(int argc, char** argv, options& o) {
    bool have_database = false, have_user = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* name, std::string& out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            (void)name;
            return true;
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--database") {
            if (!value("--database", o.database))
                return usage_fault("--database needs an alias");
            have_database = true;
        } else if (a == "--user") {
            if (!value("--user", o.user))
                return usage_fault("--user needs a user name");
            have_user = true;
        } else if (a == "--connect-as") {
            std::string mode;
            if (!value("--connect-as", mode))
                return usage_fault("--connect-as needs normal, sysdba or sysoper");
            std::string m = platform::to_narrow(platform::ascii_upper(platform::to_utf16(mode)));
            if (m == "NORMAL")
                o.connect_as = 0;
            else if (m == "SYSDBA")
                o.connect_as = 1;
            else if (m == "SYSOPER")
                o.connect_as = 2;
            else
                return usage_fault("unknown --connect-as '" + mode + "' (normal, sysdba or sysoper)");
        } else if (a == "--saved") {
            o.saved = true;
        } else if (a == "connect" || a == "search" || a == "compile") {
            o.commands.push_back(a);
        } else if (!a.empty() && a[0] == '-') {
            return usage_fault("unknown option '" + a + "'");
        } else {
            return usage_fault("unknown command '" + a + "' (connect, search or compile)");
        }
    }
    if (o.help)
        return 0;
    if (o.commands.empty())
        return usage_fault("no command given");
    if (!have_database || o.database.empty())
        return usage_fault("--database is missing");
    if (!have_user || o.user.empty())
        return usage_fault("--user is missing");
    return 0;
}

bool stdin_is_terminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

// Reads a line from the terminal without echoing it.
bool read_password(std::string& out) {
    std::cerr << "Password: " << std::flush;
#ifdef _WIN32
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    GetConsoleMode(in, &mode);
    SetConsoleMode(in, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    bool ok = static_cast<bool>(std::getline(std::cin, out));
    SetConsoleMode(in, mode);
#else
    termios old{};
    bool have = tcgetattr(STDIN_FILENO, &old) == 0;
    if (have) {
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    bool ok = static_cast<bool>(std::getline(std::cin, out));
    if (have)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
#endif
    std::cerr << "\n";
    if (!out.empty() && out.back() == '\r')
        out.pop_back();
    return ok;
}

// The password of the saved connection with this user and database, from the user's profile.
bool FindSavedPassword(const std::u16string& user, const std::u16string& database, std::u16string& password) {
    std::unique_ptr<platform::profile> profile = platform::open_user_profile(u"Tolvera Software", u"Mendwick");
    if (!profile)
        return false;
    platform::set_running_profile(profile.get());
    CConnectionList saved(profile.get());
    saved.LoadConnections();
    CSQLConnection wanted;
    wanted.User = user;
    wanted.Database = database;
    const CSQLConnection* found = saved.FindConnection(wanted);
    if (found)
        password = found->Password;
    platform::set_running_profile(nullptr);
    return found != nullptr;
}

} // namespace

int main(int argc, char** argv) {
    options o;
    if (int status = parse(argc, argv, o))
        return status;
    if (o.help) {
        std::cout << usage << "\n" << help;
        return ran;
    }

    stderr_ui ui;
    COraPrs session(&ui);
    session.descriptor.User = platform::ascii_upper(platform::to_utf16(o.user));
    session.descriptor.Database = platform::ascii_upper(platform::to_utf16(o.database));
    session.descriptor.ConnectAs = o.connect_as;

    if (const char* env = std::getenv("MENDWICK_PASSWORD")) {
        session.descriptor.Password = platform::to_utf16(env);
    } else if (o.saved) {
        std::u16string password;
        if (!FindSavedPassword(session.descriptor.User, session.descriptor.Database, password)) {
            std::cerr << "error: no saved connection for " << platform::to_narrow(session.descriptor.User) << "@"
                      << platform::to_narrow(session.descriptor.Database) << "; nothing was sent\n";
            return logon_failed;
        }
        session.descriptor.Password = password;
    } else if (stdin_is_terminal()) {
        std::string typed;
        if (!read_password(typed)) {
            std::cerr << "error: no password was typed; nothing was sent\n";
            return logon_failed;
        }
        session.descriptor.Password = platform::to_utf16(typed);
    } else {
        std::cerr << "error: no password: set MENDWICK_PASSWORD, use --saved, or run from a terminal; "
                     "nothing was sent\n";
        return logon_failed;
    }

    CTextList list;
    if (!session.Connect()) {
        ShowMessage(list, u"Connection Error", colour_red);
        list.Print(std::cout);
        return logon_failed;
    }
    int status = ran;
    for (const std::string& command : o.commands) {
        if (command == "connect") {
            ShowMessage(list, session.ConnectedMessage(), colour_blue);
        } else if (command == "search") {
            if (!session.SearchInvalids(list))
                status = statement_failed;
        } else if (!session.CompileInvalids(list)) {
            status = statement_failed;
        }
        list.Print(std::cout);
    }
    session.Disconnect();
    return status;
}

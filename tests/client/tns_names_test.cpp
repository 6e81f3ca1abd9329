#include "tns.h"
#include "tns_scanner.h"

#include "fake_system.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using names = std::vector<std::u16string>;

names scan(const std::string& bytes, std::size_t piece) {
    names out;
    CTnsScanner scanner(out);
    for (std::size_t i = 0; i < bytes.size(); i += piece)
        if (!scanner.Feed(bytes.data() + i, std::min(piece, bytes.size() - i)))
            break;
    scanner.Finish();
    return out;
}

const std::string two_entries = "# tnsnames\n"
                                "ORCL =\n"
                                "  (DESCRIPTION =\n"
                                "    (ADDRESS = (PROTOCOL = TCP)(HOST = db1)(PORT = 1521))\n"
                                "    (CONNECT_DATA = (SERVICE_NAME = orcl))\n"
                                "  )\n"
                                "\n"
                                "  test.example.com=\n"
                                "  (DESCRIPTION = (ADDRESS = (HOST = db2)))\n";

// The scanner's whole behaviour: its two states, the line rules and the edge cases of real files.
TEST(TnsScanner, Cases) {
    const struct {
        const char* what;
        std::string file;
        names aliases;
    } cases[] = {
        {"two entries with multi-line descriptions", two_entries, {u"ORCL", u"TEST.EXAMPLE.COM"}},
        {"the same with CR LF line ends",
         [] {
             std::string s;
             for (char c : two_entries)
                 s += c == '\n' ? std::string("\r\n") : std::string(1, c);
             return s;
         }(),
         {u"ORCL", u"TEST.EXAMPLE.COM"}},
        {"CR-only line ends make one long line", "A=(x)\rb=(y)\r", {u"A", u"B"}},
        {"an empty file", "", {}},
        {"comment lines and comments after a closing parenthesis",
         "# A=(x)\nB=(x) # C=(y)\n#D=\nE=(z)\n",
         {u"B", u"E"}},
        {"a # inside a description hides the rest of its line", "A=(D # )\nB=(x))\nC=(y)\n", {u"A", u"C"}},
        {"a # hides parentheses that would close", "A=((x) # )\nB=(y)\n)\nC=(z)\n", {u"A", u"C"}},
        {"lower case with a domain, non-letters unchanged",
         "my-db_1.example.com=(x)\n",
         {u"MY-DB_1.EXAMPLE.COM"}},
        {"two names before one = keep the comma", "a, b = (x)\n", {u"A, B"}},
        {"the = on the next line", "ALIAS\n= (x)\n", {u"ALIAS"}},
        {"a stray word joins the next alias", "stray\nalias=(x)\n", {u"STRAYALIAS"}},
        {"a stray word ending in a blank keeps it", "stray \nalias=(x)\n", {u"STRAY ALIAS"}},
        {"an = first on a line gives an empty name", "=(x)\nB=(y)\n", {u"", u"B"}},
        {"blanks only before the = stay as they are", "  \t=(x)\n", {u"  \t"}},
        {"blanks across lines before the = stay, without the line feeds", " \n \n=(x)\n", {u"  "}},
        {"a value without parentheses swallows the next alias", "A=plain\nB=(x)\nC=(y)\n", {u"A", u"C"}},
        {"an extra ) right after the = stops at the end of that line",
         "A=(x)\nB=) C=(y)\nD=(z)\n",
         {u"A", u"B"}},
        {"an extra ) after an entry starts the next name", "A=(x))\nB=(y)\n", {u"A", u")B"}},
        {"the same alias twice", "A=(x)\nA=(y)\n", {u"A", u"A"}},
        {"no line feed at the end", "A=(x)\nB=(y)", {u"A", u"B"}},
        {"a name no = finished is dropped", "A=(x)\ndangling", {u"A"}},
        {"an unclosed description yields nothing after it", "A=(x\nB=(y)\n", {u"A"}},
        {"nested parentheses", "A=(a(b(c)d)e)\nB=(x)\n", {u"A", u"B"}},
        {"an = inside a description is ignored", "A=(X=Y)\n", {u"A"}},
        {"byte E9 stays U+00E9", "caf\xE9=(x)\n", {u"CAF\u00e9"}},
        {"bytes from 80 to FF are their own code units", "\x80\xFF=(x)\n", {u"\u0080\u00ff"}},
        {"a NUL byte cuts the name", std::string("ab\0cd=(x)\n", 10), {u"AB"}},
        {"blanks before a NUL stay", std::string("ab \0cd=(x)\n", 11), {u"AB "}},
        {"a NUL after leading blanks leaves nothing", std::string("  \0x=(x)\n", 9), {u""}},
        {"a lone CR inside a name stays", "a\rb=(x)\n", {u"A\rB"}},
        {"a CR before the = is trimmed", "a\r=(x)\n", {u"A"}},
        {"tabs and blanks are trimmed", "\t a \t=(x)\n", {u"A"}},
        {"quotes and parentheses outside entries belong to the name", "\"q\"(p)=(x)\n", {u"\"Q\"(P)"}},
    };
    for (const auto& t : cases) {
        // Whole, and fed in pieces that split every CR LF and every line somewhere.
        for (std::size_t piece : {t.file.size() + 1, std::size_t(1), std::size_t(3)})
            EXPECT_EQ(scan(t.file, piece), t.aliases) << t.what << " (pieces of " << piece << ")";
    }
}

TEST(TnsScanner, LongNamesAndManyNamesAreBounded) {
    std::string file(CTnsScanner::max_name_length + 100, 'a');
    file = "   " + file + "=(x)\n";
    names out = scan(file, 4096);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], std::u16string(CTnsScanner::max_name_length, u'A'));

    std::string many;
    for (std::size_t i = 0; i < CTnsScanner::max_names + 10; ++i)
        many += "=()";
    EXPECT_EQ(scan(many, 65536).size(), CTnsScanner::max_names);
}

TEST(TnsScanner, TwentyMegabytesOfRandomBytesInLinearTime) {
    std::string noise(20 * 1024 * 1024, '\0');
    unsigned long long x = 0x9E3779B97F4A7C15ull;
    for (char& c : noise) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        c = static_cast<char>(x >> 56);
    }
    // Random text that never closes more than it opens, so the scan reads to the end.
    std::string balanced = noise;
    for (char& c : balanced)
        if (c == ')')
            c = '(';
    for (const std::string* file : {&noise, &balanced}) {
        auto start = std::chrono::steady_clock::now();
        names out = scan(*file, 65536);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 30.0);
        std::size_t total = 0;
        for (const auto& n : out) {
            EXPECT_LE(n.size(), CTnsScanner::max_name_length);
            total += n.size();
        }
        EXPECT_LE(out.size(), CTnsScanner::max_names);
        EXPECT_LE(total, CTnsScanner::max_total_length + CTnsScanner::max_name_length);
    }
}

// --- Choosing the file ---

const std::u16string client_exe = u"C:\\app\\client_1\\bin\\OCI.DLL";

TEST(TnsNamesFile, CandidatesInOrder) {
    const struct {
        const char* what;
        void (*setup)(fake_system&);
        bool found;
        std::u16string path;
    } cases[] = {
        {"the working directory wins",
         [](fake_system& s) {
             s.cwd = u"C:\\work";
             s.existing = {u"C:\\work\\TNSNAMES.ORA", u"D:\\admin\\TNSNAMES.ORA"};
             s.env[u"TNS_ADMIN"] = u"D:\\admin";
             s.home(u"KEY_c", u"C:\\app\\client_1");
         },
         true, u"C:\\work\\TNSNAMES.ORA"},
        {"a working directory with its separator",
         [](fake_system& s) {
             s.cwd = u"C:\\";
             s.existing = {u"C:\\TNSNAMES.ORA"};
         },
         true, u"C:\\TNSNAMES.ORA"},
        {"a working directory of 260 characters is passed over",
         [](fake_system& s) {
             s.cwd = u"C:\\work";
             s.cwd_length_override = 260;
             s.existing = {u"C:\\work\\TNSNAMES.ORA", u"D:\\admin\\TNSNAMES.ORA"};
             s.env[u"TNS_ADMIN"] = u"D:\\admin";
         },
         true, u"D:\\admin\\TNSNAMES.ORA"},
        {"TNS_ADMIN without a trailing separator",
         [](fake_system& s) {
             s.cwd = u"C:\\work";
             s.existing = {u"D:\\admin\\TNSNAMES.ORA"};
             s.env[u"TNS_ADMIN"] = u"D:\\admin";
         },
         true, u"D:\\admin\\TNSNAMES.ORA"},
        {"TNS_ADMIN with a trailing separator",
         [](fake_system& s) {
             s.existing = {u"D:\\admin\\TNSNAMES.ORA"};
             s.env[u"TNS_ADMIN"] = u"D:\\admin\\";
         },
         true, u"D:\\admin\\TNSNAMES.ORA"},
        {"TNS_ADMIN set but empty gives the bare name",
         [](fake_system& s) {
             s.existing = {u"TNSNAMES.ORA"};
             s.env[u"TNS_ADMIN"] = u"";
         },
         true, u"TNSNAMES.ORA"},
        {"TNS_ADMIN without the file falls through to the registry",
         [](fake_system& s) {
             s.env[u"TNS_ADMIN"] = u"D:\\empty";
             s.home(u"KEY_c", u"C:\\app\\client_1");
         },
         true, u"C:\\app\\client_1\\NETWORK\\ADMIN\\TNSNAMES.ORA"},
        {"the home's TNS_ADMIN, not tested for existence",
         [](fake_system& s) { s.home(u"HOME0", u"C:\\app\\client_1", u"", u"E:\\net\\"); }, true,
         u"E:\\net\\\\TNSNAMES.ORA"},
        {"KEY_ and HOME in any case",
         [](fake_system& s) { s.home(u"home_x", u"C:\\app\\client_1", u"", u"E:\\h"); }, true,
         u"E:\\h\\TNSNAMES.ORA"},
        {"other key names are never used",
         [](fake_system& s) {
             s.home(u"ODP.NET", u"C:\\app\\client_1", u"", u"E:\\odp");
             s.home(u"KEYX", u"C:\\app\\client_1", u"", u"E:\\keyx");
             s.home(u"HOM", u"C:\\app\\client_1", u"", u"E:\\hom");
         },
         false, u""},
        {"the first matching home decides, named or not",
         [](fake_system& s) {
             s.home(u"KEY_other", u"C:\\app\\db_1", u"Db", u"E:\\db");
             s.home(u"KEY_first", u"C:\\APP\\CLIENT_1", u"", u"E:\\first");
             s.home(u"KEY_second", u"C:\\app\\client_1", u"Second", u"E:\\second");
         },
         true, u"E:\\first\\TNSNAMES.ORA"},
        {"a home whose TNS_ADMIN is not a plain string uses NETWORK\\ADMIN",
         [](fake_system& s) {
             s.home(u"KEY_c", u"C:\\app\\client_1");
             s.reg_string(u"SOFTWARE\\ORACLE\\KEY_c", u"TNS_ADMIN", u"%X%", platform::reg_expand_sz);
         },
         true, u"C:\\app\\client_1\\NETWORK\\ADMIN\\TNSNAMES.ORA"},
        {"no matching home", [](fake_system& s) { s.home(u"KEY_c", u"C:\\app\\db_1"); }, false, u""},
        {"no ORACLE key", [](fake_system&) {}, false, u""},
        {"no client on the search path",
         [](fake_system& s) {
             s.search_result.clear();
             s.home(u"KEY_c", u"C:\\app\\client_1");
         },
         false, u""},
    };
    for (const auto& t : cases) {
        fake_system s;
        s.search_result = client_exe;
        t.setup(s);
        std::u16string path = u"untouched";
        EXPECT_EQ(CTNS(s).FindTnsNamesFile(path), t.found) << t.what;
        EXPECT_EQ(path, t.found ? t.path : u"untouched") << t.what;
    }
}

TEST(TnsNamesFile, TheSystemsSeparatorJoinsDirectoryAndName) {
    fake_system s;
    s.separator = u'/';
    s.cwd = u"/home/dba";
    s.existing = {u"/home/dba/TNSNAMES.ORA"};
    std::u16string path;
    ASSERT_TRUE(CTNS(s).FindTnsNamesFile(path));
    EXPECT_EQ(path, u"/home/dba/TNSNAMES.ORA");
}

// --- Reading ---

TEST(TnsAliases, AreAppendedFromTheChosenFile) {
    fake_system s;
    s.cwd = u"C:\\w";
    s.files[u"C:\\w\\TNSNAMES.ORA"] = "one=(x)\ntwo=(y)\n";
    names list = {u"KEPT"};
    CTNS(s).ReadAliases(list);
    EXPECT_EQ(list, (names{u"KEPT", u"ONE", u"TWO"}));
}

TEST(TnsAliases, NothingWhenNoFileAppliesOrItCannotBeOpened) {
    fake_system none;
    names list = {u"KEPT"};
    CTNS(none).ReadAliases(list);
    EXPECT_EQ(list, names{u"KEPT"});

    // The home's TNS_ADMIN names a folder without the file, while NETWORK\ADMIN has one.
    fake_system s;
    s.search_result = client_exe;
    s.home(u"KEY_c", u"C:\\app\\client_1", u"", u"E:\\empty");
    s.files[u"C:\\app\\client_1\\NETWORK\\ADMIN\\TNSNAMES.ORA"] = "HIDDEN=(x)\n";
    CTNS(s).ReadAliases(list);
    EXPECT_EQ(list, names{u"KEPT"});
}

TEST(TnsAliases, AReadErrorKeepsTheNamesFoundSoFar) {
    fake_system s;
    s.cwd = u"C:\\w";
    std::string file = "A=(x)\n";
    file += std::string(100000, ' ') + "B=(y)\n";
    s.files[u"C:\\w\\TNSNAMES.ORA"] = file;
    s.read_error_after = 70000;
    names list;
    CTNS(s).ReadAliases(list);
    EXPECT_EQ(list, names{u"A"});
}

} // namespace

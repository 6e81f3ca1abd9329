// Figures of the simulated server's engine: loading a large definition, the invalid-object search,
// and the recompile block over invalid objects in dependency chains. Not a test: prints a table.
#include "engine.h"
#include "recompile_script.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// n objects, one in ten invalid (or every one), in chains of ten: each uses the next of its chain.
std::string definition(int n, bool all_invalid) {
    std::string d = "database DEMO\nuser SYSTEM manager dba\n";
    d.reserve(static_cast<std::size_t>(n) * 60);
    static const char* types[] = {"VIEW", "PROCEDURE", "PACKAGE", "TRIGGER", "FUNCTION"};
    for (int i = 0; i < n; ++i) {
        const bool invalid = all_invalid || i % 10 == 0;
        d += "object OWNER" + std::to_string(i % 50) + " " + types[i % 5] + " OBJ" + std::to_string(i) +
             (invalid ? " invalid" : " valid");
        if (i % 10 != 9 && i + 1 < n) d += " uses OWNER" + std::to_string((i + 1) % 50) + ".OBJ" + std::to_string(i + 1);
        d += "\n";
    }
    return d;
}

} // namespace

int main() {
    std::printf("%-44s %10s %10s\n", "measure", "objects", "seconds");
    {
        const std::string def = definition(100000, false);
        orasim::server srv;
        std::string error;
        auto t0 = std::chrono::steady_clock::now();
        if (!srv.load(def, "bench", error)) {
            std::printf("load failed: %s\n", error.c_str());
            return 1;
        }
        std::printf("%-44s %10d %10.3f\n", "load the definition", 100000, seconds_since(t0));
        orasim::ora_error err, warn;
        auto s = srv.logon("DEMO", "system", "manager", orasim::mode_normal, err, warn);
        orasim::bind_map binds;
        t0 = std::chrono::steady_clock::now();
        const auto r = s->execute("SELECT owner, object_type, object_name, status FROM dba_objects WHERE status = "
                                  "'INVALID' ORDER BY owner, object_type, object_name",
                                  binds);
        std::printf("%-44s %10d %10.3f  (%zu rows)\n", "search query", 100000, seconds_since(t0), r.rows.size());
    }
    for (int n : {2500, 5000, 10000}) {
        orasim::server srv;
        std::string error;
        srv.load(definition(n, true), "bench", error);
        orasim::ora_error err, warn;
        auto s = srv.logon("DEMO", "system", "manager", orasim::mode_normal, err, warn);
        orasim::bind_map binds;
        s->execute("BEGIN dbms_output.enable(NULL); END;", binds);
        const auto t0 = std::chrono::steady_clock::now();
        const auto r = s->execute(orasim_test::recompile_script, binds);
        const double t = seconds_since(t0);
        int lines = 0;
        for (;;) {
            orasim::bind_map b{{"1", orasim::value::make_null()}, {"2", orasim::value::make_null()}};
            s->execute("BEGIN dbms_output.get_line(:1, :2); END;", b);
            if (b["2"].num != 0) break;
            ++lines;
        }
        std::printf("%-44s %10d %10.3f  (%s, %d lines)\n", "recompile block, all invalid, chains of 10", n, t,
                    r.ok ? "ok" : r.error.text.c_str(), lines);
    }
    return 0;
}

// Figures of the access layer and the session over the simulated server: round trips, time, and the
// layer's own CPU per cell and per report line. Not a test: prints a table.
#include "function_table.h"
#include "oralib/connection.h"
#include "oralib/resultset.h"
#include "oralib/statement.h"
#include "orasim_control.h"
#include "session/COraPrs.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

namespace {

struct null_list : CMessageList {
    size_t cells = 0;
    void Clear() override {}
    void SetTextColor(colorref) override {}
    void AddColumn(int, std::u16string_view, int) override {}
    void AddItem(int, std::u16string_view) override { ++cells; }
    void SetCell(int, int, std::u16string_view) override { ++cells; }
};

struct quiet_ui : CSessionUi {
    void ShowError(std::u16string_view) override { std::fputs("unexpected error box\n", stderr); }
    void ShowInfo(std::u16string_view) override {}
};

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
double cpu() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

std::string invalid_objects(int n) {
    std::string d = "database DEMO\nuser SYSTEM manager dba\n";
    for (int i = 0; i < n; ++i)
        d += "object APP" + std::to_string(i % 20) + " PROCEDURE P" + std::to_string(i) + " invalid" +
             (i % 10 != 9 && i + 1 < n ? " uses APP" + std::to_string((i + 1) % 20) + ".P" + std::to_string(i + 1) : "") +
             "\n";
    return d;
}

void layer_cells() {
    orasim_load_definition("database DEMO\nuser SYSTEM manager dba\n");
    orasim_reset();
    oralib::connection c;
    c.open("DEMO", "SYSTEM", "manager", 0, OCI_OBJECT, false);
    const int rows = 100000;
    std::unique_ptr<oralib::statement> s(
        c.prepare(("SELECT 'owner' || level a, 'type' b, 'name' || level c, 'INVALID' d FROM dual CONNECT BY LEVEL <= " +
                   std::to_string(rows))
                      .c_str()));
    double t0 = now(), c0 = cpu();
    std::unique_ptr<oralib::resultset> rs(s->select());
    size_t chars = 0;
    oralib::column* cols[4] = {rs->get_column("A"), rs->get_column("B"), rs->get_column("C"), rs->get_column("D")};
    do
        for (auto* col : cols)
            chars += std::char_traits<char16_t>::length(col->as_string());
    while (rs->next());
    double t = now() - t0, cp = cpu() - c0;
    std::printf("| layer: select %d rows x 4 text columns, as_string | %.3f s | %.0f rows/s | %.2f us CPU/cell (server included) |\n",
                rows, t, rows / t, cp * 1e6 / (rows * 4.0));
    (void)chars;
}

void session_runs(unsigned latency) {
    quiet_ui ui;
    orasim_set_latency_ms(latency);
    for (int n : {1000, 10000}) {
        orasim_load_definition(invalid_objects(n).c_str());
        orasim_reset();
        orasim_set_latency_ms(latency);
        COraPrs session(&ui);
        session.descriptor.User = u"SYSTEM";
        session.descriptor.Password = u"manager";
        session.descriptor.Database = u"DEMO";
        session.Connect();
        null_list list;
        if (latency == 0 || n == 1000) {
            orasim_reset_round_trips();
            double t0 = now();
            session.SearchInvalids(list);
            std::printf("| search, %d invalid objects, latency %u ms | %.3f s | %llu round trips (plan %d) | |\n", n,
                        latency, now() - t0, orasim_round_trips(), 1 + (n + 1 + 19) / 20);
            orasim_reset_round_trips();
            null_list report;
            t0 = now();
            double c0 = cpu();
            session.CompileInvalids(report);
            double t = now() - t0;
            std::printf("| recompile, %d invalid objects, latency %u ms | %.3f s | %llu round trips (plan %zu) | %zu lines, %.1f us CPU/line |\n",
                        n, latency, t, orasim_round_trips(), report.cells + 4, report.cells, (cpu() - c0) * 1e6 / report.cells);
        }
    }
    orasim_set_latency_ms(0);
}

} // namespace

int main() {
    oci::install_client(orasim_function_table());
    std::printf("| measure | time | figure | note |\n|---|---|---|---|\n");
    layer_cells();
    session_runs(0);
    session_runs(1);
    return 0;
}

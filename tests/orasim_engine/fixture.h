// A tiny database for each test: a definition text, a logon, and helpers that run statements the way
// the OCI surface does.
#pragma once

#include "engine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orasim_test {

inline std::string text_of(const orasim::value& v) {
    switch (v.kind) {
    case orasim::value::null: return "<null>";
    case orasim::value::number: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", v.num);
        return buf;
    }
    case orasim::value::text: return v.str;
    case orasim::value::date: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", v.dt.year, v.dt.month, v.dt.day, v.dt.hour,
                      v.dt.minute, v.dt.second);
        return buf;
    }
    }
    return "";
}

class database {
public:
    explicit database(const std::string& definition) {
        std::string error;
        loaded = srv.load(definition, "test.txt", error);
        EXPECT_TRUE(loaded) << error;
    }

    // A session, failing the test when the logon is refused.
    std::unique_ptr<orasim::session> logon(const std::string& user, const std::string& password,
                                           unsigned mode = orasim::mode_normal) {
        orasim::ora_error err, warning;
        auto s = srv.logon("DEMO", user, password, mode, err, warning);
        EXPECT_TRUE(s) << err.text;
        return s;
    }

    orasim::server srv;
    bool loaded = false;
};

inline orasim::result run(orasim::session& s, const std::string& text) {
    orasim::bind_map binds;
    return s.execute(text, binds);
}

// The rows of a query, each row's cells joined by '|'.
inline std::vector<std::string> rows_of(const orasim::result& r) {
    std::vector<std::string> out;
    for (const auto& row : r.rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) line += (i ? "|" : "") + text_of(row[i]);
        out.push_back(line);
    }
    return out;
}

// Reads the server output as a client does: get_line with two OUT binds until the status is not 0.
inline std::vector<std::string> read_output(orasim::session& s) {
    std::vector<std::string> lines;
    for (int guard = 0; guard < 1000000; ++guard) {
        orasim::bind_map binds{{"1", orasim::value::make_null()}, {"2", orasim::value::make_null()}};
        const orasim::result r = s.execute("BEGIN dbms_output.get_line(:1, :2); END;", binds);
        EXPECT_TRUE(r.ok) << r.error.text;
        if (!r.ok || binds["2"].num != 0) break;
        lines.push_back(binds["1"].is_null() ? "" : binds["1"].str);
    }
    return lines;
}

} // namespace orasim_test

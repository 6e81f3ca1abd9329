// The shared in-memory database: connect identifiers, users, schema objects with their status and
// DBA_ERRORS rows, and tables with rows. Objects are indexed by (owner, type, name) and by
// (owner, name), and each knows the objects that use it, so that compiles and per-object queries never
// scan the whole catalog.
#pragma once

#include "engine.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace orasim {

enum class obj_status { valid, invalid, na };
const char* status_text(obj_status s);

struct error_row {
    int line = 1;
    int position = 1;
    std::string text;
    bool warning = false; // ATTRIBUTE 'WARNING' (PLW- messages), else 'ERROR'
    int message_number = 0;
};

struct object_ref {
    std::string owner, name;
};

struct db_object {
    long id = 0;
    std::string owner, type, name;
    obj_status status = obj_status::valid;
    date_value created, last_ddl;
    std::vector<object_ref> uses;      // as written in the definition
    std::vector<long> uses_index;      // resolved: index into objects, -1 when there is no such object
    std::vector<std::string> uses_label; // OWNER.NAME of each uses_index entry
    std::vector<std::size_t> used_by;  // objects whose uses_index names this one
    std::vector<std::string> source_errors; // the compilation errors of its source
    bool raises = false;
    int raise_code = 0;
    std::string raise_text;
    bool invalidates = false;
    std::vector<error_row> errors; // its rows in DBA_ERRORS, in SEQUENCE order
};

struct table_column {
    std::string name;
    unsigned short type = 1; // SQLT code
    unsigned short size = 0;
};

struct table_data {
    std::string owner, name;
    std::vector<table_column> columns;
    std::vector<std::vector<value>> rows;
};

struct user_account {
    std::string name, password;
    bool dba = false, catalog = false, sysdba = false, sysoper = false, expiring = false, locked = false;
};

class catalog {
public:
    std::mutex mutex; // one statement at a time changes or reads the shared state

    std::vector<std::string> databases; // upper-cased connect identifiers
    std::map<std::string, user_account> users;
    std::vector<db_object> objects; // in OBJECT_ID order
    std::vector<table_data> tables;

    // Parses a definition into this (empty) catalog; false with "SOURCE, line N: fault" in error.
    bool load(std::string_view text, std::string_view source, std::string& error);

    long find(std::string_view owner, std::string_view type, std::string_view name) const;
    const std::vector<std::size_t>* find_owner_name(std::string_view owner, std::string_view name) const;
    const table_data* find_table(std::string_view owner, std::string_view name) const;
    table_data* find_table(std::string_view owner, std::string_view name);

    // Adds an object at the end; false when (owner, type, name) is taken.
    bool add_object(db_object o);
    // Adds a table's columns and rows (its TABLE object is added separately); false when it exists.
    bool add_table(table_data t);
    // Room for n objects, so that a large definition loads without regrowing the indexes.
    void reserve(std::size_t n);
    // Resolves every object's uses (a body also uses its own specification) and the reverse links.
    void link();

private:
    std::unordered_map<std::string, std::size_t> by_key_; // owner, type and name joined by NUL
    std::unordered_map<std::string, std::vector<std::size_t>> by_owner_name_;
    std::map<std::pair<std::string, std::string>, std::size_t> table_index_;
};

// Who runs a statement, for privilege checks.
struct identity {
    std::string user;           // SYS for SYSDBA logons
    bool sysdba = false;
    bool sysoper = false;
    bool dba = false;           // may compile and read everything
    bool read_dictionary = false;
};

// ALTER ... COMPILE on the catalog. Returns whether every object compiled is VALID afterwards;
// throws db_error for refusals (ORA-04043, 01031, 01887, 02311, a `raises` error).
struct alter_compile;
bool compile_objects(catalog& cat, const alter_compile& a, const identity& who);

} // namespace orasim

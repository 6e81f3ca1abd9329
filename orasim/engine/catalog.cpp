#include "catalog.h"

#include "errors.h"
#include "tree.h"
#include "values.h"

#include <cstdlib>
#include <set>

namespace orasim {

const char* status_text(obj_status s) {
    switch (s) {
    case obj_status::valid: return "VALID";
    case obj_status::invalid: return "INVALID";
    case obj_status::na: return "N/A";
    }
    return "INVALID";
}

namespace {
std::string owner_name_key(std::string_view owner, std::string_view name) {
    std::string k(owner);
    k += '\0';
    k += name;
    return k;
}
bool is_body(std::string_view type) { return type == "PACKAGE BODY" || type == "TYPE BODY"; }
} // namespace

long catalog::find(std::string_view owner, std::string_view type, std::string_view name) const {
    auto it = by_key_.find(owner_name_key(owner_name_key(owner, type), name));
    return it == by_key_.end() ? -1 : static_cast<long>(it->second);
}

const std::vector<std::size_t>* catalog::find_owner_name(std::string_view owner, std::string_view name) const {
    auto it = by_owner_name_.find(owner_name_key(owner, name));
    return it == by_owner_name_.end() ? nullptr : &it->second;
}

const table_data* catalog::find_table(std::string_view owner, std::string_view name) const {
    auto it = table_index_.find({std::string(owner), std::string(name)});
    return it == table_index_.end() ? nullptr : &tables[it->second];
}

table_data* catalog::find_table(std::string_view owner, std::string_view name) {
    auto it = table_index_.find({std::string(owner), std::string(name)});
    return it == table_index_.end() ? nullptr : &tables[it->second];
}

bool catalog::add_object(db_object o) {
    std::string key = owner_name_key(owner_name_key(o.owner, o.type), o.name);
    if (by_key_.count(key)) return false;
    const std::size_t idx = objects.size();
    o.id = static_cast<long>(idx) + 1;
    by_key_.emplace(std::move(key), idx);
    by_owner_name_[owner_name_key(o.owner, o.name)].push_back(idx);
    objects.push_back(std::move(o));
    return true;
}

void catalog::reserve(std::size_t n) {
    objects.reserve(n);
    by_key_.reserve(n);
    by_owner_name_.reserve(n);
}

bool catalog::add_table(table_data t) {
    if (!table_index_.emplace(std::make_pair(t.owner, t.name), tables.size()).second) return false;
    tables.push_back(std::move(t));
    return true;
}

void catalog::link() {
    for (auto& o : objects) {
        o.uses_index.clear();
        o.uses_label.clear();
        o.used_by.clear();
    }
    for (std::size_t i = 0; i < objects.size(); ++i) {
        db_object& o = objects[i];
        if (is_body(o.type)) {
            const long spec = find(o.owner, o.type == "PACKAGE BODY" ? "PACKAGE" : "TYPE", o.name);
            o.uses_index.push_back(spec);
            o.uses_label.push_back(o.owner + "." + o.name);
        }
        for (const object_ref& u : o.uses) {
            long target = -1;
            if (const auto* list = find_owner_name(u.owner, u.name)) {
                for (std::size_t j : *list)
                    if (!is_body(objects[j].type)) {
                        target = static_cast<long>(j);
                        break;
                    }
            }
            o.uses_index.push_back(target);
            o.uses_label.push_back(u.owner + "." + u.name);
        }
    }
    for (std::size_t i = 0; i < objects.size(); ++i)
        for (long t : objects[i].uses_index)
            if (t >= 0 && static_cast<std::size_t>(t) != i) objects[static_cast<std::size_t>(t)].used_by.push_back(i);
}

namespace {

// One ALTER statement's compile: each object at most once, dependencies first, cycles broken by
// marking an object as visited before its dependencies are looked at.
class compiler {
public:
    explicit compiler(catalog& c) : cat_(c) {}

    void compile(std::size_t idx) {
        if (!visited_.insert(idx).second) return;
        db_object& o = cat_.objects[idx];
        if (o.raises) throw db_error{o.raise_code, o.raise_text, {}, no_pos};
        for (long dep : o.uses_index)
            if (dep >= 0 && cat_.objects[static_cast<std::size_t>(dep)].status != obj_status::valid)
                compile(static_cast<std::size_t>(dep));
        finish(o);
        if (o.invalidates) invalidate_dependents(idx);
    }

private:
    catalog& cat_;
    std::set<std::size_t> visited_;

    void finish(db_object& o) {
        std::vector<error_row> rows;
        bool failed = false;
        for (const std::string& text : o.source_errors) {
            error_row r;
            r.text = text;
            r.warning = text.rfind("PLW-", 0) == 0;
            const std::size_t dash = text.find('-');
            if (dash != std::string::npos) r.message_number = std::atoi(text.c_str() + dash + 1);
            failed = failed || !r.warning;
            rows.push_back(std::move(r));
        }
        for (std::size_t k = 0; k < o.uses_index.size(); ++k) {
            const long dep = o.uses_index[k];
            error_row r;
            if (dep < 0) {
                r.text = "PLS-00201: identifier '" + o.uses_label[k] + "' must be declared";
                r.message_number = 201;
            } else {
                const db_object& d = cat_.objects[static_cast<std::size_t>(dep)];
                if (d.status == obj_status::valid) continue;
                r.text = "PLS-00905: object " + d.owner + "." + d.name + " is invalid";
                r.message_number = 905;
            }
            failed = true;
            rows.push_back(std::move(r));
        }
        int line = 1;
        for (auto& r : rows) r.line = line++;
        // A VALID object keeps only its warnings.
        o.errors.clear();
        for (auto& r : rows)
            if (failed || r.warning) o.errors.push_back(std::move(r));
        o.status = failed ? obj_status::invalid : obj_status::valid;
        o.last_ddl = now_date();
    }

    void invalidate_dependents(std::size_t idx) {
        std::vector<std::size_t> todo{idx};
        std::set<std::size_t> seen{idx};
        while (!todo.empty()) {
            const std::size_t cur = todo.back();
            todo.pop_back();
            for (std::size_t d : cat_.objects[cur].used_by) {
                if (!seen.insert(d).second) continue;
                db_object& dep = cat_.objects[d];
                if (dep.type != "TABLE") dep.status = obj_status::invalid;
                todo.push_back(d);
            }
        }
    }
};

} // namespace

bool compile_objects(catalog& cat, const alter_compile& a, const identity& who) {
    if (a.object_type == "SYNONYM" && !a.is_public && a.owner == "PUBLIC")
        raise_ora(1887, "use ALTER PUBLIC SYNONYM statement to alter a public synonym");
    const std::string owner = a.owner.empty() ? who.user : a.owner;
    std::vector<std::string> types;
    if (a.object_type == "PACKAGE" || a.object_type == "TYPE") {
        const std::string body = a.object_type + " BODY";
        if (a.part == compile_part::body) types = {body};
        else if (a.part == compile_part::spec) types = {a.object_type};
        else types = {a.object_type, body};
    } else {
        types = {a.object_type};
    }
    const long first = cat.find(owner, types[0], a.name);
    if (first < 0) raise_ora(4043, "object " + a.name + " does not exist");
    if (!who.dba && owner != who.user) raise_ora(1031, "insufficient privileges");

    std::vector<std::size_t> targets{static_cast<std::size_t>(first)};
    if (types.size() == 2) {
        const long body = cat.find(owner, types[1], a.name);
        if (body >= 0) targets.push_back(static_cast<std::size_t>(body));
    }
    db_object& head = cat.objects[targets[0]];
    if (head.type == "TYPE" && a.part != compile_part::body && head.status == obj_status::valid && !head.used_by.empty())
        raise_ora(2311, "cannot alter with COMPILE option a valid type with type or table dependents");

    compiler c(cat);
    for (std::size_t t : targets) {
        // An explicit compile recompiles the object even when it is VALID.
        db_object& o = cat.objects[t];
        if (o.raises) throw db_error{o.raise_code, o.raise_text, {}, no_pos};
        c.compile(t);
    }
    bool all_valid = true;
    for (std::size_t t : targets) all_valid = all_valid && cat.objects[t].status == obj_status::valid;
    return all_valid;
}

} // namespace orasim

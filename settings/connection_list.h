// The saved-connection list: the user's saved connections, in the order they were loaded with new
// ones appended, kept between runs as numbered records in the profile section "Connections". The
// logon dialog owns one for its lifetime: loaded when it is created, saved when it ends with OK.
#pragma once

#include "sql_connection.h"

#include <cstddef>
#include <memory>
#include <vector>

class CConnectionList {
public:
    static constexpr std::u16string_view Section = u"Connections";

    // `application` is the profile whose section is cleaned before a save (by default the running
    // application's); each entry is read and written through its own descriptor's profile.
    explicit CConnectionList(platform::profile* application = platform::running_profile());
    CConnectionList(const CConnectionList&) = delete;
    CConnectionList& operator=(const CConnectionList&) = delete;

    // Replaces the list with the records 0, 1, 2, ... of the section, up to the first without a user.
    void LoadConnections();
    // Replaces the section with the list, renumbered from 0 in list order. False when the section
    // could not be emptied first (the new records are then written over the old ones, and the record
    // after the last is marked as the end, so no stale record is loaded again) or there is no profile.
    bool SaveConnections();
    // Adds a copy of `connection`, or replaces the entry of the same identity in its place.
    void AddConnection(const CSQLConnection& connection);
    // The first entry of the same identity, or null.
    CSQLConnection* FindConnection(const CSQLConnection& connection);
    const CSQLConnection* FindConnection(const CSQLConnection& connection) const;
    // Removes every entry of the same identity.
    void RemoveConnection(const CSQLConnection& connection);
    void ClearConnections();

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    CSQLConnection& operator[](std::size_t i) { return *entries_[i]; }
    const CSQLConnection& operator[](std::size_t i) const { return *entries_[i]; }

private:
    platform::profile* application_;
    // Entries are held through pointers so that one handed out stays where it is while others come
    // and go.
    std::vector<std::unique_ptr<CSQLConnection>> entries_;
};

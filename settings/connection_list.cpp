#include "connection_list.h"

#include <algorithm>
#include <string>

CConnectionList::CConnectionList(platform::profile* application) : application_(application) {}

void CConnectionList::LoadConnections() {
    ClearConnections();
    CSQLConnection scratch;
    scratch.Application = application_;
    for (int i = 0; scratch.Load(Section, i); ++i)
        AddConnection(scratch);
}

bool CConnectionList::SaveConnections() {
    if (!application_)
        return false;
    // One batch: a profile kept in a file is then rewritten once, not once per value.
    application_->BeginBatch();
    bool cleaned = application_->CleanState(Section);
    int count = 0;
    bool saved = true;
    for (auto& entry : entries_)
        saved = entry->Save(Section, count++) && saved;
    if (!cleaned) {
        // Old records numbered beyond the list are still there: an empty user ends the list on loading.
        std::u16string end_mark = u"User_";
        for (char c : std::to_string(count))
            end_mark.push_back(static_cast<char16_t>(c));
        application_->WriteProfileString(Section, end_mark, u"");
    }
    bool written = application_->EndBatch();
    return cleaned && saved && written;
}

void CConnectionList::AddConnection(const CSQLConnection& connection) {
    for (auto& entry : entries_) {
        if (entry->IsSameConnection(connection)) {
            entry = std::make_unique<CSQLConnection>(connection);
            return;
        }
    }
    entries_.push_back(std::make_unique<CSQLConnection>(connection));
}

CSQLConnection* CConnectionList::FindConnection(const CSQLConnection& connection) {
    for (auto& entry : entries_)
        if (entry->IsSameConnection(connection))
            return entry.get();
    return nullptr;
}

const CSQLConnection* CConnectionList::FindConnection(const CSQLConnection& connection) const {
    return const_cast<CConnectionList*>(this)->FindConnection(connection);
}

void CConnectionList::RemoveConnection(const CSQLConnection& connection) {
    // Copied first: `connection` may be one of the entries about to go.
    CSQLConnection key = connection;
    std::erase_if(entries_,
                  [&](const std::unique_ptr<CSQLConnection>& e) { return e->IsSameConnection(key); });
}

void CConnectionList::ClearConnections() {
    entries_.clear();
}

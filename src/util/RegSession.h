#pragma once

#include "RegStore.h"
#include "RegistryError.h"

#include <optional>

// Groups many store reads and writes into one read and one atomic replacement
// of the store file. While a session is open, ReadRegValue and WriteRegValue
// work on its copy in memory; commit() writes the changes. A session opened
// while another one is open joins the outer one and writes nothing itself.
// All store access happens on one thread (the user-interface thread).
class TRegSession
{
public:
    TRegSession();
    // Writes changes that commit() did not write, as the single writes would
    // have; a failure here is dropped because nothing can report it.
    ~TRegSession();
    TRegSession(const TRegSession&) = delete;
    TRegSession& operator=(const TRegSession&) = delete;

    // Raises TRegistryError when the file cannot be written.
    void commit();

    // The open outermost session, or nullptr.
    static TRegSession* current();

    // The store as read at the first use; raises the read error each time when
    // the file could not be read.
    TRegStore& store();
    void markChanged() { m_changed = true; }

private:
    bool m_owner = false;
    bool m_loaded = false;
    bool m_changed = false;
    std::optional<TRegistryError> m_loadError;
    TRegStore m_store;
};

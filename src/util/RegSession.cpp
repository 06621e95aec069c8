#include "RegSession.h"

#include "RegStoreFile.h"

namespace {
TRegSession* s_current = nullptr;
}

TRegSession::TRegSession()
{
    if (!s_current) {
        s_current = this;
        m_owner = true;
    }
}

TRegSession::~TRegSession()
{
    if (!m_owner)
        return;
    s_current = nullptr;
    if (m_changed) {
        try {
            RegStoreFile::save(m_store);
        } catch (const std::exception&) {
        }
    }
}

void TRegSession::commit()
{
    if (!m_owner || !m_changed)
        return;
    RegStoreFile::save(m_store);
    m_changed = false;
}

TRegSession* TRegSession::current()
{
    return s_current;
}

TRegStore& TRegSession::store()
{
    if (!m_owner)
        return s_current->store();
    if (!m_loaded) {
        m_loaded = true;
        try {
            m_store = RegStoreFile::load();
        } catch (const TRegistryError& error) {
            m_loadError = error;
        }
    }
    if (m_loadError)
        throw *m_loadError;
    return m_store;
}

#pragma once

#include "OrgStore.h"

#include <QMetaObject>

#include <mutex>

// The way back from a background task to its store. A task holds the channel, never the store:
// once the store is gone the channel is closed and the outcome is dropped instead of being
// applied to freed memory. Posting and closing exclude each other, and Qt discards the events
// already posted to a store when it is destroyed.
struct OrgStore::Channel
{
    explicit Channel(OrgStore *store)
        : m_store(store)
    {
    }

    void post(Outcome outcome)
    {
        const std::lock_guard lock(m_mutex);
        if (!m_store)
            return;
        OrgStore *store = m_store;
        QMetaObject::invokeMethod(
            store, [store, outcome = std::move(outcome)] { outcome(*store); }, Qt::QueuedConnection);
    }

    void close()
    {
        const std::lock_guard lock(m_mutex);
        m_store = nullptr;
    }

private:
    std::mutex m_mutex;
    OrgStore *m_store;
};

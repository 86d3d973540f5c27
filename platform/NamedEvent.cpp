#include "platform/NamedEvent.h"

#include <chrono>

CNamedEvent::CNamedEvent(std::string_view name, EEventReset reset) : m_name(name), m_reset(reset) {}

void CNamedEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_bSet = true;
    }
    if (m_reset == EEventReset::Auto) {
        m_changed.notify_one();
    } else {
        m_changed.notify_all();
    }
}

void CNamedEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_bSet = false;
}

bool CNamedEvent::Wait(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    if (timeoutMs > 0) {
        m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_bSet; });
    }
    if (!m_bSet) {
        return false;
    }
    if (m_reset == EEventReset::Auto) {
        m_bSet = false;
    }
    return true;
}

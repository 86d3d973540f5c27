#include "recording/InputEventSource.h"

bool CInputEventSource::Start() {
    if (!m_bActive) {
        m_bActive = m_source.Start();
    }
    return m_bActive;
}

void CInputEventSource::Stop() {
    m_source.Stop();
    m_bActive = false;
}

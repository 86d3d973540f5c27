#include "platform/InputEvents.h"

CInputEvents::CInputEvents()
    : m_events{std::make_unique<CNamedEvent>(kClickEventName, EEventReset::Auto),
               std::make_unique<CNamedEvent>(kClickUpEventName, EEventReset::Auto),
               std::make_unique<CNamedEvent>(kKeyEventName, EEventReset::Auto),
               std::make_unique<CNamedEvent>(kKeyUpEventName, EEventReset::Auto),
               std::make_unique<CNamedEvent>(kPauseEventName, EEventReset::Manual),
               std::make_unique<CNamedEvent>(kSaveEventName, EEventReset::Manual)} {}

CNamedEvent* CInputEvents::Find(std::string_view name) {
    for (auto& event : m_events) {
        if (event->Name() == name) {
            return event.get();
        }
    }
    return nullptr;
}

void CInputEvents::DrainAutoEvents() {
    for (auto& event : m_events) {
        if (event->ResetKind() == EEventReset::Auto) {
            event->Wait(0);
        }
    }
}

// The six named events through which clicks, keys, pause and stop reach the recorder. The main
// window creates them once, before any recording; input sources look them up by name.
#pragma once

#include <array>
#include <memory>
#include <string_view>

#include "platform/NamedEvent.h"

inline constexpr std::string_view kClickEventName = "CLICKEVENT_QUILLO";
inline constexpr std::string_view kClickUpEventName = "CLICKUPEVENT_QUILLO";
inline constexpr std::string_view kKeyEventName = "KEYEVENT_QUILLO";
inline constexpr std::string_view kKeyUpEventName = "KEYUPEVENT_QUILLO";
inline constexpr std::string_view kPauseEventName = "PAUSE_QUILLO";
inline constexpr std::string_view kSaveEventName = "SAVE_QUILLO";

class CInputEvents {
public:
    CInputEvents();

    CNamedEvent& ClickDown() { return *m_events[0]; }
    CNamedEvent& ClickUp() { return *m_events[1]; }
    CNamedEvent& KeyDown() { return *m_events[2]; }
    CNamedEvent& KeyUp() { return *m_events[3]; }
    CNamedEvent& Pause() { return *m_events[4]; }
    CNamedEvent& Save() { return *m_events[5]; }

    // The event of that name, or nullptr.
    CNamedEvent* Find(std::string_view name);

    // Clears the four auto-reset events by testing each once, as every recording start does.
    void DrainAutoEvents();

private:
    std::array<std::unique_ptr<CNamedEvent>, 6> m_events;
};

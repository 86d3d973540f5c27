// An event object of the program, found by its name: a flag that one thread sets and another
// tests or waits for. An auto-reset event clears itself when a test or wait succeeds; a manual
// event stays set until it is reset.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>

enum class EEventReset { Auto, Manual };

class CNamedEvent {
public:
    CNamedEvent(std::string_view name, EEventReset reset);
    CNamedEvent(const CNamedEvent&) = delete;
    CNamedEvent& operator=(const CNamedEvent&) = delete;

    const std::string& Name() const { return m_name; }
    EEventReset ResetKind() const { return m_reset; }

    void Set();
    void Reset();
    // Waits up to timeoutMs (0 = only test) and tells whether the event was set; an auto-reset
    // event is cleared by a successful wait.
    bool Wait(int timeoutMs = 0);

private:
    const std::string m_name;
    const EEventReset m_reset;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bSet = false;
};

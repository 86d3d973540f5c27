// The program-wide keys that work while another program has the focus: Print Screen for a
// snapshot and the four recording keys. They are registered once for the main window and
// released when it goes away.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class EHotKey {
    Snapshot,  // Print Screen
    Stop,      // Ctrl+Del
    Pause,     // Pause, or Alt+P with the "alternate_pause" setting
    Chapter,   // Alt+C
    Hide,      // Ctrl+H
};

class IHotKeys {
public:
    virtual ~IHotKeys() = default;
    // Takes the keys; false (with Error()) when one of them could not be had, for instance
    // because another program holds it. The keys that could be had still work.
    virtual bool Register(bool bAlternatePause) = 0;
    virtual void Unregister() = 0;
    virtual const std::string& Error() const = 0;
    // A descriptor that turns readable when presses may be waiting; -1 when none.
    virtual int WaitHandle() const = 0;
    // The presses that arrived since the last call, oldest first; never blocks.
    virtual std::vector<EHotKey> TakePresses() = 0;
};

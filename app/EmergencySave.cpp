#include "app/EmergencySave.h"

#include <cstdlib>
#include <new>

namespace {

std::function<void()>& Hook() {
    static std::function<void()> hook;
    return hook;
}

void OnAllocationFailed() {
    std::set_new_handler(nullptr);
    if (Hook()) {
        Hook()();
    }
    std::exit(-1);
}

}  // namespace

void InstallEmergencySave(std::function<void()> onLowMemory) {
    Hook() = std::move(onLowMemory);
    std::set_new_handler(OnAllocationFailed);
}

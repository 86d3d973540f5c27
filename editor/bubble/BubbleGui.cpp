#include "editor/bubble/BubbleGui.h"

#include <QGuiApplication>
#include <memory>

bool EnsureBubbleGui() {
    if (QCoreApplication::instance() != nullptr) {
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    }
    static int argc = 3;
    static char name[] = "quillo";
    static char option[] = "-platform";
    static char platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
    return true;
}

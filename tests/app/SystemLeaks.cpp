// Qt's font handling keeps fontconfig's caches until the process ends, and its X11 platform
// keeps a message-bus buffer; LeakSanitizer is told that they are not this program's leaks.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libdbus-1\n";
}

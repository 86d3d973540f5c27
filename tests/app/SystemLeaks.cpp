// Qt's font handling keeps fontconfig's caches until the process ends; LeakSanitizer is told
// that they are not this program's leaks.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

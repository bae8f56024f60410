// Leaks the sanitizer should not report in test programs: caches that system
// libraries keep for the life of a process. fontconfig keeps its font cache
// until exit, and every Qt window test loads it.

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

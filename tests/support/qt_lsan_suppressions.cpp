// Leaks the sanitizer should not report in the game's tests: fontconfig keeps
// a few patterns of Qt's font lookups in its own caches for the life of the
// process; they are not ours to free. Read only when LeakSanitizer runs.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

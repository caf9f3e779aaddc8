// LeakSanitizer's built-in suppressions for this test program: fontconfig
// leaks a little while it parses its configuration files (a block no
// pointer reaches after FcInit); nothing of ours. Unused without sanitizers.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

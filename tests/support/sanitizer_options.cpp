// Compiled into every test executable of the sanitizer build.

// Allocations that system libraries keep for the life of the process (font and bus caches)
// are theirs, not leaks of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libfreetype.so\n"
           "leak:libdbus-1.so\n";
}

// Report settings of the sanitizer runtimes for the test programs of the sanitizer build. Settings in
// ASAN_OPTIONS, LSAN_OPTIONS and UBSAN_OPTIONS still take precedence.
extern "C" {

const char* __asan_default_options()
{
    return "detect_leaks=1";
}

// Leaks inside system libraries that keep their caches until exit; never our own code.
const char* __lsan_default_options()
{
    return "suppressions=" DORIVAN_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
}

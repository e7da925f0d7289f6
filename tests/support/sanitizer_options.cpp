// Options the sanitizers read at start-up when the environment says nothing else.
extern "C" {

// Leaks inside system libraries that Qt loads and never frees; not ours.
const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

const char* __asan_default_options()
{
    return "detect_leaks=1:abort_on_error=0";
}

const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
}

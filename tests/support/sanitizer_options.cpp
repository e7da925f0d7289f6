// Options the sanitizers read at start-up when the environment says nothing else.
extern "C" {

// Leaks inside system libraries that Qt loads, never ours:
// - fontconfig's caches, kept for the process's life;
// - libproxy 0.5 (Debian 13), whose backend loses the URI texts of each system-proxy query that
//   Qt Network makes (px_manager_get_proxies_sync). glib, built without frame pointers, hides the
//   caller, so they are known by glib's allocator, which nothing of ours calls.
const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:px_manager_get_proxies_sync\n"
           "leak:g_malloc\n"
           "leak:g_realloc\n";
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

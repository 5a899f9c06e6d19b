// SanitizerOptions.cpp: built into the program and the tests of a sanitizer build
// only. Any sanitizer report ends the process with SIGABRT, so it can never pass
// for one of the program's own exit statuses (0 or 1). Compiled-in defaults, not
// environment variables, because the tests start the program with a clean
// environment, as a web server does.
extern "C" {

const char* __asan_default_options()
{
    return "abort_on_error=1:halt_on_error=1:detect_leaks=1:strict_string_checks=1:"
           "detect_stack_use_after_return=1:check_initialization_order=1";
}

const char* __ubsan_default_options()
{
    return "abort_on_error=1:halt_on_error=1:print_stacktrace=1";
}

const char* __lsan_default_options()
{
    return "abort_on_error=1";
}

}

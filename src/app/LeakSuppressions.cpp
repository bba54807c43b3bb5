// Built into sanitizer builds only: the PostgreSQL ODBC driver keeps a few bytes to the end of the
// process, which LeakSanitizer would report as the program's own leak (and fail the run).
extern "C" const char* __lsan_default_suppressions() { return "leak:psqlodbca.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

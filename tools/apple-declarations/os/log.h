// Stand-in declarations for the macOS adapter's compile check, written from Apple's reference
// page (os > Logging > os_log_error). The format must be a literal and its arguments must match
// it, privacy annotations included, which the format attribute makes the compiler check.
#pragma once

typedef struct os_log_s *os_log_t;
extern "C" {
extern struct os_log_s os_log_default_stand_in;
void os_log_error_stand_in(os_log_t log, const char *format, ...) __attribute__((format(os_log, 2, 3)));
}
#define OS_LOG_DEFAULT (&os_log_default_stand_in)
#define os_log_error(log, format, ...) os_log_error_stand_in(log, format __VA_OPT__(, ) __VA_ARGS__)

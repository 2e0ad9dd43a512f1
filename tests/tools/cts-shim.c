/* Preloaded into Wine (LD_PRELOAD) so that a pseudo-terminal mapped as a COM port answers
 * the modem-status query. A pty has no modem lines: TIOCMGET fails on it, and with it
 * GetCommModemStatus. Where the real call fails this answers DSR on and CTS on, or CTS off
 * while the file named by TAVRIX_CTS_FILE begins with '0' (the peer on the pty writes it).
 *
 * 64-bit Wine's ntdll calls ioctl; 32-bit Wine's calls __ioctl_time64 (built with -m32). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

static int cts_on(void) {
    const char* path = getenv("TAVRIX_CTS_FILE");
    FILE* file;
    int first;
    if (!path || !(file = fopen(path, "r"))) return 1;
    first = fgetc(file);
    fclose(file);
    return first != '0';
}

static int forward(const char* name, ioctl_fn* real, int fd, unsigned long request, void* arg) {
    int saved, rc;
    if (!*real) *real = (ioctl_fn)dlsym(RTLD_NEXT, name);
    if (!*real) {
        errno = ENOSYS;
        return -1;
    }
    rc = (*real)(fd, request, arg);
    if (rc == 0 || request != TIOCMGET || !arg) return rc;
    saved = errno;
    *(int*)arg = TIOCM_DSR | (cts_on() ? TIOCM_CTS : 0);
    errno = saved;
    return 0;
}

/* One entry point: takes the request's argument and forwards to the real `name`. */
#define SHIM_ENTRY(name)                                            \
    int name(int fd, unsigned long request, ...) {                  \
        static ioctl_fn real;                                       \
        va_list args;                                               \
        void* arg;                                                  \
        va_start(args, request);                                    \
        arg = va_arg(args, void*);                                  \
        va_end(args);                                               \
        return forward(#name, &real, fd, request, arg);             \
    }

SHIM_ENTRY(ioctl)
#if defined(__i386__)
SHIM_ENTRY(__ioctl_time64)
#endif

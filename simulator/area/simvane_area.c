/* The attach library for programs under test: maps simvane's area by name. */
#include "simvane_area.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

size_t simvane_area_size(void) {
    long page = sysconf(_SC_PAGESIZE);
    size_t p = page > 0 ? (size_t)page : 4096u;
    return (SIMVANE_AREA_SIZE + p - 1) / p * p;
}

void* simvane_attach_named(const char* name) {
    if (name == NULL || name[0] != '/') {
        errno = EINVAL;
        return NULL;
    }
    int fd = shm_open(name, O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) return NULL;
    const size_t size = simvane_area_size();
    struct stat st;
    /* An object that is too small is not simvane's area (or is still being set up). */
    if (fstat(fd, &st) != 0 || (size_t)st.st_size < size) {
        close(fd);
        errno = ENOENT;
        return NULL;
    }
    void* base = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    int saved = errno;
    close(fd);
    if (base == MAP_FAILED) {
        errno = saved;
        return NULL;
    }
    return base;
}

void* simvane_attach(void) {
    const char* name = getenv("SIMVANE_AREA_NAME");
    return simvane_attach_named(name && *name ? name : SIMVANE_AREA_DEFAULT_NAME);
}

int simvane_detach(void* base) {
    if (base == NULL) {
        errno = EINVAL;
        return -1;
    }
    return munmap(base, simvane_area_size());
}

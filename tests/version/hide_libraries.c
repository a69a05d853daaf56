/* SPDX-License-Identifier: MIT */
/*
 * A loader audit module (LD_AUDIT) that hides libquarn2.so.2 and
 * libquarn_vadel.so.1 wherever the loader looks for them: run path,
 * LD_LIBRARY_PATH, the system's cache and folders. A tool started with it
 * meets a system without those libraries, whatever is installed.
 */
#define _GNU_SOURCE
#include <link.h>
#include <stdint.h>
#include <string.h>

unsigned int la_version(unsigned int version)
{
    (void)version;
    return LAV_CURRENT;
}

char *la_objsearch(const char *name, uintptr_t *cookie, unsigned int flag)
{
    const char *base = strrchr(name, '/');
    (void)cookie;
    base = base != NULL ? base + 1 : name;
    /* The name as asked stays, so the loader's message names the library;
     * every place it would be found is refused. */
    if (flag != LA_SER_ORIG &&
        (strcmp(base, "libquarn2.so.2") == 0 || strcmp(base, "libquarn_vadel.so.1") == 0))
        return NULL;
    return (char *)name;
}

/* quarn2_version written in plain C: the baseline for its start-up cost. */
#include <errno.h>
#include <stdio.h>
#include <string.h>

extern const char *quarn2_version(void);

int main(void)
{
    const char *text = quarn2_version();
    if (text == NULL) {
        fputs("quarn2_version: libquarn2.so.2 returned no version text\n", stderr);
        return 1;
    }
    if (printf("QUARN-client-%s\n", text) < 0 || fflush(stdout) != 0) {
        const int error = errno;
        fprintf(stderr, "quarn2_version: write error: %s\n", strerror(error));
        return 1;
    }
    return 0;
}

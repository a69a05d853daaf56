/* quarn_vadel_version written in plain C: the baseline for its start-up cost. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(void)
{
    if (printf("quarn-vadel--%s\n", QUARN_VADEL_VERSION) < 0 || fflush(stdout) != 0) {
        const int error = errno;
        fprintf(stderr, "quarn_vadel_version: write error: %s\n", strerror(error));
        exit(EXIT_FAILURE);
    }
    exit(EXIT_SUCCESS);
}

#include <stdio.h>
#include <qorvel.h>

static int Put(const char *bytes, size_t n)
{
    return fwrite(bytes, 1, n, stdout) == n;
}

int main(int argc, char **argv)
{
    static char in[65536], out[65536];
    qorvel_converter *conv;
    size_t n, taken, written;
    int status;

    if (argc != 2) {
        fprintf(stderr, "usage: %s CODE < IN > OUT\n", argv[0]);
        return 2;
    }
    status = qorvel_open(argv[1], &conv);
    if (status != QORVEL_OK) {
        fprintf(stderr, "%s: %s\n", argv[1], qorvel_status_message(status));
        return 2;
    }
    while (status != QORVEL_ENDED && (n = fread(in, 1, sizeof in, stdin)) > 0) {
        const char *at = in;
        do {
            status = qorvel_convert(conv, at, n, &taken, out, sizeof out, &written);
            if (status < 0 || !Put(out, written))
                goto failed;
            at += taken;
            n -= taken;
        } while (status == QORVEL_OUTPUT_FULL);
    }
    if (ferror(stdin))
        goto failed;
    do {
        status = qorvel_finish(conv, out, sizeof out, &written);
        if (status < 0 || !Put(out, written))
            goto failed;
    } while (status == QORVEL_OUTPUT_FULL);
    qorvel_close(conv);
    return fflush(stdout) != 0;

failed:
    fprintf(stderr, "%s\n", status < 0 ? qorvel_status_message(status) : "read or write error");
    qorvel_close(conv);
    return 1;
}

/* convert.c: converts standard input from the code named on the command
 * line into Qorvel code on standard output, 64 KB at a time. */
#include <qorvel.h>
#include <stdio.h>

int main(int argc, char **argv) {
  static char in[1 << 16], out[1 << 16];
  qorvel_converter *conv;
  size_t n, at, taken, written;
  int status = argc == 2 ? qorvel_open(argv[1], &conv) : QORVEL_ERROR_INVALID_ARGUMENT;
  if (status < 0) {
    fprintf(stderr, "convert: %s: %s\n", argc == 2 ? argv[1] : "usage: convert CODE",
            qorvel_status_message(status));
    return 2;
  }
  while (status != QORVEL_ENDED && (n = fread(in, 1, sizeof in, stdin)) > 0)
    for (at = 0; at < n && status != QORVEL_ENDED; at += taken) {
      status = qorvel_convert(conv, in + at, n - at, &taken, out, sizeof out, &written);
      if (status < 0) return fprintf(stderr, "convert: %s\n", qorvel_status_message(status)), 1;
      fwrite(out, 1, written, stdout);
    }
  do {  /* what the converter still holds */
    status = qorvel_finish(conv, out, sizeof out, &written);
    fwrite(out, 1, written, stdout);
  } while (status == QORVEL_OUTPUT_FULL);
  qorvel_close(conv);
  return 0;
}

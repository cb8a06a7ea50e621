/* The library path as a program on it runs it: a file read in 64 KB pieces,
 * converted through qorvel_convert into a 64 KB output buffer, written out.
 * bench/library.sh times it beside `qorvel convert` on the same file.
 *   library_convert CODE < in > out */
#include <stdio.h>

#include <qorvel.h>

int main(int argc, char **argv) {
  static char in[64 * 1024], out[64 * 1024];
  qorvel_converter *conv;
  size_t n, at, taken, written;
  int status = QORVEL_OK;
  if (argc != 2 || qorvel_open(argv[1], &conv) != QORVEL_OK) {
    fprintf(stderr, "usage: library_convert CODE < in > out\n");
    return 2;
  }
  while (status != QORVEL_ENDED && (n = fread(in, 1, sizeof in, stdin)) > 0) {
    for (at = 0; at < n && status != QORVEL_ENDED; at += taken) {
      status = qorvel_convert(conv, in + at, n - at, &taken, out, sizeof out, &written);
      if (status < 0) return fprintf(stderr, "%s\n", qorvel_status_message(status)), 1;
      fwrite(out, 1, written, stdout);
    }
  }
  do {
    status = qorvel_finish(conv, out, sizeof out, &written);
    fwrite(out, 1, written, stdout);
  } while (status == QORVEL_OUTPUT_FULL);
  qorvel_close(conv);
  return ferror(stdin) || fflush(stdout) ? 1 : 0;
}

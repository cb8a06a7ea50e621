/* An outside program on the installed library: converts standard input to
 * standard output through qorvel.h in random pieces into random output
 * buffers (down to one byte), and checks that the one-call form gives the
 * same bytes. The package check and the Windows check run it beside
 * `qorvel convert` and compare.
 *
 *   convert_pieces --list             the codes, one "name<TAB>kind" a line
 *   convert_pieces CODE SEED          convert from CODE
 *   convert_pieces layout SEED [H]    the web-format text at line height H
 * Exit status 0, or 1 with a message. Plain C99. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <qorvel.h>

static uint64_t state;
static size_t Random(size_t below) {
  state = state * 6364136223846793005u + 1442695040888963407u;
  return (size_t)((state >> 33) % below);
}

/* What the pieces produced, kept to compare with the one-call form. */
static char *produced;
static size_t produced_size, produced_cap;
static void Emit(const char *bytes, size_t n) {
  if (produced_size + n > produced_cap) {
    produced_cap = 2 * (produced_size + n);
    produced = realloc(produced, produced_cap);
    if (!produced) exit(1);
  }
  memcpy(produced + produced_size, bytes, n);
  produced_size += n;
  fwrite(bytes, 1, n, stdout);
}

static int Fail(const char *what, int status) {
  fprintf(stderr, "convert_pieces: %s: %s\n", what, qorvel_status_message(status));
  return 1;
}

static char *ReadAll(size_t *size) {
  size_t cap = 1 << 16, n = 0, got;
  char *data = malloc(cap);
  while (data && (got = fread(data + n, 1, cap - n, stdin)) > 0) {
    n += got;
    if (n == cap) data = realloc(data, cap *= 2);
  }
  *size = n;
  return data;
}

/* A piece size: mostly small, sometimes none, sometimes large. */
static size_t PieceSize(void) {
  switch (Random(4)) {
    case 0: return Random(3);
    case 1: return 1 + Random(16);
    case 2: return 1 + Random(4096);
    default: return 1 + Random(200000);
  }
}

int main(int argc, char **argv) {
  size_t size, i, at = 0;
  char *in, *whole = NULL, out[256 * 1024];
  size_t whole_size = 0;
  qorvel_converter *conv;
  int status;
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (argc == 2 && strcmp(argv[1], "--list") == 0) {
    for (i = 0; i < qorvel_code_count(); i++)
      printf("%s\t%s\n", qorvel_code_name(i), qorvel_code_kind(i) == QORVEL_KIND_PASTE ? "paste" : "file");
    return 0;
  }
  if (argc < 3) {
    fprintf(stderr, "usage: convert_pieces --list | CODE SEED | layout SEED [H]\n");
    return 2;
  }
  state = strtoull(argv[2], NULL, 10);
  in = ReadAll(&size);
  if (!in) return Fail("reading standard input", QORVEL_ERROR_NO_MEMORY);

  if (strcmp(argv[1], "layout") == 0) {
    uint32_t height = argc > 3 ? (uint32_t)strtoul(argv[3], NULL, 10) : QORVEL_DEFAULT_LINE_HEIGHT;
    char *text;
    size_t text_size;
    status = qorvel_layout(in, size, height, 0, &text, &text_size);
    if (status != QORVEL_OK) return Fail("qorvel_layout", status);
    fwrite(text, 1, text_size, stdout);
    qorvel_free(text);
    return 0;
  }

  status = qorvel_open(argv[1], &conv);
  if (status != QORVEL_OK) return Fail(argv[1], status);
  for (;;) {
    size_t piece = PieceSize(), room = 1 + Random(Random(2) ? 8 : sizeof out), taken, written;
    if (piece > size - at) piece = size - at;
    status = qorvel_convert(conv, in + at, piece, &taken, out, room, &written);
    if (status < 0) return Fail("qorvel_convert", status);
    if (taken > piece || written > room) return Fail("qorvel_convert took or wrote too much", 0);
    Emit(out, written);
    at += taken;
    if (status == QORVEL_ENDED || (status == QORVEL_OK && at == size)) break;
  }
  if (qorvel_consumed(conv) != at) return Fail("qorvel_consumed differs from the bytes taken", 0);
  do {
    size_t written, room = 1 + Random(Random(2) ? 8 : sizeof out);
    status = qorvel_finish(conv, out, room, &written);
    if (status < 0) return Fail("qorvel_finish", status);
    Emit(out, written);
  } while (status == QORVEL_OUTPUT_FULL);
  qorvel_close(conv);

  status = qorvel_convert_all(argv[1], in, size, &whole, &whole_size);
  if (status != QORVEL_OK) return Fail("qorvel_convert_all", status);
  if (whole_size != produced_size || whole[whole_size] != '\0' ||
      (whole_size && memcmp(whole, produced, whole_size) != 0))
    return Fail("qorvel_convert_all's output differs from the pieces'", 0);
  qorvel_free(whole);
  free(in);
  return fflush(stdout) == 0 ? 0 : Fail("writing standard output", 0);
}

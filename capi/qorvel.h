/* libqorvel: the Qorvel Mongolian suite's converters and Velmar's layout for
 * other programs. Text is code page 936 bytes throughout, as in the suite's
 * files; qorvel_to_utf8 and qorvel_from_utf8 cross to Unicode.
 *
 * Converting in pieces (like iconv):
 *
 *   qorvel_converter *conv;
 *   if (qorvel_open("mengkeli", &conv) != QORVEL_OK) ...
 *   for each piece of input [in, in + n):
 *     while (n > 0) {
 *       size_t taken, written;
 *       int status = qorvel_convert(conv, in, n, &taken, out, sizeof out, &written);
 *       write out[0, written); in += taken; n -= taken;
 *       if (status == QORVEL_ENDED) stop reading: a NUL byte ended the text
 *       else if (status < 0) report qorvel_status_message(status)
 *       (QORVEL_OUTPUT_FULL: just go round again with the output written out)
 *     }
 *   do { status = qorvel_finish(conv, out, sizeof out, &written); write ...; }
 *   while (status == QORVEL_OUTPUT_FULL);
 *   qorvel_close(conv);
 *
 * Feeding the same input whole or in any pieces, into output buffers of any
 * size (one byte is enough), gives the bytes of `qorvel convert`.
 *
 * No global state: a converter belongs to one thread at a time, and distinct
 * converters may be used on distinct threads at once; every other function
 * may be called from any thread. No function throws or aborts: a failure,
 * running out of memory included, is a negative status; a converter whose
 * qorvel_convert or qorvel_finish failed can then only be reset or closed
 * (every other call on it returns QORVEL_ERROR_FAILED). Sizes are in bytes.
 *
 * Nothing is lost without a word: a converter counts the bytes its code
 * writes nothing for (qorvel_dropped, qorvel_dropped_offsets) and says where
 * a NUL ended its text (qorvel_ended_at); qorvel_open_with can keep text of
 * another script instead of dropping it (QORVEL_KEEP).
 *
 * C99 and C++. Link with -lqorvel (pkg-config qorvel; CMake Qorvel::qorvel).
 * The library is released under the MIT license. */
#ifndef QORVEL_H
#define QORVEL_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(QORVEL_BUILDING_LIBRARY)
#define QORVEL_API __declspec(dllexport)
#elif defined(QORVEL_STATIC)
#define QORVEL_API
#else
#define QORVEL_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define QORVEL_API __attribute__((visibility("default")))
#else
#define QORVEL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define QORVEL_VERSION_MAJOR 1
#define QORVEL_VERSION_MINOR 2
#define QORVEL_VERSION_PATCH 0

/* Statuses: zero and above are how a call went, below zero why it failed. */
enum qorvel_status {
  QORVEL_OK = 0,
  /* The output buffer is full: write it out and call again (with the input
   * not yet taken) to get the rest. */
  QORVEL_OUTPUT_FULL = 1,
  /* A NUL byte ended the text (the paste codes and the layout read text up
   * to a NUL, as a clipboard holds it): the input is taken up to and
   * including the NUL, nothing after it is read, and qorvel_finish ends the
   * output. */
  QORVEL_ENDED = 2,
  QORVEL_ERROR_UNKNOWN_CODE = -1,  /* no code of that name: see qorvel_code_name */
  QORVEL_ERROR_INVALID_ARGUMENT = -2, /* a null pointer where a buffer or result is needed */
  QORVEL_ERROR_NO_MEMORY = -3,
  QORVEL_ERROR_FINISHED = -4, /* input after qorvel_finish: qorvel_reset first */
  QORVEL_ERROR_INTERNAL = -5,
  QORVEL_ERROR_FAILED = -6 /* the converter failed before: reset or close it (since 1.1) */
};

/* What a status means, in English: a static string for any int. */
QORVEL_API const char *qorvel_status_message(int status);

/* The library's version, "MAJOR.MINOR.PATCH". */
QORVEL_API const char *qorvel_version(void);

/* The codes the library converts from, in the order `qorvel convert --list`
 * lists them; every one converts into Qorvel code. */
enum qorvel_code_kind {
  QORVEL_KIND_FILE = 0,  /* a whole file, as a converter program writes it */
  QORVEL_KIND_PASTE = 1  /* clipboard text, as Velmar's paste commands take it: ends at a NUL */
};
QORVEL_API size_t qorvel_code_count(void);
/* Null past the end. The strings are static. */
QORVEL_API const char *qorvel_code_name(size_t index);
QORVEL_API const char *qorvel_code_description(size_t index);
/* A qorvel_code_kind, or -1 past the end. */
QORVEL_API int qorvel_code_kind(size_t index);

typedef struct qorvel_converter qorvel_converter;

/* A fresh converter from the code called `code` into *converter, or a
 * negative status and a null *converter. */
QORVEL_API int qorvel_open(const char *code, qorvel_converter **converter);
/* Since 1.1. As qorvel_open, with options (0, or QORVEL_KEEP): under
 * QORVEL_KEEP, text of another script that the code would drop is kept as
 * it stands: a control byte is copied, and a byte 0x81..0xFE with the GBK
 * second byte after it is copied as one character. A unit of the code's own
 * lead bytes without an entry is still dropped. Where nothing is dropped the
 * output is the same as without it. Unknown options: INVALID_ARGUMENT. */
#define QORVEL_KEEP 1u
QORVEL_API int qorvel_open_with(const char *code, unsigned options, qorvel_converter **converter);
/* Frees the converter; null is allowed. */
QORVEL_API void qorvel_close(qorvel_converter *converter);
/* Starts the converter again as at the start of an input. */
QORVEL_API int qorvel_reset(qorvel_converter *converter);

/* Converts the next piece of input [in, in + in_size) into [out, out +
 * out_size). *in_taken gets the bytes of input taken, *out_written the
 * bytes written. Returns QORVEL_OK when all the input is taken and its
 * output ready so far written (a converter may hold back bytes it needs to
 * see more of: qorvel_finish writes them), QORVEL_OUTPUT_FULL when the
 * output buffer filled first, QORVEL_ENDED once a NUL has ended the text and
 * everything before it is written, or a negative status. `in` may be null
 * when in_size is 0, and `out` when out_size is 0. */
QORVEL_API int qorvel_convert(qorvel_converter *converter, const char *in, size_t in_size,
                              size_t *in_taken, char *out, size_t out_size, size_t *out_written);

/* The input is over: writes what is still pending into [out, out +
 * out_size). Returns QORVEL_OUTPUT_FULL while more remains (call again),
 * QORVEL_OK when everything is written. */
QORVEL_API int qorvel_finish(qorvel_converter *converter, char *out, size_t out_size,
                             size_t *out_written);

/* Bytes of input taken since the start, up to and including an ending NUL. */
QORVEL_API uint64_t qorvel_consumed(const qorvel_converter *converter);

/* Since 1.1: what the conversion lost, complete once qorvel_finish has
 * returned QORVEL_OK. A dropped byte is one the code writes nothing for: a
 * byte or unit without an entry or whose entry is nothing, the lead byte of
 * a two-byte unit without an entry, a lead byte alone at the end (each
 * code's documentation says which). Offsets count from the start of the
 * input.
 * qorvel_dropped: how many bytes were dropped (0 for a null converter).
 * qorvel_dropped_offsets: writes the offsets of the first dropped bytes,
 *   ascending, at most `max` and at most QORVEL_DROPPED_OFFSETS of them, and
 *   returns how many it wrote.
 * qorvel_ended_at: 1 with the offset of the NUL byte that ended the text in
 *   *offset, or 0 when no NUL ended it (also for a null converter). */
#define QORVEL_DROPPED_OFFSETS 5
QORVEL_API uint64_t qorvel_dropped(const qorvel_converter *converter);
QORVEL_API size_t qorvel_dropped_offsets(const qorvel_converter *converter, uint64_t *offsets, size_t max);
QORVEL_API int qorvel_ended_at(const qorvel_converter *converter, uint64_t *offset);

/* The whole of [in, in + in_size) converted from `code` in one call. On
 * QORVEL_OK *out is a buffer the library allocated, *out_size bytes long and
 * followed by a NUL byte that is not counted, which the caller frees with
 * qorvel_free; otherwise *out is null and *out_size 0. */
QORVEL_API int qorvel_convert_all(const char *code, const char *in, size_t in_size, char **out,
                                  size_t *out_size);

/* Velmar's layout of the Qorvel text [in, in + in_size), which ends at its
 * first NUL: the web-format text (the wrapped lines last first, each
 * preceded by CR LF), or the wrapped text when `wrapped` is non-zero; the
 * bytes of `qorvel layout`. `line_height` is the wrap width in system-font
 * pixels, 8 per single-byte and 16 per double-byte character (Velmar starts
 * at QORVEL_DEFAULT_LINE_HEIGHT); 0xFFFFFFFF never wraps. The result is
 * returned as qorvel_convert_all's. */
#define QORVEL_DEFAULT_LINE_HEIGHT 500
QORVEL_API int qorvel_layout(const char *in, size_t in_size, uint32_t line_height, int wrapped,
                             char **out, size_t *out_size);

/* Since 1.2: the layout as HTML for today's browsers, which lay vertical
 * text out themselves: the Qorvel text [in, in + in_size) wrapped at
 * `line_height` as qorvel_layout wraps it, each wrapped line one column of
 * `writing-mode: vertical-lr` text, left to right in source order (an empty
 * line an empty column), every `& < > " '` of the text written as a
 * reference. UTF-8 through the conversion of qorvel_to_utf8 (the Qorvel
 * glyph codes F8A1.. as U+E234..). A whole document with
 * `<meta charset="utf-8">`, or with `fragment` non-zero the columns alone,
 * to paste. `face` (UTF-8; null for QORVEL_HTML_DEFAULT_FACE) and `size` (as
 * Velmar's font size, 1 to QORVEL_HTML_MAX_SIZE: the font 2.5 size pixels
 * high, columns 3 size pixels apart) give the look; `font_url` (UTF-8, null
 * or empty for none) becomes an @font-face rule for readers without the
 * face. The result is returned as qorvel_convert_all's. */
#define QORVEL_HTML_DEFAULT_FACE "QorvelWebTolvane"
#define QORVEL_HTML_DEFAULT_SIZE 7
#define QORVEL_HTML_MAX_SIZE 1000
QORVEL_API int qorvel_html(const char *in, size_t in_size, uint32_t line_height, int size, const char *face,
                           const char *font_url, int fragment, char **out, size_t *out_size);

/* The Unicode edge of the desktop clipboard and the web page: code page 936
 * with its user-defined area (where the Qorvel glyphs are) at U+E234... as
 * Windows maps it. Bytes that are not code page 936 become U+FFFD, one per
 * bad sequence; a character code page 936 cannot hold, or an ill-formed
 * UTF-8 sequence, becomes '?'. Results as qorvel_convert_all's. */
QORVEL_API int qorvel_to_utf8(const char *in, size_t in_size, char **out, size_t *out_size);
QORVEL_API int qorvel_from_utf8(const char *in, size_t in_size, char **out, size_t *out_size);

/* Frees a buffer the library returned; null is allowed. */
QORVEL_API void qorvel_free(void *buffer);

#ifdef __cplusplus
}
#endif

#endif /* QORVEL_H */

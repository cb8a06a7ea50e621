// Types of the npm package qorvel (qorvel.mjs). Bytes are Uint8Arrays of
// code page 936 text, as the suite's files hold it.

/** The package's version, the suite's. */
export const version: string;
/** The line height layout() takes when given none, as Velmar starts. */
export const DEFAULT_LINE_HEIGHT: 500;
/** How many offsets of dropped bytes a Converter keeps. */
export const DROPPED_OFFSETS: 5;

export interface Code {
  /** The name convert() and Converter take, as `qorvel convert --from`. */
  name: string;
  description: string;
}

export interface ConvertOptions {
  /** Keep text of another script that the code would drop (`qorvel convert --keep`). */
  keep?: boolean;
}

export interface LayoutOptions {
  /** The wrap width in system-font pixels (8 a single-byte, 16 a double-byte
   * character); a whole number from -2**31 to 2**32-1, compared unsigned;
   * 0xFFFFFFFF never wraps. Default DEFAULT_LINE_HEIGHT. */
  lineHeight?: number;
  /** The wrapped text instead of the web-format text. */
  wrapped?: boolean;
}

/** The codes convert() takes, in the order `qorvel convert --list` lists them. */
export function codes(): Code[];

/** The bytes `qorvel convert --from code` writes for `bytes`.
 * @throws RangeError for an unknown code, TypeError for bytes that are not a Uint8Array. */
export function convert(code: string, bytes: Uint8Array, options?: ConvertOptions): Uint8Array;

/** Velmar's layout of Qorvel text, which ends at its first NUL: the bytes of
 * `qorvel layout [--line-height N] [--wrapped]`. */
export function layout(bytes: Uint8Array, options?: LayoutOptions): Uint8Array;

/** Code page 936 bytes as text, as the desktop clipboard reads them: the
 * user-defined area F8A1.. is U+E234..; bytes that are not code page 936
 * become U+FFFD, one per bad sequence. */
export function toText(bytes: Uint8Array): string;

/** Text as code page 936 bytes: one '?' for every character the code page
 * lacks (a lone surrogate too). */
export function fromText(text: string): Uint8Array;

/** A conversion in pieces. Feeding the input whole or in any pieces gives the
 * same bytes as convert(). A converter holds memory in the library's module:
 * close() frees it (one never closed is freed when collected). */
export class Converter {
  /** @throws RangeError for an unknown code. */
  constructor(code: string, options?: ConvertOptions);
  /** The output ready for this piece of input (a converter may hold back
   * bytes until it sees more). After a NUL byte has ended the text, further
   * input is not read.
   * @throws Error with the library's message, e.g. after finish(). */
  feed(bytes: Uint8Array): Uint8Array;
  /** The rest of the output: the input is over. */
  finish(): Uint8Array;
  /** How many bytes the code wrote nothing for; complete after finish(). */
  readonly dropped: number;
  /** The offsets in the input of the first dropped bytes, at most DROPPED_OFFSETS, ascending. */
  readonly droppedOffsets: number[];
  /** The offset of the NUL byte that ended the text, or null if none did.
   * `qorvel convert` names it only when bytes other than NULs follow it (a
   * clipboard block's terminator and padding end nothing early); a
   * Converter does not see what follows, so the caller judges that. */
  readonly endedAt: number | null;
  /** Whether a NUL byte ended the text. */
  readonly ended: boolean;
  /** Frees the converter; any later call but close() throws. */
  close(): void;
}

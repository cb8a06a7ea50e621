// qorvel: runs the suite's converters and Velmar's layout on files and pipes.

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// after windows.h, which it builds on
#include <shellapi.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/args.h"
#include "cli/batch.h"
#include "cli/console.h"
#include "cli/whole_input.h"
#include "codec/registry.h"
#include "fileio/convert_file.h"
#include "fileio/files.h"
#include "fileio/interrupt.h"
#include "cp936/cp936.h"
#include "layout/html.h"
#include "layout/layout.h"
#ifdef _WIN32
#include "fileio/win32_text.h"
#endif

#ifndef QORVEL_VERSION
#define QORVEL_VERSION "0"
#endif

namespace qorvel::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitIo = 1;
constexpr int kExitUsage = 2;
constexpr int kExitLost = 3;  // --strict, and bytes were dropped or not read

const char kMainHelp[] =
    "Usage: qorvel COMMAND [OPTION]... [FILE]\n"
    "Converts traditional Mongolian text between legacy glyph codes and lays\n"
    "Qorvel text out for web pages. Text is code page 936 bytes throughout.\n"
    "\n"
    "Commands:\n"
    "  layout    wrap a Qorvel text and write its web-format text\n"
    "  convert   convert a text from another code into Qorvel code\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help (or 'qorvel COMMAND --help')\n"
    "  -V, --version  show the version\n"
    "\n"
    "With no FILE, or when FILE is -, input is read from standard input and\n"
    "output goes to standard output.\n"
    "Bytes that a code writes nothing for are dropped, and a NUL byte ends a text:\n"
    "a line on standard error says how many bytes and where (see --strict).\n"
    "Exit status: 0 on success, 1 on an input or output error, 2 on a usage error,\n"
    "3 when --strict was given and bytes were dropped or the text ended early,\n"
    "128 + N when stopped by signal N (Ctrl+C, SIGTERM, SIGHUP): an existing output\n"
    "file is then left as it was.\n";

const char kLayoutHelp[] =
    "Usage: qorvel layout [--line-height N] [--wrapped | --html | --html-fragment]\n"
    "                     [--font-face NAME] [--font-size N] [--font-url URL]\n"
    "                     [--strict] [-q] [-o OUT] [IN]\n"
    "Lays out the Qorvel text of IN as Velmar does and writes its web-format\n"
    "text: the wrapped lines in reverse order, each preceded by CR LF.\n"
    "The text ends at its first NUL byte; when more than NULs follow it, a line\n"
    "on standard error says where.\n"
    "\n"
    "  -l, --line-height N  wrap width in system-font pixels (default 500;\n"
    "                       8 per single-byte, 16 per double-byte character;\n"
    "                       compared unsigned, so a negative value never wraps)\n"
    "  -w, --wrapped        write the wrapped text instead\n"
    "      --html           write an HTML document (UTF-8) instead: each wrapped\n"
    "                       line one vertical column, left to right, as today's\n"
    "                       browsers lay vertical text out themselves\n"
    "      --html-fragment  the same columns as an HTML fragment, to paste\n"
    "      --font-face NAME the font of the HTML (default QorvelWebTolvane)\n"
    "      --font-size N    its size as Velmar's font size, 1 to 1000 (default 7):\n"
    "                       2.5 N pixels high, columns 3 N pixels apart\n"
    "      --font-url URL   where readers without the font get it (@font-face)\n"
    "  -o, --output OUT     write to OUT (default standard output)\n"
    "  -s, --strict         when the text ends early, exit with status 3 and\n"
    "                       write no output file\n"
    "  -q, --quiet          no line about where the text ended\n"
    "  -h, --help           show this help\n";

std::string ConvertHelp() {
  std::string help =
      "Usage: qorvel convert --from CODE [--keep] [--strict] [-q] [-o OUT] [IN]\n"
      "       qorvel convert --from CODE [--keep] [--strict] -O DIR [-j N] FILE...\n"
      "       qorvel convert --list\n"
      "Converts IN from CODE into Qorvel code and writes the result to OUT.\n"
      "With -O, converts every FILE into DIR as NAME_qv.txt (book.txt gives\n"
      "book_qv.txt), going on past a file that fails; each failure is named,\n"
      "a summary line ends the run, and the exit status is 1 if any file failed.\n"
      "\n"
      "  -f, --from CODE       the code of the input (see --list)\n"
      "  -o, --output OUT      write to OUT (default standard output); an existing\n"
      "                        file is replaced only once the output is complete\n"
      "  -O, --output-dir DIR  write each FILE's output into the folder DIR\n"
      "  -j, --jobs N          convert N files at once (default the number of\n"
      "                        cores; at most 16, so that Ctrl+C can remove\n"
      "                        every temporary file)\n"
      "  -k, --keep            keep text of another script (Chinese, control\n"
      "                        bytes) that the code would drop, as it stands\n"
      "  -s, --strict          when bytes are dropped or a NUL ends the text\n"
      "                        early, exit with status 3 and write no output file\n"
      "                        (with -O: such a file fails)\n"
      "  -l, --list            list the codes\n"
      "  -q, --quiet           no progress bar, no line about dropped bytes\n"
      "                        (with -O: no line per file done)\n"
      "  -h, --help            show this help\n"
      "\n"
      "A line on standard error names every input whose conversion dropped bytes\n"
      "(with their count and the offsets of the first five) or ended at a NUL\n"
      "byte with more than NULs after it.\n"
      "\nCodes:\n";
  for (const Codec& mode : Codecs())
    help += "  " + std::string(mode.name) + std::string(16 - std::min<std::size_t>(15, std::strlen(mode.name)), ' ') +
            mode.description + "\n";
  return help;
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(2) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

void Error(const std::string& message) { WriteText(stderr, "qorvel: " + message + "\n"); }

// The line height as Velmar keeps it: a 32-bit int compared unsigned.
std::uint32_t ParseLineHeight(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > UINT32_MAX)
    throw UsageError("invalid line height '" + text + "' (a whole number, at most " +
                     std::to_string(UINT32_MAX) + ")");
  return static_cast<std::uint32_t>(value);
}

std::string OneInput(const ParsedArgs& args) {
  if (args.operands.size() > 1) throw UsageError("more than one input file given");
  return args.operands.empty() ? std::string("-") : args.operands[0];
}

// The layout's blocks go straight to the output.
class OutputSink final : public ByteSink {
 public:
  explicit OutputSink(AtomicOutput& output) : output_(output) {}
  void Write(std::string_view bytes) override { output_.Write(bytes); }

 private:
  AtomicOutput& output_;
};

// Ends a run of `in` into `output` (named `out`) that lost `reasons`: under
// --strict a file that would miss bytes is not written (on standard output
// the bytes are gone already, and the status says so all the same), and the
// loss is an error, always said; else it is said unless quiet. Returns the
// exit status.
int EndRun(const std::string& in, const std::string& out, AtomicOutput& output,
           const std::vector<std::string>& reasons, const ParsedArgs& args) {
  const bool strict = args.Has("strict");
  const bool write = !strict || reasons.empty() || IsStdStream(out);
  if (write) output.Commit();
  if (!args.Has("quiet") || (strict && !reasons.empty()))
    for (const std::string& reason : reasons) Error(InputName(in) + ": " + reason);
  if (!strict || reasons.empty()) return kExitOk;
  if (!write) Error(InputName(out) + ": not written (--strict)");
  return kExitLost;
}

// The HTML look from the options; face and URL are UTF-8 as given.
struct HtmlOptions {
  std::string face{kDefaultHtmlFace};
  std::string fontUrl;
  std::int32_t size = kDefaultHtmlSize;
  HtmlLook Look() const { return {face, size, fontUrl}; }
};

HtmlOptions ParseHtmlOptions(const ParsedArgs& args) {
  HtmlOptions options;
  if (const auto face = args.Value("font-face")) {
    if (face->empty()) throw UsageError("empty font face");
    options.face = *face;
  }
  options.fontUrl = args.Value("font-url").value_or("");
  if (const auto size = args.Value("font-size")) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(size->c_str(), &end, 10);
    if (size->empty() || *end != '\0' || errno == ERANGE || value < 1 || value > 1000)
      throw UsageError("invalid font size '" + *size + "' (a whole number from 1 to 1000)");
    options.size = static_cast<std::int32_t>(value);
  }
  return options;
}

int RunLayout(const std::vector<std::string>& argv) {
  const ParsedArgs args = ParseArgs(argv, {{"line-height", 'l', true},
                                           {"wrapped", 'w', false},
                                           {"html", 0, false},
                                           {"html-fragment", 0, false},
                                           {"font-face", 0, true},
                                           {"font-size", 0, true},
                                           {"font-url", 0, true},
                                           {"output", 'o', true},
                                           {"strict", 's', false},
                                           {"quiet", 'q', false},
                                           {"help", 'h', false}});
  if (args.Has("help")) {
    WriteText(stdout, kLayoutHelp);
    return kExitOk;
  }
  const std::uint32_t lineHeight =
      ParseLineHeight(args.Value("line-height").value_or(std::to_string(kDefaultLineHeight)));
  const int forms = args.Has("wrapped") + args.Has("html") + args.Has("html-fragment");
  if (forms > 1) throw UsageError("--wrapped, --html and --html-fragment exclude each other");
  const bool html = args.Has("html") || args.Has("html-fragment");
  const HtmlOptions htmlOptions = ParseHtmlOptions(args);
  if (!html && (args.Has("font-face") || args.Has("font-size") || args.Has("font-url")))
    throw UsageError("--font-face, --font-size and --font-url go with --html or --html-fragment");
  const std::string in = OneInput(args);
  const std::string out = args.Value("output").value_or("-");
  RefuseSameFile(in, out);
  InputFile input(in);
  const WholeInput source(input);
  AtomicOutput output(out);
  OutputSink sink(output);
  const std::string_view bytes = source.Bytes();
  if (html) {
    output.Write(VerticalHtml(WrapText(bytes, lineHeight), Cp936ToUtf8, htmlOptions.Look(),
                              args.Has("html") ? HtmlForm::kDocument : HtmlForm::kFragment));
  } else {
    WriteLayout(bytes, lineHeight, args.Has("wrapped") ? LayoutText::kWrapped : LayoutText::kWeb, sink);
  }
  // The layout drops nothing; its text ends at the first NUL.
  ConversionResult result;
  if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos) {
    result.endedAtNul = true;
    result.consumed = nul + 1;
    result.endedEarly = EndsEarly(bytes.substr(nul + 1));
    result.bytesAfter = bytes.size() - result.consumed;
  }
  return EndRun(in, out, output, LossReasons(result, nullptr, "laid out"), args);
}

// A progress bar on standard error, for large inputs on a terminal.
class TerminalProgress final : public ProgressSink {
 public:
  void OnProgress(std::uint64_t done, std::uint64_t total) override {
    if (total == 0) return;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == last_) return;
    last_ = percent;
    const int filled = percent * 40 / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(40 - filled), ' ').c_str(), percent);
    if (percent >= 100) std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  int last_ = -1;
};

constexpr std::uint64_t kProgressBarFrom = 16ull << 20;

unsigned ParseJobs(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < 1)
    throw UsageError("invalid number of jobs '" + text + "' (a whole number, at least 1)");
  return static_cast<unsigned>(std::min<long long>(value, kMaxJobs));
}

unsigned DefaultJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::min(cores == 0 ? 1u : cores, kMaxJobs);
}

int RunConvertBatch(const Codec& mode, const ParsedArgs& args) {
  if (args.Has("output")) throw UsageError("-O and -o cannot go together");
  if (args.operands.empty()) throw UsageError("-O needs the files to convert");
  for (const std::string& in : args.operands)
    if (IsStdStream(in)) throw UsageError("-O converts files, not standard input");
  BatchOptions options;
  options.jobs = args.Has("jobs") ? ParseJobs(*args.Value("jobs")) : DefaultJobs();
  options.progressLines = !args.Has("quiet") && StderrIsTerminal();
  options.lossLines = !args.Has("quiet");
  options.convert.keep = args.Has("keep");
  options.onLoss = args.Has("strict") ? LossRule::kRefuse : LossRule::kWrite;
  return RunBatch(mode, *args.Value("output-dir"), args.operands, options);
}

int RunConvert(const std::vector<std::string>& argv) {
  const ParsedArgs args = ParseArgs(argv, {{"from", 'f', true},
                                           {"output", 'o', true},
                                           {"output-dir", 'O', true},
                                           {"jobs", 'j', true},
                                           {"list", 'l', false},
                                           {"keep", 'k', false},
                                           {"strict", 's', false},
                                           {"quiet", 'q', false},
                                           {"help", 'h', false}});
  if (args.Has("help")) {
    WriteText(stdout, ConvertHelp());
    return kExitOk;
  }
  if (args.Has("list")) {
    std::string list;
    for (const Codec& mode : Codecs()) list += std::string(mode.name) + "\t" + mode.description + "\n";
    WriteText(stdout, list);
    return kExitOk;
  }
  const auto from = args.Value("from");
  if (!from) throw UsageError("convert needs --from CODE (see 'qorvel convert --list')");
  const Codec* mode = FindCodec(*from);
  if (!mode) throw UsageError("unknown code '" + *from + "' (see 'qorvel convert --list')");
  if (args.Has("output-dir")) return RunConvertBatch(*mode, args);
  if (args.Has("jobs")) throw UsageError("-j goes with -O");
  const std::string in = OneInput(args);
  const std::string out = args.Value("output").value_or("-");
  RefuseSameFile(in, out);

  InputFile input(in);
  AtomicOutput output(out);
  TerminalProgress bar;
  const bool showBar = !args.Has("quiet") && StderrIsTerminal() &&
                       input.Size().value_or(0) >= kProgressBarFrom;
  auto converter = mode->make({.keep = args.Has("keep")});
  const ConversionResult result = RunConversion(input, *converter, output, showBar ? &bar : nullptr);
  return EndRun(in, out, output, LossReasons(result, mode->name, "converted"), args);
}

int Main(std::vector<std::string> args) {
  if (args.empty()) {
    WriteText(stderr, kMainHelp);
    return kExitUsage;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  try {
    if (command == "-h" || command == "--help" || command == "help") {
      WriteText(stdout, kMainHelp);
      return kExitOk;
    }
    if (command == "-V" || command == "--version") {
      WriteText(stdout, "qorvel " QORVEL_VERSION "\n");
      return kExitOk;
    }
    if (command == "layout") return RunLayout(args);
    if (command == "convert") return RunConvert(args);
    throw UsageError("unknown command '" + command + "'");
  } catch (const UsageError& e) {
    Error(e.what());
    WriteText(stderr, "Try 'qorvel --help'.\n");
    return kExitUsage;
  } catch (const IoError& e) {
    Error(e.what());
    return kExitIo;
  } catch (const std::bad_alloc&) {
    Error("out of memory: the output is not written, an existing output file is left as it was");
    return kExitIo;
  } catch (const std::exception& e) {
    // Whatever else goes wrong ends the run the same way: a message, and
    // the temporary output removed as the stack unwinds to here.
    Error(std::string("unexpected failure: ") + e.what());
    return kExitIo;
  } catch (...) {
    Error("unexpected failure");
    return kExitIo;
  }
}

}  // namespace
}  // namespace qorvel::cli

int main(int argc, char** argv) {
  // An interrupted conversion leaves no temporary file beside its output.
  qorvel::InstallInterruptCleanup();
#ifdef _WIN32
  // The bytes of a text go through unchanged, with no CR LF translation.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  // argv holds the arguments in the ANSI code page, which cannot spell every
  // file name; the UTF-16 command line can. Names are UTF-8 from here on.
  (void)argc;
  (void)argv;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide && i < count; ++i) args.push_back(qorvel::Narrow(wide[i]));
  if (wide) LocalFree(wide);
  return qorvel::cli::Main(std::move(args));
#else
  return qorvel::cli::Main(std::vector<std::string>(argv + 1, argv + argc));
#endif
}

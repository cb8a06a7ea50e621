#pragma once
// One file conversion started from a converter dialog, step by step. Each
// step shows its failure in a message box (the given first line, then the
// file and the reason), empties the progress bar and returns false; the
// command then ends. The streams are closed, and an unfinished output
// removed, when a step fails and when the object goes: an existing output
// file is replaced only by Commit, with the whole converted text, and the
// bar is then full. When the user closes the dialog during the run,
// Convert and Commit return false without a message and the output is left
// as it was.
//
//   CConversionRun run(*this);
//   if (!run.Start("请输入...", "请输入...", "Open File 1 Error !")) return;
//   SetProgressRange(run.InputSize() + 1);
//   ...
//   if (!run.OpenInput(...) || !run.OpenOutput(...)) return;
//   if (!run.Convert(converter)) return;
//   if (!run.Commit()) return;

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "codec/stream_converter.h"
#include "fileio/convert_file.h"
#include "fileio/files.h"

class CConvDialog;

class CConversionRun {
 public:
  explicit CConversionRun(CConvDialog& dlg) : m_dlg(dlg) {}
  CConversionRun(const CConversionRun&) = delete;
  CConversionRun& operator=(const CConversionRun&) = delete;

  // The checks before anything is written, on the paths as typed in the
  // edits ("-" names a file called "-" here): an empty input or output
  // path is asked for with `askInput` or `askOutput` alone; an output that
  // names the input file is refused; then the counting pass opens the
  // input once to learn its size (failures headed by `openFailText`).
  bool Start(std::string_view askInput, std::string_view askOutput, std::string_view openFailText);
  std::uint64_t InputSize() const { return m_nInputSize; }

  // Opens the input for the conversion pass.
  bool OpenInput(std::string_view failText);
  // Opens the output: a temporary file beside it until Commit.
  bool OpenOutput(std::string_view failText);

  // Converts the whole input into the output (Result() then says what it
  // dropped and where its text ended). The bar follows the driver's
  // reports of bytes done out of the input's size (before the first byte,
  // every kProgressStep bytes and at the end), scaled to the range the
  // dialog set; the window is repainted after each (CConvDialog::UpdateWindow),
  // and the run stops there if the dialog has been closed.
  bool Convert(qorvel::StreamConverter& converter);

  // Makes the output final, closes both files and fills the progress bar.
  bool Commit();

  const qorvel::ConversionResult& Result() const { return m_result; }

  // The options the dialog's "保留其他文字" box asks for.
  static qorvel::ConvertOptions Options(const CConvDialog& dlg);
  // What follows "转换结束" when something was lost: a line each for the
  // bytes dropped and for a text that a NUL ended early; "" otherwise.
  static std::string LossLines(const qorvel::ConversionResult& result);

 private:
  // Runs one step of the run. Its failures are shown headed by `failText`
  // (by `readFailText`, when given, for a read error), and any unexpected
  // one (out of memory, say) by the message for those; each ends the run.
  template <class Fn>
  bool Step(std::string_view failText, Fn fn, std::string_view readFailText = {});
  void Close();
  void Fail(std::string_view firstLine, const QString& reason);

  CConvDialog& m_dlg;
  std::string m_inPath;
  std::string m_outPath;
  std::uint64_t m_nInputSize = 0;
  std::optional<qorvel::InputFile> m_in;
  std::optional<qorvel::AtomicOutput> m_out;
  qorvel::ConversionResult m_result;
};

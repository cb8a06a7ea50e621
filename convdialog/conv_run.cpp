#include "convdialog/conv_run.h"

#include <algorithm>
#include <exception>
#include <new>

#include "convdialog/conv_dialog.h"
#include "convdialog/conv_messages.h"
#include "fileio/progress.h"
#include "platform/failure_text.h"
#include "platform/file_names.h"

using qorvel::IoError;
using qorvel::platform::FailureText;
using qorvel::StreamConverter;

namespace {

// Thrown out of a progress report once the user has closed the dialog.
struct CRunStopped {};

// Moves the dialog's bar with the driver's reports and lets the window
// repaint; the user may close the dialog meanwhile.
class CDialogProgress final : public qorvel::ProgressSink {
 public:
  explicit CDialogProgress(CConvDialog& dlg) : m_dlg(dlg) {}
  void OnProgress(std::uint64_t done, std::uint64_t total) override {
    m_dlg.SetProgressDone(done, total);
    m_dlg.UpdateWindow();
    if (m_dlg.HasEnded()) throw CRunStopped{};
  }

 private:
  CConvDialog& m_dlg;
};

}  // namespace

template <class Fn>
bool CConversionRun::Step(std::string_view failText, Fn fn, std::string_view readFailText) {
  try {
    fn();
    return true;
  } catch (const IoError& e) {
    const bool read = e.kind() == IoError::Kind::ReadInput && !readFailText.empty();
    Fail(read ? readFailText : failText, FailureText(e));
  } catch (const CRunStopped&) {
    Close();  // the dialog is gone: no message, and no temporary file left
  } catch (const std::bad_alloc&) {
    Fail(kConvMsgUnexpected, QStringLiteral("内存不足"));
  } catch (const std::exception& e) {
    Fail(kConvMsgUnexpected, FailureText(e));
  } catch (...) {
    Fail(kConvMsgUnexpected, QStringLiteral("未知错误"));
  }
  return false;
}

bool CConversionRun::Start(std::string_view askInput, std::string_view askOutput, std::string_view openFailText) {
  const QString strInput = m_dlg.GetDlgItemText(IDC_INPUT);
  if (strInput.isEmpty()) {
    m_dlg.ShowMessage(askInput);
    return false;
  }
  const QString strOutput = m_dlg.GetDlgItemText(IDC_OUTPUT);
  if (strOutput.isEmpty()) {
    m_dlg.ShowMessage(askOutput);
    return false;
  }
  m_inPath = qorvel::platform::FileNameBytes(strInput);
  m_outPath = qorvel::platform::FileNameBytes(strOutput);
  return Step(kConvMsgSameFile, [&] { qorvel::RefuseSameFile(m_inPath, m_outPath); }) && Step(openFailText, [&] {
           const qorvel::InputFile in(m_inPath);
           m_nInputSize = in.Size().value_or(0);
         });
}

bool CConversionRun::OpenInput(std::string_view failText) {
  return Step(failText, [&] { m_in.emplace(m_inPath); });
}

bool CConversionRun::OpenOutput(std::string_view failText) {
  return Step(failText, [&] { m_out.emplace(m_outPath); });
}

bool CConversionRun::Convert(StreamConverter& converter) {
  CDialogProgress progress(m_dlg);
  return Step(kConvMsgWriteError, [&] { m_result = qorvel::RunConversion(*m_in, converter, *m_out, &progress); },
              kConvMsgReadError);
}

qorvel::ConvertOptions CConversionRun::Options(const CConvDialog& dlg) {
  return {.keep = dlg.IsDlgButtonChecked(IDC_KEEP)};
}

std::string CConversionRun::LossLines(const qorvel::ConversionResult& result) {
  // Appended piece by piece: GCC 12 for Windows sees a false overlap in a
  // chain of + at -O3.
  std::string lines;
  const qorvel::Drops& d = result.dropped;
  if (d.count > 0) {
    lines.append("\n有 ").append(std::to_string(d.count)).append(" 个字节无法转换，已略去（第一个在第 ");
    lines.append(std::to_string(d.first[0])).append(" 字节）。");
  }
  if (result.endedEarly) {
    lines.append("\n文本在第 ").append(std::to_string(result.consumed - 1)).append(" 字节的 NUL 处结束，其后");
    if (result.bytesAfter) lines.append(" ").append(std::to_string(*result.bytesAfter)).append(" 个字节未转换。");
    else lines.append("的字节未转换。");
  }
  return lines;
}

bool CConversionRun::Commit() {
  if (m_dlg.HasEnded()) {  // closed while the window was repainted: the run stops short
    Close();
    return false;
  }
  if (!Step(kConvMsgWriteError, [&] { m_out->Commit(); })) return false;
  Close();
  m_dlg.SetProgressPos(m_dlg.GetProgressMax());  // the whole file is done
  return true;
}

void CConversionRun::Close() {
  m_out.reset();  // removes the temporary file unless committed
  m_in.reset();
}

void CConversionRun::Fail(std::string_view firstLine, const QString& reason) {
  // Nothing stays open (and no temporary file stays behind) while the
  // message is on the screen, and the bar shows that nothing was done.
  Close();
  m_dlg.SetProgressPos(0);
  m_dlg.ShowMessage(std::string(firstLine) + "\n\n" + reason.toStdString());
}

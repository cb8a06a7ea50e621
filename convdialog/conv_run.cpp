#include "convdialog/conv_run.h"

#include <QFile>
#include <algorithm>

#include "convdialog/conv_dialog.h"
#include "convdialog/conv_messages.h"
#include "fileio/progress.h"

using qorvel::IoError;
using qorvel::StreamConverter;

namespace {

// A path from an edit as the file system spells it. The dialogs name files
// only: "-" is a file called "-", not standard input or output.
std::string FilePath(const QString& path) {
  std::string bytes = QFile::encodeName(path).toStdString();
  if (qorvel::IsStdStream(bytes)) bytes = "./" + bytes;
  return bytes;
}

// Calls back on every progress report of the conversion driver.
class CProgressCallback final : public qorvel::ProgressSink {
 public:
  explicit CProgressCallback(const std::function<void()>& onProgress) : m_onProgress(onProgress) {}
  void OnProgress(std::uint64_t, std::uint64_t) override { m_onProgress(); }

 private:
  const std::function<void()>& m_onProgress;
};

// Thrown out of a progress report once the user has closed the dialog.
struct CRunStopped {};

}  // namespace

CConversionRun::CConversionRun(CConvDialog& dlg, const QString& strInput, const QString& strOutput)
    : m_dlg(dlg), m_inPath(FilePath(strInput)), m_outPath(FilePath(strOutput)) {}

bool CConversionRun::RefuseSameFile() {
  try {
    qorvel::RefuseSameFile(m_inPath, m_outPath);
  } catch (const IoError& e) {
    Fail(kConvMsgSameFile, e);
    return false;
  }
  return true;
}

bool CConversionRun::CountInput(std::string_view failText) {
  try {
    const qorvel::InputFile in(m_inPath);
    m_nInputSize = in.Size().value_or(0);
  } catch (const IoError& e) {
    Fail(failText, e);
    return false;
  }
  return true;
}

bool CConversionRun::OpenInput(std::string_view failText) {
  try {
    m_in.emplace(m_inPath);
  } catch (const IoError& e) {
    Fail(failText, e);
    return false;
  }
  return true;
}

bool CConversionRun::OpenOutput(std::string_view failText) {
  try {
    m_out.emplace(m_outPath);
  } catch (const IoError& e) {
    Fail(failText, e);
    return false;
  }
  return true;
}

bool CConversionRun::Convert(StreamConverter& converter, const std::function<void()>& onProgress) {
  const std::function<void()> report = [&] {
    onProgress();
    m_dlg.UpdateWindow();
    if (m_dlg.HasEnded()) throw CRunStopped{};
  };
  // The driver reports at the start, every 64 KiB of input and at the end.
  CProgressCallback progress(report);
  try {
    m_result = qorvel::RunConversion(*m_in, converter, *m_out, &progress);
  } catch (const IoError& e) {
    Fail(e.kind() == IoError::Kind::ReadInput ? kConvMsgReadError : kConvMsgWriteError, e);
    return false;
  } catch (const CRunStopped&) {
    Close();  // the dialog is gone: no message, and no temporary file left
    return false;
  }
  return true;
}

std::uint64_t CConversionRun::Reads() const { return m_result.consumed + (m_result.endedAtNul ? 0 : 1); }

bool CConversionRun::Commit() {
  if (m_dlg.HasEnded()) {  // closed while the window was repainted: the run stops short
    Close();
    return false;
  }
  try {
    m_out->Commit();
  } catch (const IoError& e) {
    Fail(kConvMsgWriteError, e);
    return false;
  }
  Close();
  m_dlg.SetProgressPos(m_dlg.GetProgressMax());  // the whole file is done
  return true;
}

void CConversionRun::Close() {
  m_out.reset();  // removes the temporary file unless committed
  m_in.reset();
}

void CConversionRun::Fail(std::string_view firstLine, const IoError& error) {
  // Nothing stays open (and no temporary file stays behind) while the
  // message is on the screen, and the bar shows that nothing was done.
  Close();
  m_dlg.SetProgressPos(0);
  m_dlg.ShowMessage(std::string(firstLine) + "\n\n" + QString::fromLocal8Bit(error.what()).toStdString());
}

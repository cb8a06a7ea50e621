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

// Hands the input to the converter in slices of kProgressStep bytes and
// reports after each slice, so that progress moves (and the window
// repaints) every 64 KiB of input whatever the size of the chunks read.
class CSlicedConverter final : public StreamConverter {
 public:
  CSlicedConverter(StreamConverter& inner, const std::function<void()>& onSlice)
      : m_inner(inner), m_onSlice(onSlice) {}

  bool Feed(std::string_view chunk, std::string& out) override {
    while (!chunk.empty()) {
      const std::size_t n = std::min<std::size_t>(chunk.size(), qorvel::kProgressStep);
      const bool more = m_inner.Feed(chunk.substr(0, n), out);
      chunk.remove_prefix(n);
      m_onSlice();
      if (!more) return false;
    }
    return true;
  }
  void Finish(std::string& out) override { m_inner.Finish(out); }
  std::uint64_t Consumed() const override { return m_inner.Consumed(); }

 private:
  StreamConverter& m_inner;
  const std::function<void()>& m_onSlice;
};

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
  };
  CSlicedConverter sliced(converter, report);
  report();
  try {
    m_result = qorvel::RunConversion(*m_in, sliced, *m_out, nullptr);
  } catch (const IoError& e) {
    Fail(e.kind() == IoError::Kind::ReadInput ? kConvMsgReadError : kConvMsgWriteError, e);
    return false;
  }
  report();
  return true;
}

std::uint64_t CConversionRun::Reads() const { return m_result.consumed + (m_result.endedAtNul ? 0 : 1); }

bool CConversionRun::Commit() {
  try {
    m_out->Commit();
  } catch (const IoError& e) {
    Fail(kConvMsgWriteError, e);
    return false;
  }
  m_out.reset();
  m_in.reset();
  return true;
}

void CConversionRun::Fail(std::string_view firstLine, const IoError& error) {
  // Nothing stays open (and no temporary file stays behind) while the
  // message is on the screen.
  m_out.reset();
  m_in.reset();
  m_dlg.ShowMessage(std::string(firstLine) + "\n\n" + QString::fromLocal8Bit(error.what()).toStdString());
}

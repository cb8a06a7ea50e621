#include "platform/failure_text.h"

#include <QStringDecoder>

#include "fileio/files.h"
#include "platform/file_names.h"

namespace qorvel::platform {

QString ReasonText(std::string_view reason) {
  const QByteArrayView bytes(reason.data(), static_cast<qsizetype>(reason.size()));
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  return utf8.hasError() ? QString::fromLocal8Bit(bytes) : text;
}

QString FailureText(const std::exception& e) {
  const auto* io = dynamic_cast<const IoError*>(&e);
  if (!io || io->path().empty()) return ReasonText(e.what());
  const char* verb = "无法写入";
  QString reason = ReasonText(io->reason());
  switch (io->kind()) {
    case IoError::Kind::OpenInput: verb = "无法打开"; break;
    case IoError::Kind::ReadInput: verb = "无法读取"; break;
    case IoError::Kind::SameFile: reason = QStringLiteral("它就是输入文件"); break;
    case IoError::Kind::OpenOutput:
    case IoError::Kind::WriteOutput: break;
  }
  return QString::fromUtf8(verb) + u'“' + FileNameText(io->path()) + QStringLiteral("”：") + reason;
}

}  // namespace qorvel::platform

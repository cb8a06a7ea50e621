#pragma once
// A file name from a dialog or an edit, as the core's file functions take
// it: the system's own bytes on Linux, UTF-8 on Windows (where the core
// opens files by their UTF-16 names, and the ANSI code page could not spell
// every name). The dialogs name files only: "-" is a file called "-" here,
// not standard input or output.

#include <QFile>
#include <QString>
#include <string>

#include "fileio/files.h"

namespace qorvel::platform {

inline std::string FileNameBytes(const QString& path) {
#ifdef Q_OS_WIN
  std::string bytes = path.toStdString();
#else
  std::string bytes = QFile::encodeName(path).toStdString();
#endif
  if (IsStdStream(bytes)) bytes = "./" + bytes;
  return bytes;
}

// A file name of the core's, as the user reads it.
inline QString FileNameText(const std::string& bytes) {
#ifdef Q_OS_WIN
  return QString::fromStdString(bytes);
#else
  return QFile::decodeName(QByteArray::fromStdString(bytes));
#endif
}

}  // namespace qorvel::platform

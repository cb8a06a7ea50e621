#pragma once
// The programs' application object. Qt cannot carry an exception out of an
// event handler: one that escapes a command ends the process. A command
// that runs out of memory (a huge file opened or pasted) or fails in a way
// nobody expected instead ends with a message, and the program goes on with
// the state the command left; the commands change their text only once the
// new bytes are complete.
//
//   qorvel::platform::Application app(argc, argv, "Qorvel蒙文软件:");

#include <QApplication>
#include <QString>
#include <exception>

namespace qorvel::platform {

class Application final : public QApplication {
 public:
  // `caption` heads the message box of a failed command.
  Application(int& argc, char** argv, const QString& caption);
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  // Shows `text` (UTF-8), followed by what `reason` says if given.
  void Report(const char* text, const std::exception* reason) noexcept;

  QString m_strCaption;
};

}  // namespace qorvel::platform

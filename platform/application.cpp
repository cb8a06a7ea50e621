#include "platform/application.h"

#include <exception>
#include <new>

#include "platform/failure_text.h"
#include "platform/ui.h"

namespace qorvel::platform {

Application::Application(int& argc, char** argv, const QString& caption)
    : QApplication(argc, argv), m_strCaption(caption) {}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc&) {
    Report("内存不足：命令没有完成。", nullptr);
  } catch (const std::exception& e) {
    Report("命令没有完成：", &e);
  } catch (...) {
    Report("命令没有完成。", nullptr);
  }
  return false;
}

void Application::Report(const char* text, const std::exception* reason) noexcept {
  // The box itself needs memory; without it the failure goes unreported
  // rather than ending the program.
  try {
    QString message = QString::fromUtf8(text);
    if (reason) message += FailureText(*reason);
    CurrentUi().MessageBox(activeWindow(), message, m_strCaption);
  } catch (...) {
  }
}

}  // namespace qorvel::platform

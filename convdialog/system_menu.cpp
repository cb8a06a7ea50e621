#include "convdialog/system_menu.h"

#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>

#include <string>
#endif

#ifdef Q_OS_WIN

bool AppendSystemMenuItem(QWidget& window, unsigned id, const QString& text) {
  HMENU hSysMenu = ::GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE);
  if (hSysMenu == nullptr) return false;
  const std::wstring item = text.toStdWString();
  ::AppendMenuW(hSysMenu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(hSysMenu, MF_STRING, id, item.c_str());
  return true;
}

bool GetSysCommand(const QByteArray& eventType, void* message, unsigned& nID, std::intptr_t& lParam) {
  if (eventType != "windows_generic_MSG") return false;
  const MSG* msg = static_cast<const MSG*>(message);
  if (msg->message != WM_SYSCOMMAND) return false;
  nID = static_cast<unsigned>(msg->wParam);
  lParam = static_cast<std::intptr_t>(msg->lParam);
  return true;
}

#else

bool AppendSystemMenuItem(QWidget&, unsigned, const QString&) { return false; }

bool GetSysCommand(const QByteArray&, void*, unsigned&, std::intptr_t&) { return false; }

#endif

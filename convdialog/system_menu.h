#pragma once
// The window's native system menu, on the platforms that give access to it
// (Windows). Elsewhere there is none and these do nothing.

#include <QByteArray>
#include <QString>
#include <cstdint>

class QWidget;

// Appends a separator and then the item `text` with command `id` to the
// system menu of `window`. False when the window has no system menu here.
bool AppendSystemMenuItem(QWidget& window, unsigned id, const QString& text);

// When the native message is a system command (WM_SYSCOMMAND): its command
// id and position argument.
bool GetSysCommand(const QByteArray& eventType, void* message, unsigned& nID, std::intptr_t& lParam);

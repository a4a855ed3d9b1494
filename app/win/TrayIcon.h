#pragma once

#include "base/String.h"

#include <windows.h>
#include <shellapi.h>

// The program's icon in the notification area. Its notifications arrive at
// the window as message callbackMessage with the mouse message in lParam.
namespace TrayIcon {

constexpr UINT callbackMessage = WM_USER + 1;
constexpr UINT iconId = 1;

// Fills the record and adds the icon (up to 10 attempts, 100 ms apart), then
// makes sure the taskbar does not keep its button hidden. False when the icon
// could not be added.
bool add(NOTIFYICONDATAW& record, HWND window, HICON icon, const String& tooltip);

// Shows the icon's button in the classic notification toolbar if it is hidden
// there; returns the button's screen rectangle, all zero when not found.
RECT revealButton(const NOTIFYICONDATAW& record);

// Removes the icon; a record that was never added is left alone.
void remove(NOTIFYICONDATAW& record);

} // namespace TrayIcon

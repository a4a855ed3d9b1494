#pragma once

// One running program per executable name. acquire() takes a mutex named
// after the executable's file name and keeps it for the life of the process.
// When another instance holds it (or no mutex can be had), it asks the other
// instance to show its main window (WM_SETTINGCHANGE broadcast with wParam
// 0xFFFE) and returns false.
namespace SingleInstance {

bool acquire();

// wParam of the broadcast that a second start sends.
constexpr unsigned showRequest = 0xFFFE;

} // namespace SingleInstance

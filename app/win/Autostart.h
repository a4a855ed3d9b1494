#pragma once

#include "base/String.h"

// The autostart entry of the current user: a value under the "Run" key and a
// shortcut in the Startup folder, both named after the product.
namespace Autostart {

bool isEnabled(const String& name);
void setRunValue(const String& name, bool enable);
void setShortcut(const String& name, bool enable);

} // namespace Autostart

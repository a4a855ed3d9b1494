#pragma once

#include "base/String.h"

#include <windows.h>

// Opens HKEY_CURRENT_USER\Software\<name>; creates it first when `create` is
// set and it is missing. Returns the open key, or null.
HKEY openAppKey(const String& name, bool create);

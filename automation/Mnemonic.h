#pragma once

#include "base/String.h"

// A control's text as it is shown and as UI Automation names the control: a
// single '&' marks the next character as the mnemonic and is dropped, "&&"
// stands for one '&'.
String withoutMnemonic(const String& text);

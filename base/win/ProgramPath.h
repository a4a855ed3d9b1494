#pragma once

#include "base/String.h"

// The full path of the running executable, at most 260 characters.
String programPath();

#pragma once

#include "automation/AutomationClient.h"

#include <optional>
#include <vector>
#include <windows.h>

// The running processes and their executables, through the process status API.

// Every process id, in the system's order; the buffer grows until all fit. Empty
// when the list cannot be read.
std::vector<DWORD> runningProcessIds();

// Base name and path of the process's first module (its executable), opened with
// query-information and read-memory access; nullopt when it cannot be opened or
// its modules cannot be listed.
std::optional<ProcessModule> firstModuleOf(DWORD processId);

// The file name of the process's executable alone (the base name of its first
// module), opened as above but read from the system's record of the process.
std::optional<String> firstModuleBaseName(DWORD processId);

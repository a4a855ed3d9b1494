#pragma once

#include "base/String.h"

// An operating system that tickets refer to, as the service lists it.
struct OsEntry {
    int id = 0;
    int idPlatform = 0;
    int major = 0;
    int minor = 0;
    int buildNo = 0;
    String desc;
};

#pragma once

#include "base/String.h"

// A language in which questions are asked, as the service lists it.
struct LocaleEntry {
    int id = 0;
    // The Windows locale identifier of the language.
    int microsoftLcid = 0;
    String description;
};

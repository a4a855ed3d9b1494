#pragma once

#include "base/String.h"

// One software of the catalogue, or the software read from a picked window. The
// field names are those of the service's reply members.
struct SoftwareEntry {
    int id = 0; // catalogue id; 0 for a picked software without a catalogue entry
    int id_locale = 1;
    String file_desc; // the name shown to the user
    String product_name;
    String file_version; // short version, digits and points
    String file_version_full;
    String module_name; // executable file name
    bool supported = false;
};

// The one-line text of a software wherever one is shown: "description - vversion",
// the description alone when there is no version, empty when both are empty.
String displayText(const SoftwareEntry& entry);

#pragma once

#include "service/SoftwareEntry.h"
#include "service/VersionResource.h"
#include "automation/AutomationClient.h"

// Fills file_desc, product_name, file_version, file_version_full and module_name of
// `entry` from the version resource of the executable at `path`; id, id_locale and
// supported stay. The short version is "major.minor" with the major number of the
// product version and the minor number of the file version; without one, the
// window titles from `element` upwards may supply it (versionFromTitles). Returns 1
// when the resource and its translation table were read, else 0.
int readVersionInfo(VersionResource& resource, AutomationClient* automation, const String& path,
                    const String& moduleName, const AutomationElementPtr& element,
                    SoftwareEntry& entry);

// Looks for the version of the software called `name` in the names of `element`
// and its ancestors, below the desktop: in the first name that holds `name`
// followed by a blank-separated version, such as "Foo Editor 2.1 - notes.txt" for
// "Foo Editor". When one is found, both `shortVersion` and `fullVersion` receive
// it; otherwise they stay.
void versionFromTitles(AutomationClient* automation, const AutomationElementPtr& element,
                       const String& name, String& shortVersion, String& fullVersion);

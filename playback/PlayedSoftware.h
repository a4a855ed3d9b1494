#pragma once

#include "service/SoftwareCatalogue.h"
#include "service/SoftwareEntry.h"
#include "service/VersionResource.h"
#include "automation/AutomationClient.h"

// The software a solution was played on, named from the element of its last step:
// the version resource of that element's program, the catalogue id of the entry
// shown with the same text, and no software at all (id 0, texts empty) for the
// operating system's own programs.
SoftwareEntry playedSoftware(AutomationClient* client, const AutomationElementPtr& element,
                             VersionResource& resource, const SoftwareCatalogue& catalogue);

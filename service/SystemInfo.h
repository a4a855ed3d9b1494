#pragma once

#include "base/String.h"
#include "base/Json.h"
#include "service/OsVersionRecord.h"

// The identity and environment fields that requests carry. Every value is text;
// numbers are written in signed decimal.
namespace SystemInfo {

// "hw_guid": the hardware profile GUID, braces included; empty when unavailable.
String hwGuid();
// "username": the USERNAME environment variable; empty when not set.
String username();

// The operating-system version, read once on first use.
OsVersionRecord& osVersion();
// "os_description": the name of osVersion(); asks for the product type once.
String osDescription();

// Stores "hw_guid" and "username" in `document`.
void addIdentity(const ElementPtr& document);
// Stores "os_id_platform", "os_major", "os_minor", "os_build_no" (low 16 bits)
// and "os_description" of `record` in `document`.
void addOperatingSystem(const ElementPtr& document, OsVersionRecord& record);
// The same for the running system.
void addOperatingSystem(const ElementPtr& document);

} // namespace SystemInfo

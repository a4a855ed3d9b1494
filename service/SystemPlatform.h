#pragma once

#include "base/String.h"
#include "service/OsVersionRecord.h"

// What the service client asks the operating system. Windows answers in
// service/win/, the native build gives a fixed Windows 11 Pro stand-in.
namespace SystemPlatform {

// The hardware profile GUID text, braces included; empty when unavailable.
String hardwareProfileGuid();
// The "USERNAME" environment variable; empty when not set.
String environmentUsername();
// Fills `record` (the product type stays 0).
void readOsVersion(OsVersionRecord& record);
// GetProductInfo for the record's version; false when the function is missing.
bool productType(const OsVersionRecord& record, unsigned& type);
// The system default locale identifier.
int systemDefaultLcid();

} // namespace SystemPlatform

#pragma once

#include "base/String.h"
#include "service/OsVersionRecord.h"

// The name sent as "os_description": fixed names up to Windows 7, and for 6.2 and
// later the Windows 10 or 11 edition derived from the product type.
namespace OsVersionName {

enum class Edition { Unknown, Home, Education, Enterprise, Pro };

// Edition of a GetProductInfo product type.
Edition editionOf(unsigned productType);

// Asks the system for the product type; false when it cannot be asked at all.
using ProductTypeLookup = bool (*)(const OsVersionRecord& record, unsigned& productType);

// The name of `record`. When the name depends on the product type and none is
// cached yet, `lookup` is asked (a null lookup counts as unavailable) and its
// answer is cached in the record.
String name(OsVersionRecord& record, ProductTypeLookup lookup);

} // namespace OsVersionName

#pragma once
#include <QString>

namespace drv {
// Dotted version comparison: 0 equal, 1 when a is greater, 2 when b is greater. Missing parts
// and parts that are not integers count as 0, so 10.10 equals 10.10.0.0.
int compareVersions(const QString& a, const QString& b);

class Fptr;
// The register answered open() with "not supported" and the driver is newer than 10.10.0.0:
// a platform-2.5 register this driver no longer serves.
bool platform25NotServed(Fptr& fptr);
}  // namespace drv

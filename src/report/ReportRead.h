#pragma once

#include "UnitReport.h"

class DeviceLink;
class FileTransfer;
struct UnitFault;

// Reads a unit for its report through `link`: what a backup reads, then, when asked, each listed
// clip for its size. A unit that cannot be read gives a report that says why.
// `fault`, when given, gets how the read failed.
UnitReport readReport(DeviceLink &link, FileTransfer &transfer, bool withClipSizes, UnitFault *fault = nullptr);

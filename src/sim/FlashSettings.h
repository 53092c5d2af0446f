#pragma once

#include "UnitState.h"

class FileStore;

// The unit's settings as its configuration files under /local/ give them;
// a missing or malformed file leaves the factory value.
UnitSettings readFlashSettings(const FileStore &files, const QByteArray &factoryApSsid);

// Back to factory settings: the configuration files are removed.
void clearFlashSettings(FileStore &files);

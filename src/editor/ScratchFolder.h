#pragma once

#include <QString>

// The audio editor's scratch folder below the working folder. The tool marks the folder
// when it creates it and removes only a marked folder, so that a "temp" folder of the
// user's own (say, in a home folder) is never deleted.
namespace ScratchFolder {

// The scratch folder of a working folder, with a trailing separator.
QString pathIn(const QString &workingFolder);

// True when the folder exists and carries the tool's mark.
bool isMarked(const QString &path);

// Creates the folder with its mark unless it exists. True when the folder is there and
// marked afterwards; false for a folder the tool did not create, or on failure.
bool create(const QString &path);

// Removes a marked folder with all its content; leaves anything else alone.
// True when the folder is gone.
bool removeIfMarked(const QString &path);

} // namespace ScratchFolder

#pragma once

#include <QString>

// The folders the editor works in. All but baseDir end with the platform's separator.
struct EditorDirectories {
    QString baseDir;    // the current folder when the editor was created
    QString tempDir;    // scratch folder of the Edit Device job
    QString projectDir; // the project of the Edit Project job
    QString activeDir;  // where every file operation of the editor goes

    static EditorDirectories startingIn(const QString &currentDir);

    QString defaultProjectDir() const;   // baseDir + "work" + separator
    QString projectPointerPath() const;  // baseDir + "PRJ.cfg"
};

// The folder with one trailing separator; a folder already ending in '\' or '/' is kept.
QString withTrailingSeparator(const QString &dir);

#pragma once

#include <QStandardPaths>
#include <QString>

namespace OrvisGUIToolkit {

// The folder of the running executable, with a trailing "/". Files shipped beside the program (settings,
// translations, plug-ins) are found relative to it, never relative to the working directory.
QString GetTargetPath();
// GetTargetPath() followed by name.
QString GetTargetPathFile(const QString& name);

// Where the program keeps a file named name that it writes: beside the executable while that folder takes new
// files (a portable copy, the build folder), else in the user's own folder of that kind (an installed program,
// whose folder belongs to the system). A file shipped beside the executable is copied to the user's folder the
// first time, so it stays the default there.
QString GetWritableTargetPathFile(const QString& name, QStandardPaths::StandardLocation userLocation);
// The same with both folders given. Falls back to the program's folder when the user's cannot be made.
QString WritableFileIn(const QString& programFolder, const QString& userFolder, const QString& name);
// Whether a new file can be made in folder (tried, not read from permission bits).
bool FolderTakesNewFiles(const QString& folder);
// The file in userFolder, first copied from programFolder when only the shipped one exists; empty when
// userFolder cannot be made.
QString UserCopyOf(const QString& programFolder, const QString& userFolder, const QString& name);

} // namespace OrvisGUIToolkit

#pragma once

#include <QString>

namespace OrvisGUIToolkit {

// The folder of the running executable, with a trailing "/". Files shipped beside the program (settings,
// translations, plug-ins) are found relative to it, never relative to the working directory.
QString GetTargetPath();
// GetTargetPath() followed by name.
QString GetTargetPathFile(const QString& name);

} // namespace OrvisGUIToolkit

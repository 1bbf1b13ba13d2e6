#pragma once

#include <QString>

// The variables every installer run starts with: the product identity, the folders
// of the operating system and the defaults of the destination, program folder,
// installer folder and settings key.
namespace InstallerVariables {

// The default destination's last segment: the lower-cased title and version joined by
// "_", spaces replaced by "_".
QString defaultDestinationName(const QString &title, const QString &version);

// Fills the process-wide variable table. Company, Product, Version and AltArch are
// plain variables, the folders are path variables.
void initialise();

} // namespace InstallerVariables

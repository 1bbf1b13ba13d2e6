#pragma once

#include <QString>

// The product this installer delivers, compiled into the program.
namespace ProductIdentity {

inline constexpr char maker[] = "Corvane";
inline constexpr char title[] = "Corvane Fenwick Studio for RISC-V";
inline constexpr char shortName[] = "Corvane Fenwick Studio";
inline constexpr char version[] = "4." "52a";

// The name the single-instance key is built from; it starts out as the title and
// may be replaced before the installer start-up asks for it.
QString productName();
void setProductName(const QString &name);

} // namespace ProductIdentity

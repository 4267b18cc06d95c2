// The type library's and the interfaces' registrations, as the report shows
// them, for all users and for the current user (32-bit view): the file that
// TypeLib\{LIBID} names, and for each automation interface of the driver
// whether Interface\{IID} names this driver's type library, another one or
// none. The logger registers IQbRigIO (and its other drivers IQbRig) from a
// type library of its own, which must stay as it was.
#pragma once

#include <string>

namespace qbhost {

std::string typeLibraryLines();

}  // namespace qbhost

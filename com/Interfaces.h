// The driver's COM interfaces, generated from QboxK4Driver.idl by the build,
// over the platform's COM types.
#pragma once

#include "platform/Ole.h"
#include "QboxK4Driver.h"

// Resource ids of the driver's DLL.
#pragma once

#define IDR_TYPELIB 1
#define IDS_IP_EDIT 101

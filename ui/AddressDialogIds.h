// Resource ids of the remote-address dialog, shared by its template and code.
#pragma once

#define IDD_K4IPADDRESSES 201
#define IDC_K4IPADDRESSES 201

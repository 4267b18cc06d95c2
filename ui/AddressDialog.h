// The modal dialog in which the user edits the remote K4 addresses (the
// setting ELECRAFT_K4_IP_ADDRESSES). It runs on the calling thread, owned by
// that thread's active window, and returns when the user closes it.
#pragma once

// Runs the dialog from template IDD_K4IPADDRESSES in the resources of
// `module` (the HINSTANCE of the module that holds the template). Returns 1
// after OK (the edit box's text, at most 127 characters, has been stored),
// 2 after Cancel (nothing stored), and -1 when the template cannot be loaded
// or the dialog cannot be created. Platforms without dialogs always return -1.
int runAddressDialog(void* module);

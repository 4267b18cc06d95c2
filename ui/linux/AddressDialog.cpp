// No window toolkit on this platform: the address list is edited in the INI
// file directly, and the dialog reports that it could not be created.
#include "ui/AddressDialog.h"

int runAddressDialog(void*) {
  return -1;
}

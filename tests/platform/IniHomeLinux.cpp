#include "IniHome.h"

#include <cstdlib>

IniHome::IniHome() : ownFolder_(std::make_unique<TestFolder>()), folder_(ownFolder_->path()), separator_('/') {
    setenv("QBOX_INI_DIR", folder_.c_str(), 1);
}

IniHome::~IniHome() { unsetenv("QBOX_INI_DIR"); }

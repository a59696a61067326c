#pragma once

#include <string>

namespace platform {

// The folder of the running executable, ending in '/': Interf.ini, the language files,
// Message.txt and the logs are looked up there and nowhere else.
std::string programFolder();

} // namespace platform

#pragma once

#include <string>

namespace platform {

// The folder that holds the message endpoints' sockets: the user's runtime folder
// (XDG_RUNTIME_DIR) when it names a folder, else "natterby-<uid>" under /tmp, which only this
// user may enter. Empty when neither can be had. Both programs of one user get the same folder.
std::string messageFolder();

// The same choice with the runtime folder and the fallback's parent folder given.
std::string messageFolder(const std::string& runtimeFolder, const std::string& fallbackParent);

// The socket of the endpoint with the given number in a folder.
std::string messageSocketPath(const std::string& folder, int number);

} // namespace platform

#pragma once

#include "common/ansi.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace couriel {

// The name a file goes under in its header: its path below the sender's folder, backslashes
// between folders, in the code page. Nothing when the code page cannot carry a part of it, or
// when a part holds a CR or a backslash, which a receiver would take for the end of the name
// or for a folder.
std::optional<std::string> wireName(const std::filesystem::path& relative,
                                    const common::CodePage& codePage);

// Where a received name is written: a path below the receiver's folder, never outside it.
// Backslashes and slashes separate folders; empty and "." parts are skipped, so a name that
// starts with a separator is taken below the folder too. Nothing for a name that cannot stay
// below the folder or be a file there: with a ".." part, a drive ("C:"), a zero byte, or no
// part at all.
std::optional<std::filesystem::path> receivedPath(std::string_view name,
                                                  const common::CodePage& codePage);

} // namespace couriel

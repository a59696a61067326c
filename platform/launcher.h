#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Starts programs and opens files or addresses. Names are in the file system's encoding.
class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts a program, detached, with its arguments passed as they are (no shell). Nothing
    // when it started; otherwise the system's reason why not.
    virtual std::optional<std::string> startProgram(const std::string& program,
                                                    const std::vector<std::string>& arguments) = 0;
    // Opens a file, program or address as the desktop's default action would: a program (a
    // path to an executable file, or a name found on the search path) is started with no
    // arguments; anything else goes whole, as one argument, to the desktop's opener. Never
    // through a shell, and never with parameters split out of the text.
    virtual void openWithDefaultAction(const std::string& target) = 0;
};

class SystemLauncher final : public Launcher {
public:
    std::optional<std::string> startProgram(const std::string& program,
                                            const std::vector<std::string>& arguments) override;
    void openWithDefaultAction(const std::string& target) override;
};

// The executable that the default action starts for the target, or empty when the target is
// not a program: a name with a slash must be an executable file, a plain name is looked up on
// the search path given.
std::string findProgram(const std::string& target, const std::string& searchPath);

} // namespace platform

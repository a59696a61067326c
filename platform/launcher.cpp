#include "platform/launcher.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace platform {

namespace {

bool isExecutableFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
}

} // namespace

std::string findProgram(const std::string& target, const std::string& searchPath) {
    if (target.empty()) {
        return {};
    }
    if (target.find('/') != std::string::npos) {
        return isExecutableFile(target) ? target : std::string();
    }
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        std::size_t end = searchPath.find(':', start);
        if (end == std::string::npos) {
            end = searchPath.size();
        }
        const std::string folder = searchPath.substr(start, end - start);
        if (!folder.empty()) {
            const std::string candidate = folder + "/" + target;
            if (isExecutableFile(candidate)) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return {};
}

std::optional<std::string> SystemLauncher::startProgram(const std::string& program,
                                                        const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments) {
        list << QString::fromLocal8Bit(argument);
    }
    QProcess process;
    process.setProgram(QString::fromLocal8Bit(program));
    process.setArguments(list);
    if (process.startDetached()) {
        return std::nullopt;
    }
    return process.errorString().toLocal8Bit().toStdString();
}

void SystemLauncher::openWithDefaultAction(const std::string& target) {
    const char* path = std::getenv("PATH");
    const std::string program = findProgram(target, path != nullptr ? path : "");
    if (!program.empty()) {
        startProgram(program, {});
        return;
    }
    startProgram("xdg-open", {target});
}

} // namespace platform

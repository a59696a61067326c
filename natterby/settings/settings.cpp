#include "natterby/settings/settings.h"

namespace natterby::settings {

std::string settingsFilePath(const std::string& programFolder) {
    return programFolder + "Interf.ini";
}

std::string languageFilePath(const std::string& programFolder, const std::string& ini) {
    return programFolder + ini + ".ini";
}

} // namespace natterby::settings

#pragma once

#include <string>

namespace platform {

// The two folders both programs work with, each ending in '/'.
struct ProgramFolders {
    // The folder of the executables: the programs, the shipped language files and the first
    // Interf.ini.
    std::string package;
    // Where Interf.ini, the language files (which also keep the macros and auto-answers),
    // Message.txt and the logs are read and written.
    std::string own;
};

// A package folder that the user can write (the build folder, a portable folder) is its own
// folder, as it always was. One the user cannot write is shared by every user of the computer,
// and so is one under /usr, which belongs to the package manager even when root runs the
// programs: each user then gets $XDG_DATA_HOME/natterby/, or $HOME/.local/share/natterby/ when
// XDG_DATA_HOME is unset, empty or relative (the XDG base directory rules). Without either the
// package folder is all there is.
ProgramFolders chooseProgramFolders(const std::string& package, bool packageWritable,
                                    const char* xdgDataHome, const std::string& home);

// Readies an own folder that is not the package folder: creates it (readable by its user
// alone, since the archive holds private messages), starts its Interf.ini as a copy of the
// package's, and copies in every language file of the package that it lacks, so that macros
// and auto-answers can be written into the copy in use. A file already there is the user's
// and is never replaced. Failures show later, as the files are used.
void prepareOwnFolder(const ProgramFolders& folders);

// The running executable's folders, chosen and readied; both programs call it at start. The
// chat starts the exchange program from the package folder with its own environment, so both
// arrive at the same own folder and share its Interf.ini.
ProgramFolders programFolders();

} // namespace platform

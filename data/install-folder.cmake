# Runs at install time with PROGRAM_FOLDER set to the installed program folder: the desktop
# entries need its absolute path, which is known only then.
get_filename_component(PROGRAM_FOLDER "${PROGRAM_FOLDER}" ABSOLUTE)

set(INTERF "${PROGRAM_FOLDER}/Interf.ini")
include("${CMAKE_CURRENT_LIST_DIR}/first-interf.cmake")

file(WRITE "${PROGRAM_FOLDER}/natterby.desktop"
"[Desktop Entry]
Type=Application
Name=Natterby
Comment=Chat with the computers of your local network
Exec=\"${PROGRAM_FOLDER}/natterby\"
Path=${PROGRAM_FOLDER}
Icon=${PROGRAM_FOLDER}/natterby.png
Terminal=false
Categories=Network;Chat;InstantMessaging;
")

# Couriel is started by the chat for each transfer; on its own it has nothing to do, so its
# entry stays out of the menus.
file(WRITE "${PROGRAM_FOLDER}/couriel.desktop"
"[Desktop Entry]
Type=Application
Name=Couriel
Comment=Moves files offered in Natterby between two computers
Exec=\"${PROGRAM_FOLDER}/couriel\" %F
Path=${PROGRAM_FOLDER}
Icon=${PROGRAM_FOLDER}/natterby.png
Terminal=false
NoDisplay=true
Categories=Network;FileTransfer;
")
message(STATUS "Program folder laid out in ${PROGRAM_FOLDER}")

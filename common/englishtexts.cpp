// The built-in English texts of both programs, section by section (Couriel's in section Exchange).
#include "common/texts.h"

#include <array>

namespace common {

namespace {

constexpr TextKind kUser = TextKind::UserData;

constexpr std::array kTexts = std::to_array<TextEntry>({
    // The status menu; captions add a tab and the shortcut (Ctrl+S, Ctrl+D, Ctrl+A, Ctrl+F).
    {"Status", "Available", "Available (Normal)"},
    {"Status", "DND", "DND (Do Not Disturb)"},
    {"Status", "Away", "Away (Far From Chat)"},
    {"Status", "Offline", "Offline (Not Available)"},

    {"Interface", "Nickname", "Nickname:"},
    {"Interface", "Refresh", "Refresh"},

    // Macro texts are user data, empty when missing.
    {"Macros", "F1", "", kUser},
    {"Macros", "F2", "", kUser},
    {"Macros", "F3", "", kUser},
    {"Macros", "F4", "", kUser},
    {"Macros", "F5", "", kUser},
    {"Macros", "F6", "", kUser},
    {"Macros", "F7", "", kUser},
    {"Macros", "F8", "", kUser},
    {"Macros", "F9", "", kUser},
    {"Macros", "F10", "", kUser},
    {"Macros", "F11", "", kUser},
    {"Macros", "F12", "", kUser},
    {"Macros", "Rec", "Record string"},

    // The tab menu; ChTopic, ClearChat and Leave add a tab and Ctrl+T, Shift+Esc, Ctrl+F4.
    {"Menu5", "Copy", "Copy"},
    {"Menu5", "SaveAs", "Save As..."},
    {"Menu5", "ChTopic", "Change Topic..."},
    {"Menu5", "ClearChat", "Clear Chat"},
    {"Menu5", "Leave", "Leave"},

    // The nick menu; key 7 is also the mass message window's title.
    {"Menu7", "0", "Message"},
    {"Menu7", "1", "Information..."},
    {"Menu7", "2", "Execute..."},
    {"Menu7", "3", "Send file..."},
    {"Menu7", "4", "Beep"},
    {"Menu7", "5", "Talk"},
    {"Menu7", "6", "Ignore..."},
    {"Menu7", "7", "Mass message"},

    // The view menu.
    {"Menu8", "0", "Scrolling"},
    {"Menu8", "1", "Show tooltip"},
    {"Menu8", "2", "Show balloon"},
    {"Menu8", "3", "Show nick"},
    {"Menu8", "4", "Show computers"},
    {"Menu8", "5", "View seconds"},
    {"Menu8", "6", "Access execute"},
    {"Menu8", "7", "Options..."},

    {"MenuTray", "0", "Restore"},
    {"MenuTray", "1", "Close"},

    // Exactly "Russian" changes the program's title.
    {"Lang", "Lang", "English"},

    // System messages. MesRecMe, PutMes* and ModeCh* may hold one "@" (splitAtPlaceholder).
    {"SysMes", "ProtBeg", "PROTOCOL"},
    {"SysMes", "Welcome", "Welcome to"},
    {"SysMes", "WinClear", "Window cleared"},
    {"SysMes", "RenameHe", "renamed to"},
    {"SysMes", "RenameShe", "renamed to"},
    {"SysMes", "EnterHe", "join to us"},
    {"SysMes", "EnterShe", "join to us"},
    {"SysMes", "LeaveHe", "leave with cnannel"},
    {"SysMes", "LeaveShe", "leave with cnannel"},
    {"SysMes", "PutMesHe", "put message in"},
    {"SysMes", "PutMesShe", "put message in"},
    {"SysMes", "Offline", "in \"Offline\""},
    {"SysMes", "Execute", "execute"},
    {"SysMes", "Topic", "Topic change:"},
    {"SysMes", "ModeChHe", "in"},
    {"SysMes", "ModeChShe", "in"},
    {"SysMes", "BeepPolHe", "take sound call"},
    {"SysMes", "BeepPolShe", "take sound call"},
    {"SysMes", "BeepPosl", "send sound call"},
    {"SysMes", "MesRecMe", "Message received from"},
    {"SysMes", "TimeTXT", "Time"},
    {"SysMes", "NickTXT", "Nick"},
    {"SysMes", "MessageTXT", "Message"},
    {"SysMes", "ArhivTXT", "Archive"},
    {"SysMes", "DeleteTXT", "Delete archive?"},
    {"SysMes", "FileFrom", "Take files from"},
    {"SysMes", "Reload", "Reload program"},
    {"SysMes", "NotFile", " don't give access!!!"},
    // Followed by the program's path and the system's reason.
    {"SysMes", "NoCouriel", "Couriel cannot be started:"},

    // The input dialog asking for a remote execute.
    {"Execute", "Password", "Password"},
    {"Execute", "Execute", "Execute"},

    {"Buttons", "Okey", "OK"},
    {"Buttons", "Cancel", "Cancel"},
    {"Buttons", "Quote", "Quote"},
    {"Buttons", "Answer", "Answer"},
    {"Buttons", "Send", "Send"},

    {"Information", "Nick", "Login:"},
    {"Information", "Comp", "Computer name:"},
    {"Information", "User", "User name:"},
    {"Information", "Info", "Information"},

    // Toolbar tooltips: no built-in text; shown cut to 15 characters (tooltipText).
    {"Tooltips", "2", ""},
    {"Tooltips", "3", ""},
    {"Tooltips", "4", ""},
    {"Tooltips", "5", ""},
    {"Tooltips", "6", ""},
    {"Tooltips", "7", ""},
    {"Tooltips", "8", ""},
    {"Tooltips", "9", ""},
    {"Tooltips", "10", ""},

    // Auto-answers are user data; Count is an integer, the keys 1 .. Count follow it.
    {"AutoAns", "Count", "0", kUser},
    {"AutoAns", "Current", "", kUser},

    // The options dialog.
    {"OptionDialog", "Options", "Options"},
    {"OptionDialog", "View", "View"},
    {"OptionDialog", "lang", "Language"},
    {"OptionDialog", "Gender", "Gender"},
    {"OptionDialog", "Male", "Male"},
    {"OptionDialog", "Female", "Female"},
    {"OptionDialog", "tabs", "Tabs style"},
    {"OptionDialog", "tab", " Tabs"},
    {"OptionDialog", "tabBut", " Buttons"},
    {"OptionDialog", "tabButFlat", " Flat buttons"},
    {"OptionDialog", "FntCol", "Fonts && colors"},
    {"OptionDialog", "List0", "Welcome text"},
    {"OptionDialog", "List1", "Enter\\Leave text"},
    {"OptionDialog", "List2", "Autoanswer"},
    {"OptionDialog", "List3", "External text"},
    {"OptionDialog", "List4", "Your text"},
    {"OptionDialog", "List5", "Change topic"},
    {"OptionDialog", "List6", "Rename text"},
    {"OptionDialog", "List7", "/me text"},
    {"OptionDialog", "List8", "Message confirmation"},
    {"OptionDialog", "List9", "System text"},
    {"OptionDialog", "List10", "Background color"},
    {"OptionDialog", "List11", "Command string color"},
    {"OptionDialog", "Font", "Font"},
    {"OptionDialog", "Color", "Color"},
    {"OptionDialog", "Tray", "Tray icon"},
    {"OptionDialog", "TrayNormal", "Normal: Next>>"},
    {"OptionDialog", "TrayFlash", "Flash: Next>>"},
    {"OptionDialog", "Net", "Net"},
    {"OptionDialog", "IPXSocket", "IPX Socket"},
    {"OptionDialog", "UDPPort", "UDP port"},
    {"OptionDialog", "Broadcast", "Broadcast adress"},
    {"OptionDialog", "Syncron", "Sinchronic refresh"},
    {"OptionDialog", "Pass", "Password execute"},
    {"OptionDialog", "Ignore", "Ignore"},
    {"OptionDialog", "AddBlack", "Add to black list"},
    {"OptionDialog", "IgChan", "Channels >>"},
    {"OptionDialog", "IgMessage", "Messages >>"},
    {"OptionDialog", "RemoveBlack", "Remove from black list"},
    {"OptionDialog", "NoIgChan", "From channels"},
    {"OptionDialog", "NoIgMes", "From message"},
    {"OptionDialog", "ChanList", "Ignore on channels"},
    {"OptionDialog", "MesList", "Ignore message from"},
    {"OptionDialog", "Channels", "Channels"},
    {"OptionDialog", "YouCh", "Your channels"},
    {"OptionDialog", "OtherCh", "Other channels"},
    {"OptionDialog", "ProtocolCh", "Protocolling"},
    {"OptionDialog", "ProtocolPh", "Protocol path"},
    {"OptionDialog", "Add", "Add"},
    {"OptionDialog", "Del", "Del"},
    {"OptionDialog", "Browse", "Browse..."},
    {"OptionDialog", "Arhiv", "Mes. protocol"},
    {"OptionDialog", "Sound", "Sound"},
    {"OptionDialog", "SoundDev1", "Sound"},
    {"OptionDialog", "SoundDev2", "PC Sp"},
    {"OptionDialog", "MesSound", "Message"},
    {"OptionDialog", "ConSound", "Confirmation"},
    {"OptionDialog", "ChLine", "Chat line"},
    {"OptionDialog", "StartChat", "Start chat"},
    {"OptionDialog", "Beeper", "Beep"},

    // Couriel. Exchange, Wait and Select default to the current application or
    // window title, which is "Couriel" when they are read. ConnectTo reads as "Connect to"
    // (a default loses its trailing blanks) and Couriel appends one blank.
    {"Exchange", "Exchange", "Couriel"},
    {"Exchange", "Ready", "Ready"},
    {"Exchange", "Send", "Send"},
    {"Exchange", "End", "End"},
    {"Exchange", "Listen", "Listen..."},
    {"Exchange", "ConnectTo", "Connect to "},
    {"Exchange", "Disconnect", "Disconnect"},
    {"Exchange", "NotSpace", "Small space, continue?"},
    {"Exchange", "Wait", "Couriel"},
    {"Exchange", "Select", "Couriel"},
    // Followed by the names of the files that stayed behind; Couriel appends one blank.
    {"Exchange", "NotSent", "Not sent: "},
    {"Exchange", "NotReceived", "Not received: "},
    {"Exchange", "NoAddress", "The peer's address is unknown"},
});

} // namespace

std::span<const TextEntry> builtInTexts() {
    return kTexts;
}

} // namespace common

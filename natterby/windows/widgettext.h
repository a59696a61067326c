#pragma once

#include "common/ansi.h"

#include <QString>
#include <string>
#include <string_view>

namespace natterby::windows {

// Message texts cross into the widgets here. In the code page a line ends in CR LF, as peers and
// Message.txt have them; a widget holds one '\n' per line break.

// CR LF, a lone CR and a lone LF each become one line break.
QString toWidgetText(const common::CodePage& codePage, std::string_view ansi);
// Every line break (also the paragraph separator of a text selection) becomes CR LF.
std::string fromWidgetText(const common::CodePage& codePage, const QString& text);

// A single-line text such as a caption or a nick, converted as it is.
QString toWidgetLine(const common::CodePage& codePage, std::string_view ansi);

} // namespace natterby::windows

#include "natterby/windows/widgettext.h"

namespace natterby::windows {

QString toWidgetText(const common::CodePage& codePage, std::string_view ansi) {
    std::string lines;
    lines.reserve(ansi.size());
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        if (ansi[i] == '\r') {
            lines += '\n';
            if (i + 1 < ansi.size() && ansi[i + 1] == '\n') {
                ++i;
            }
        } else {
            lines += ansi[i];
        }
    }
    return QString::fromStdString(codePage.toUtf8(lines));
}

std::string fromWidgetText(const common::CodePage& codePage, const QString& text) {
    QString unified = text;
    unified.replace(QChar::ParagraphSeparator, u'\n');
    unified.replace(QChar::LineSeparator, u'\n');
    const std::string ansi = codePage.fromUtf8(unified.toStdString());
    std::string lines;
    lines.reserve(ansi.size());
    for (char c : ansi) {
        if (c == '\n') {
            lines += "\r\n";
        } else {
            lines += c;
        }
    }
    return lines;
}

QString toWidgetLine(const common::CodePage& codePage, std::string_view ansi) {
    return QString::fromStdString(codePage.toUtf8(ansi));
}

} // namespace natterby::windows

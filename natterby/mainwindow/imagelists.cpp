#include "natterby/mainwindow/imagelists.h"

#include <QPainter>
#include <algorithm>

namespace natterby::mainwindow {

namespace {

constexpr int kSide = 16;
constexpr int kFirstStateImage = 4;

QPixmap load(const QString& name) {
    return QPixmap(QStringLiteral(":/natterby/images/") + name + QStringLiteral(".png"));
}

} // namespace

ImageLists::ImageLists() {
    for (int i = 0; i < kMainCount; ++i) {
        main_.emplace_back(load(QStringLiteral("list1_%1").arg(i, 2, 10, QLatin1Char('0'))));
    }
    for (int i = 0; i < kStateCount; ++i) {
        states_.push_back(load(QStringLiteral("list2_%1").arg(i)));
    }
    for (int state = 0; state < 4; ++state) {
        for (int status = 0; status < 4; ++status) {
            QPixmap row(2 * kSide, kSide);
            row.fill(Qt::transparent);
            QPainter painter(&row);
            painter.drawPixmap(0, 0, states_[static_cast<std::size_t>(3 + state)]);
            painter.drawPixmap(kSide, 0, main_[static_cast<std::size_t>(status)].pixmap(kSide));
            rows_[static_cast<std::size_t>(state * 4 + status)] = QIcon(row);
        }
    }
    for (int side : {16, 32, 64, 256}) {
        program_.addPixmap(load(QStringLiteral("natterby%1").arg(side)));
    }
}

const QIcon& ImageLists::image(int index) const {
    return main_[static_cast<std::size_t>(std::clamp(index, 0, kMainCount - 1))];
}

const QIcon& ImageLists::nickRow(char status, int stateImage) const {
    const int state = std::clamp(stateImage - kFirstStateImage, 0, 3);
    const int figure = std::clamp(status - '0', 0, 3);
    return rows_[static_cast<std::size_t>(state * 4 + figure)];
}

} // namespace natterby::mainwindow

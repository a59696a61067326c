#pragma once

#include <QIcon>
#include <QPixmap>
#include <array>
#include <vector>

namespace natterby::mainwindow {

// The chat's pictures. Image list 1: 0-3 the statuses (available, do not disturb, away,
// offline), 4 a channel, 5 a channel with news, 6 copy all, 7 copy selection, 8 paste,
// 9 archive, 10 macros, 11 view, 12 help, 13 exit, 15 the channel members; the others are
// there for the tray to pick. Image list 2: three faces, a blank, a red marker (window shown),
// a black dot (member of the channel), a dot with a red marker.
class ImageLists {
public:
    static constexpr int kMainCount = 18;
    static constexpr int kStateCount = 7;

    ImageLists();

    // Image `index` of list 1; an index beyond the list (from a settings file) is clamped.
    const QIcon& image(int index) const;
    // A nick list row's picture: the state image (4 .. 7, one-based into list 2 after its three
    // faces) beside the status image.
    const QIcon& nickRow(char status, int stateImage) const;
    const QIcon& programIcon() const { return program_; }

private:
    std::vector<QIcon> main_;
    std::vector<QPixmap> states_;
    std::array<QIcon, 16> rows_;
    QIcon program_;
};

} // namespace natterby::mainwindow

#pragma once

#include <QComboBox>
#include <string>
#include <vector>

namespace couriel {

// The roots of the mounted file systems that hold folders, "/" first: the drives of this
// computer.
std::vector<std::string> mountedDrives();

// The drives to choose from, each shown by its root.
class DriveBox : public QComboBox {
public:
    explicit DriveBox(const std::vector<std::string>& drives, QWidget* parent = nullptr);

    void showDrive(const std::string& drive);
    std::string drive(int index) const;
};

} // namespace couriel

#include "couriel/window/drivebox.h"

#include "couriel/program/folders.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace couriel {

std::vector<std::string> mountedDrives() {
    std::vector<std::string> drives{"/"};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Containers mount single files too (resolv.conf, hosts); only folders are drives.
        if (!volume.isValid() || !volume.isReady() || !QFileInfo(volume.rootPath()).isDir()) {
            continue;
        }
        std::string root = asFolder(volume.rootPath().toStdString());
        if (std::find(drives.begin(), drives.end(), root) == drives.end()) {
            drives.push_back(std::move(root));
        }
    }
    std::sort(drives.begin() + 1, drives.end());
    return drives;
}

DriveBox::DriveBox(const std::vector<std::string>& drives, QWidget* parent) : QComboBox(parent) {
    for (const std::string& drive : drives) {
        addItem(QString::fromStdString(drive), QString::fromStdString(drive));
    }
}

void DriveBox::showDrive(const std::string& drive) {
    setCurrentIndex(findData(QString::fromStdString(drive)));
}

std::string DriveBox::drive(int index) const {
    return itemData(index).toString().toStdString();
}

} // namespace couriel

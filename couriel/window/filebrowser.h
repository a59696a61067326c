#pragma once

#include <QFileIconProvider>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

namespace couriel {

// The entries of one folder, hidden ones included: "[..]" first below the top of the tree,
// then the folders, then the files, with their size and the time of their last change.
// Several entries may be selected. The list follows changes to the folder on disk.
//
// Folders are in the file system's encoding, absolute, ending in '/' (folders.h).
class FileBrowser : public QTreeWidget {
public:
    static constexpr const char* kParentEntry = "[..]";

    explicit FileBrowser(QWidget* parent = nullptr);

    // False, with nothing changed, for a folder that cannot be listed. The folder shown
    // already is listed afresh.
    bool goTo(const std::string& folder);
    const std::string& folder() const { return folder_; }

    // Whether an entry other than "[..]" is selected.
    bool hasSelection() const;
    // The names of the selected entries in their order on screen, without "[..]"; they are
    // unselected as they are taken.
    std::vector<std::string> takeSelection();

    // Another folder is shown; not called when the same one is listed again.
    std::function<void()> onFolderChanged;
    // The focus moved to a file.
    std::function<void(const std::string& name)> onFileFocused;
    // A file was opened with Enter or a double click.
    std::function<void(const std::string& path)> onFileOpened;
    // Ctrl+\ was pressed: the window knows where the drive's root is.
    std::function<void()> onRootWanted;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum Kind { Parent, Folder, File };

    void list();
    void addEntry(Kind kind, const QString& name, const QFileInfo* info);
    void open(QTreeWidgetItem* item);
    void goUp();
    void folderTouched();

    static Kind kindOf(const QTreeWidgetItem* item);
    static std::string nameOf(const QTreeWidgetItem* item);

    std::string folder_;
    QFileSystemWatcher watcher_;
    // Gathers a burst of changes (a copy in progress) into one new listing.
    QTimer relist_;
    QFileIconProvider icons_;
};

} // namespace couriel

#pragma once

#include "couriel/transfer/pauses.h"
#include "couriel/transfer/transferview.h"
#include "platform/hostinfo.h"
#include "tests/fakes/tempfolder.h"

#include <QTimer>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace couriel_test {

// Records what a transfer shows; answers the free-space question as told.
class RecordingView : public couriel::TransferView {
public:
    void showStatus(const std::string& text) override { statuses.push_back(text); }
    void showProgress(int percent) override { progress.push_back(percent); }
    std::vector<std::string> takeSelection() override { return selection; }
    void askToContinue(const std::string& question, std::function<void(bool)> answer) override {
        questions.push_back(question);
        answer(answerYes);
    }
    void transferOver() override { ++overs; }
    void closeProgram() override { ++closes; }

    std::vector<std::string> selection;
    bool answerYes = true;
    std::vector<std::string> statuses;
    std::vector<int> progress;
    std::vector<std::string> questions;
    int overs = 0;
    int closes = 0;
};

// Pauses that note the delay asked for and wait only a moment, to keep the tests short.
class QuickPauses : public couriel::Pauses {
public:
    explicit QuickPauses(std::vector<int>& delays) : delays_(delays) {}
    void after(std::chrono::milliseconds delay, std::function<void()> action) override {
        delays_.push_back(static_cast<int>(delay.count()));
        QTimer::singleShot(1, &context_, std::move(action));
    }

private:
    std::vector<int>& delays_;
    QObject context_;
};

// Every regular file below the folder with its content, by path below the folder.
inline std::map<std::string, std::string> filesBelow(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(folder).string()] =
                TempFolder::read(entry.path().string());
        }
    }
    return files;
}

// The number of bytes in the files below the folder, a file still coming under a hidden name
// included.
inline std::size_t bytesBelow(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for (const auto& [name, content] : filesBelow(folder)) {
        count += content.size();
    }
    return count;
}

class HostWithFreeSpace : public platform::HostInfo {
public:
    std::optional<std::uint64_t> free = std::uint64_t{1} << 40;
    std::string computerName() const override { return "PC"; }
    std::string userName() const override { return "user"; }
    std::vector<std::string> addresses() const override { return {}; }
    std::optional<std::string> addressToward(std::uint32_t) const override { return {}; }
    std::optional<std::uint64_t> freeBytes(const std::string&) const override { return free; }
};

} // namespace couriel_test

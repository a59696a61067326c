#include "couriel/transfer/sender.h"

#include "couriel/transfer/filelist.h"
#include "couriel/transfer/wirenames.h"

#include <limits>

namespace couriel {

using namespace std::chrono_literals;

namespace {

// Before the data, so that the go-ahead's reader is ready; before the next header, counted
// from when the peer has acknowledged the end of the data, so that the receiver has taken
// that end alone; before the end mark likewise; and before closing, so that the end mark
// leaves.
constexpr auto kBeforeData = 100ms;
constexpr auto kBeforeNextHeader = 200ms;
constexpr auto kBeforeEndMark = 50ms;
constexpr auto kBeforeClosing = 100ms;

} // namespace

Sender::Sender(TransferView& view, TransferTexts texts, common::CodePage codePage,
               std::unique_ptr<Pauses> pauses, MessageEvent showMessage, std::uint16_t port)
    : view_(view), texts_(std::move(texts)), codePage_(std::move(codePage)),
      pauses_(std::move(pauses)), port_(port), client_(std::move(showMessage)) {
    client_.OnConnect = [this](TcpClient&) { onConnect(); };
    client_.OnData = [this](TcpClient&, std::string_view chunk) { onData(chunk); };
    client_.OnSendProgress = [this](TcpClient&) { onSendProgress(); };
    client_.OnDisconnect = [this](TcpSocket&) { onDisconnect(); };
}

void Sender::start(std::filesystem::path folder, std::string address) {
    // A connection that failed may be tried again.
    const bool retry = state_ == State::Connecting && !client_.Active() && !client_.Connected();
    if (state_ != State::Idle && !retry) {
        return;
    }
    folder_ = std::move(folder);
    state_ = State::Connecting;
    client_.setHost(std::move(address));
    client_.setPort(port_);
    client_.Connect();
}

void Sender::onConnect() {
    if (state_ != State::Connecting) {
        return;
    }
    view_.showStatus(texts_.connectTo);
    const FileList list = buildFileList(folder_, view_.takeSelection());
    files_ = list.files;
    for (const std::filesystem::path& folder : list.unlisted) {
        leaveBehind(folder);
    }
    announceNext();
}

void Sender::announceNext() {
    while (!files_.empty()) {
        const std::filesystem::path& relative = files_.back();
        const std::optional<std::string> name = wireName(relative, codePage_);
        std::unique_ptr<FileStream> file =
            name ? FileStream::openForReading(folder_ / relative) : nullptr;
        if (file && file->size() <= std::numeric_limits<std::int32_t>::max()) {
            file_ = std::move(file);
            size_ = static_cast<std::int32_t>(file_->size());
            state_ = State::AwaitingGoAhead;
            client_.SendText(fileHeader(size_, *name));
            return;
        }
        leaveBehind(relative);
        files_.pop_back();
    }
    finish();
}

void Sender::onData(std::string_view chunk) {
    if (goAheads_.append(chunk) == 0 || state_ != State::AwaitingGoAhead) {
        return;
    }
    state_ = State::Starting;
    pauses_->after(kBeforeData, [this] {
        if (stillConnected()) {
            state_ = State::Sending;
            client_.SendStream(*file_);
        }
    });
}

void Sender::onSendProgress() {
    if (state_ != State::Sending) {
        return;
    }
    if (client_.IsSending()) {
        view_.showProgress(progressPercent(file_->position(), size_));
    } else {
        handedOver();
    }
}

void Sender::handedOver() {
    view_.showProgress(0);
    const bool whole = file_->position() == size_;
    file_.reset();
    if (!stillConnected()) {
        return;
    }
    if (!whole) {
        // The receiver counts on the announced size and would take the next header for data.
        state_ = State::Stopped;
        const std::filesystem::path relative = files_.back();
        client_.Disconnect();
        leaveBehind(relative);
        return;
    }
    files_.pop_back();
    state_ = State::Pausing;
    // The pause keeps the next message out of the read that takes the end of the data only
    // once that end has reached the peer: on a slow link the socket may still hold megabytes.
    client_.WhenDelivered([this] {
        if (files_.empty()) {
            pauses_->after(kBeforeEndMark, [this] {
                if (stillConnected()) {
                    finish();
                }
            });
        } else {
            pauses_->after(kBeforeNextHeader, [this] {
                if (stillConnected()) {
                    announceNext();
                }
            });
        }
    });
}

void Sender::finish() {
    client_.SendText(kEndMark);
    state_ = State::Done;
    view_.transferOver();
    if (leftBehind_.empty()) {
        pauses_->after(kBeforeClosing, [this] { closeWhenSent(); });
    } else {
        view_.showStatus(texts_.notSent + joinedNames(leftBehind_));
    }
}

void Sender::closeWhenSent() {
    // The end mark may still wait for room in the socket; closing now would lose it.
    if (client_.hasUnsentText() && client_.Connected()) {
        pauses_->after(kBeforeClosing, [this] { closeWhenSent(); });
        return;
    }
    view_.closeProgram();
}

bool Sender::stillConnected() {
    if (client_.Connected()) {
        return true;
    }
    state_ = State::Stopped;
    return false;
}

void Sender::onDisconnect() {
    view_.showStatus(texts_.disconnect);
    if (state_ != State::Done) {
        state_ = State::Stopped;
    }
}

void Sender::leaveBehind(const std::filesystem::path& relative) {
    leftBehind_.push_back(codePage_.fromUtf8(relative.string()));
    view_.showStatus(texts_.notSent + leftBehind_.back());
}

} // namespace couriel

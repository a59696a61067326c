#include "couriel/transfer/receiver.h"

#include "couriel/transfer/wirenames.h"

#include <chrono>

namespace couriel {

using namespace std::chrono_literals;

namespace {

// Before closing, so that a last look at the end title is possible.
constexpr auto kBeforeClosing = 100ms;

} // namespace

// The rest of a file's data as the socket takes it: moved into the part file by the kernel
// while there is one, handed over as read otherwise. Its position is the number of the file's
// bytes received.
class Receiver::FileData final : public IncomingStream {
public:
    explicit FileData(Receiver& receiver) : receiver_(receiver) {}

    std::int64_t position() const override { return receiver_.received_; }
    void write(std::span<const char> bytes) override {
        receiver_.reader_.skipData(std::ssize(bytes));
        receiver_.onFileData({bytes.data(), bytes.size()});
    }
    int descriptor() const override { return receiver_.file_ ? receiver_.file_->descriptor() : -1; }
    void received(std::size_t taken, std::size_t written) override {
        receiver_.reader_.skipData(static_cast<std::int64_t>(taken));
        receiver_.file_->wroteDirectly(written);
        receiver_.onFileData(taken, written);
    }

private:
    Receiver& receiver_;
};

Receiver::Receiver(TransferView& view, TransferTexts texts, common::CodePage codePage,
                   const platform::HostInfo& host, std::unique_ptr<Pauses> pauses,
                   MessageEvent showMessage, std::uint16_t port)
    : view_(view), texts_(std::move(texts)), codePage_(std::move(codePage)), host_(host),
      pauses_(std::move(pauses)), port_(port), alive_(std::make_shared<bool>(true)),
      server_(std::move(showMessage)) {
    server_.OnClientConnect = [this](const std::string& address, std::uint16_t) {
        return onClientConnect(address);
    };
    server_.OnClientData = [this](TcpClient& sender, std::string_view chunk) {
        onData(sender, chunk);
    };
    server_.OnClientDisconnect = [this](TcpSocket&) { onDisconnect(); };
    server_.OnClientReceiveProgress = [this](TcpClient& sender) {
        // The file's data is complete: what follows is messages again.
        if (!sender.IsReceiving()) {
            process();
        }
    };
}

Receiver::~Receiver() {
    *alive_ = false;
}

void Receiver::start(std::filesystem::path folder) {
    folder_ = std::move(folder);
    server_.setPort(port_);
    server_.Listen();
}

bool Receiver::onClientConnect(const std::string& address) {
    // A second sender's bytes would mix with the first one's files.
    if (connected_ || ended_) {
        return false;
    }
    connected_ = true;
    ++connection_;
    client_ = nullptr;
    reader_ = StreamReader();
    view_.showStatus(texts_.connectTo + address);
    return true;
}

void Receiver::onDisconnect() {
    // Only one connection is taken at a time, so this is the one being served.
    connected_ = false;
    client_ = nullptr;
    asking_ = false;
    // What was written of the file stays, under its name.
    file_.reset();
    view_.showStatus(texts_.disconnect);
}

void Receiver::onData(TcpClient& sender, std::string_view chunk) {
    client_ = &sender;
    if (ended_) {
        return;
    }
    if (!reader_.append(chunk)) {
        // Only a peer that sends without waiting for the answer gets here.
        sender.Disconnect();
        return;
    }
    process();
}

void Receiver::process() {
    if (processing_) {
        return;
    }
    processing_ = true;
    while (!asking_ && !ended_ && client_ != nullptr) {
        const std::optional<StreamReader::Item> item = reader_.next();
        if (!item) {
            break;
        }
        if (const auto* header = std::get_if<StreamReader::Header>(&*item)) {
            onHeader(*header);
        } else if (const auto* data = std::get_if<StreamReader::Data>(&*item)) {
            onFileData(data->bytes);
        } else if (std::holds_alternative<StreamReader::FileEnd>(*item)) {
            onFileEnd();
        } else if (std::holds_alternative<StreamReader::End>(*item)) {
            onEnd();
        }
    }
    receiveRestOfFile();
    processing_ = false;
}

void Receiver::receiveRestOfFile() {
    if (asking_ || ended_ || client_ == nullptr || client_->IsReceiving() || !reader_.inFile() ||
        reader_.remaining() == 0) {
        return;
    }
    client_->SetReceiveStream(std::make_unique<FileData>(*this), size_);
}

void Receiver::onHeader(const StreamReader::Header& header) {
    name_ = header.name;
    size_ = header.size;
    received_ = 0;
    file_.reset();
    const std::optional<std::filesystem::path> relative = receivedPath(header.name, codePage_);
    if (!relative) {
        leaveBehind();
        client_->SendText(kGoAhead);
        return;
    }
    target_ = folder_ / *relative;
    const std::optional<std::uint64_t> free = host_.freeBytes(folder_.string());
    if (free && *free < static_cast<std::uint64_t>(size_)) {
        asking_ = true;
        view_.askToContinue(texts_.notSpace,
                            [this, alive = alive_, connection = connection_](bool yes) {
                                if (*alive && connection == connection_ && asking_) {
                                    onAnswer(yes);
                                }
                            });
        return;
    }
    receiveInto(target_);
}

void Receiver::onAnswer(bool yes) {
    asking_ = false;
    // On No the header stays unanswered, and the sender waits; its data, should any come,
    // is dropped.
    if (yes) {
        receiveInto(target_);
    }
    process();
}

void Receiver::receiveInto(const std::filesystem::path& target) {
    std::error_code ignored;
    std::filesystem::create_directories(target.parent_path(), ignored);
    file_ = PartFile::create(target);
    if (!file_) {
        leaveBehind();
    }
    view_.showProgress(0);
    client_->SendText(kGoAhead);
}

void Receiver::onFileData(std::string_view bytes) {
    onFileData(bytes.size(), file_ ? file_->write({bytes.data(), bytes.size()}) : 0);
}

void Receiver::onFileData(std::size_t taken, std::size_t written) {
    received_ += static_cast<std::int64_t>(taken);
    if (file_ && written < taken) {
        file_.reset();
        leaveBehind();
    }
    view_.showProgress(progressPercent(received_, size_));
}

void Receiver::onFileEnd() {
    // The sender waits for the end of the data to be acknowledged before it pauses for the next
    // message; a delayed acknowledgement would cost every file tens of milliseconds.
    client_->AcknowledgeNow();
    if (file_ && !file_->close()) {
        leaveBehind();
    }
    file_.reset();
    view_.showProgress(0);
}

void Receiver::onEnd() {
    ended_ = true;
    view_.transferOver();
    if (leftBehind_.empty()) {
        pauses_->after(kBeforeClosing, [this] { view_.closeProgram(); });
    } else {
        view_.showStatus(texts_.notReceived + joinedNames(leftBehind_));
    }
}

void Receiver::leaveBehind() {
    leftBehind_.push_back(name_);
    view_.showStatus(texts_.notReceived + name_);
}

} // namespace couriel

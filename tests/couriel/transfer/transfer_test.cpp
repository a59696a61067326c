#include "couriel/socket/tcpserver.h"
#include "couriel/transfer/filestream.h"
#include "couriel/transfer/receiver.h"
#include "couriel/transfer/sender.h"
#include "couriel/transfer/streamreader.h"
#include "couriel/transfer/wirenames.h"
#include "platform/wsaerrors.h"
#include "tests/couriel/courielfakes.h"
#include "tests/fakes/tempfolder.h"
#include "tests/fakes/tmpfsmount.h"

#include <algorithm>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace couriel_test;
using namespace std::chrono_literals;
using couriel::StreamReader;
using couriel::TcpClient;
using couriel::TcpSocket;

class TransferTest : public testing::Test {
protected:
    void SetUp() override { fakes::qtApplication(); }

    std::unique_ptr<couriel::Receiver> makeReceiver(const fs::path& folder,
                                                    const platform::HostInfo* hostInfo = nullptr) {
        auto receiver = std::make_unique<couriel::Receiver>(
            receiverView, couriel::TransferTexts{}, codePage, hostInfo ? *hostInfo : host,
            std::make_unique<QuickPauses>(receiverDelays), record, port);
        receiver->start(folder);
        return receiver;
    }
    std::unique_ptr<couriel::Sender> makeSender(std::unique_ptr<couriel::Pauses> pauses = {}) {
        return std::make_unique<couriel::Sender>(
            senderView, couriel::TransferTexts{}, codePage,
            pauses ? std::move(pauses) : std::make_unique<QuickPauses>(senderDelays), record, port);
    }
    // Sends the selection of the folder to a receiver made here, until both have closed.
    void sendBetween(const fs::path& from, const fs::path& to, std::vector<std::string> selection) {
        senderView = RecordingView();
        receiverView = RecordingView();
        senderView.selection = std::move(selection);
        port = fakes::freePort(SOCK_STREAM);
        const auto receiver = makeReceiver(to);
        const auto sender = makeSender();
        sender->start(from, "127.0.0.1");
        ASSERT_TRUE(waitUntil([&] { return senderView.closes == 1 && receiverView.closes == 1; }));
    }

    std::uint16_t port = fakes::freePort(SOCK_STREAM);
    common::CodePage codePage{"CP1251"};
    HostWithFreeSpace host;
    RecordingView senderView;
    RecordingView receiverView;
    std::vector<int> senderDelays;
    std::vector<int> receiverDelays;
    std::vector<std::string> messages;
    const couriel::MessageEvent record = [this](const std::string& text) {
        messages.push_back(text);
    };
};

// The sockets are tested in the world of the transfers.
using TcpSocketTest = TransferTest;

// Takes what it receives as a stream that is no file.
struct MemoryStream : couriel::IncomingStream {
    std::int64_t position() const override { return std::ssize(bytes); }
    void write(std::span<const char> data) override { bytes.append(data.data(), data.size()); }
    int descriptor() const override { return -1; }
    void received(std::size_t, std::size_t) override {}

    std::string bytes;
};

// The peer reads only when the test drains it.
TEST_F(TcpSocketTest, AFileGoesWholeAndInOrderAndBadAddressesAndRefusalsFail) {
    std::vector<int> errors;
    int disconnects = 0;
    TcpClient client(record);
    client.setHost("127.0.0.1");
    client.OnError = [&](TcpSocket&, int code) { errors.push_back(code); };
    client.OnDisconnect = [&](TcpSocket&) { ++disconnects; };
    RawPeer peer;
    client.setPort(peer.listen());
    client.Connect();
    EXPECT_TRUE(client.Active()) << "while it connects";
    ASSERT_TRUE(waitUntil([&] { return client.Connected(); }));
    EXPECT_FALSE(client.Active());
    ASSERT_TRUE(peer.accept());

    // Big enough that the loopback buffers of both ends are full long before the file ends.
    const std::string bytes = patternBytes(16 << 20);
    const TempFolder folder;
    const auto file = couriel::FileStream::openForReading(folder.write("file", bytes));
    ASSERT_TRUE(client.SendStream(*file));
    ASSERT_TRUE(client.IsSending()) << "the first pass stops where the socket would block";
    EXPECT_FALSE(client.SendStream(*file));
    // The text goes between two pieces of the file, as soon as the socket takes it.
    client.SendText("END");
    ASSERT_TRUE(waitUntil([&] {
        peer.drain();
        return peer.received.size() >= bytes.size() + 3;
    }));
    const std::size_t at = peer.received.find("END");
    EXPECT_TRUE(peer.received.substr(0, at) + peer.received.substr(at + 3) == bytes);

    // The peer reads no more, so its buffer fills and the rest waits for ever.
    bool delivered = false;
    client.SendText(bytes);
    client.WhenDelivered([&] { delivered = true; }, 200ms);
    ASSERT_TRUE(waitUntil([&] { return disconnects == 1; }));
    EXPECT_EQ(errors, std::vector<int>{platform::kWsaETimedOut});
    EXPECT_FALSE(delivered);

    for (const std::string host : {"255.255.255.255", "couriel.example", ""}) {
        errors.clear();
        client.setHost(host);
        client.Connect();
        EXPECT_EQ(errors, std::vector<int>{platform::kWsaEAddrNotAvail}) << host;
        EXPECT_FALSE(client.Active());
        EXPECT_EQ(client.handle(), -1);
    }
    EXPECT_TRUE(messages.empty());

    // Nobody listens on the port; without an error handler the refusal becomes a message.
    client.OnError = nullptr;
    client.OnConnect = [](TcpClient&) { ADD_FAILURE() << "refused, yet connected"; };
    client.setHost("127.0.0.1");
    client.setPort(fakes::freePort(SOCK_STREAM));
    client.Connect();
    const std::string handle = std::to_string(client.handle());
    ASSERT_TRUE(waitUntil([&] { return !messages.empty(); }));
    runFor(20ms);
    EXPECT_EQ(messages,
              std::vector<std::string>{"Socket error WSAECONNREFUSED on socket " + handle});
    EXPECT_FALSE(client.Active());
    EXPECT_EQ(client.handle(), -1) << "the abandoned attempt's socket is closed";
}

// A client that leaves is taken out of the list at once and destroyed only after its event.
TEST_F(TcpSocketTest, AServerClientReceivesIntoAStreamAndALeavingOneGoesAfterItsEvent) {
    const int before = platform::SocketStartup::live();
    int disconnects = 0;
    {
        couriel::TcpServer server(record);
        server.setPort(fakes::freePort(SOCK_STREAM));
        std::string data;
        server.OnClientData = [&](TcpClient& sender, std::string_view chunk) {
            data.append(chunk);
            if (chunk == "bye") {
                sender.Disconnect();
            }
        };
        server.OnClientDisconnect = [&](TcpSocket&) { ++disconnects; };
        server.Listen();
        RawPeer peers[3];
        for (RawPeer& peer : peers) {
            ASSERT_TRUE(peer.connect(server.port()));
        }
        ASSERT_TRUE(waitUntil([&] { return server.clients().size() == 3; }));
        EXPECT_EQ(platform::SocketStartup::live(), before + 4);
        couriel::ServerClient& first = *server.clients()[0];
        couriel::ServerClient& last = *server.clients()[2];
        first.Connect();
        ASSERT_TRUE(waitUntil([&] { return !messages.empty(); }));
        EXPECT_EQ(messages, std::vector<std::string>{"Can't connect ServerClient"});

        // A receive stream takes exactly its size, the rest goes to OnData; one of size 0 is not
        // taken, the first one stays attached.
        first.SetReceiveStream(std::make_unique<MemoryStream>(), 10);
        first.SetReceiveStream(std::make_unique<MemoryStream>(), 0);
        peers[0].write("0123456789FILE\r");
        ASSERT_TRUE(waitUntil([&] { return data == "FILE\r"; }));
        // A reset is one disconnect.
        peers[0].die(Death::Reset);
        ASSERT_TRUE(waitUntil([&] { return disconnects > 0; }));
        runFor(20ms);
        EXPECT_EQ(disconnects, 1);

        peers[1].write("bye");
        ASSERT_TRUE(waitUntil([&] { return server.clients().size() == 2; }));
        EXPECT_EQ(platform::SocketStartup::live(), before + 4) << "destroyed later";
        ASSERT_TRUE(waitUntil([&] { return platform::SocketStartup::live() == before + 3; }));
        EXPECT_EQ(server.clients()[1].get(), &last);

        server.Disconnect();
        EXPECT_TRUE(server.clients().empty());
        EXPECT_EQ(server.handle(), -1);
        ASSERT_TRUE(waitUntil([&] { return platform::SocketStartup::live() == before + 1; }));
    }
    EXPECT_EQ(platform::SocketStartup::live(), before);
}

// A link to a file goes as the file; a link to a folder is not followed, so one back up
// cannot make the walk endless.
TEST_F(TransferTest, AFolderTreeAnEmptyFileAndAReplacedFileArriveByteForByte) {
    TempFolder source;
    TempFolder target;
    const fs::path from = source.folder();
    fs::create_directories(from / "tree/sub/deeper");
    fs::create_directories(from / "tree/nothing");
    source.write("tree/a.bin", patternBytes(10000));
    source.write("tree/sub/deeper/f.bin", patternBytes(50001));
    source.write("tree/sub/.hidden", "hidden");
    source.write("empty.txt", "");
    source.write("exists.txt", "new");
    fs::create_directory_symlink("..", from / "tree/sub/up");
    fs::create_symlink(from / "exists.txt", from / "tree/link.txt");
    target.write("exists.txt", "old content, longer than the new");

    sendBetween(from, target.folder(), {"tree", "empty.txt", "exists.txt"});
    EXPECT_EQ(filesBelow(target.folder()), filesBelow(from));
    EXPECT_FALSE(fs::exists(fs::path(target.folder()) / "tree/nothing"));
    EXPECT_EQ(senderView.statuses, std::vector<std::string>{"Connect to "});
    EXPECT_EQ(receiverView.statuses, std::vector<std::string>{"Connect to 127.0.0.1"});
    EXPECT_EQ(receiverView.progress.back(), 0);
    EXPECT_TRUE(std::count(receiverView.progress.begin(), receiverView.progress.end(), 100) > 0);
    // A pause before each file's data, between files, before the end mark, before closing.
    EXPECT_EQ(senderDelays,
              (std::vector<int>{100, 200, 100, 200, 100, 200, 100, 200, 100, 200, 100, 50, 100}));
    EXPECT_EQ(receiverDelays, std::vector<int>{100});
    EXPECT_TRUE(messages.empty());

    // Into the folder they come from: each file is read whole while its copy arrives.
    const std::map<std::string, std::string> before = filesBelow(from);
    sendBetween(from, from, {"tree", "exists.txt"});
    EXPECT_EQ(filesBelow(from), before);
}

// A receiver on a slow link that reads as the first implementation did: one read of up to
// 4096 bytes at a time, each message taken to be what one read returns, the data counted. Its
// small receive buffer and its pause after each read leave most of a big file waiting in the
// sender's socket when the sender has handed it over. The sender's real pauses must keep every
// header and the end mark in a read of their own all the same.
TEST_F(TransferTest, OnASlowLinkEveryHeaderAndTheEndMarkComeInAReadOfTheirOwn) {
    TempFolder source;
    source.write("big.bin", patternBytes(4 << 20));
    source.write("small.bin", patternBytes(50000));
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int smallBuffer = 4 << 10;
    ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &smallBuffer, sizeof smallBuffer);
    // Blocking calls that give up, so that a failing sender cannot hang the test.
    const timeval limit{30, 0};
    ::setsockopt(listener, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    const sockaddr_in any = loopback(0);
    ::bind(listener, reinterpret_cast<const sockaddr*>(&any), sizeof any);
    ::listen(listener, 1);
    port = portOf(listener);
    std::future<bool> receiver = std::async(std::launch::async, [listener] {
        const int fd = ::accept(listener, nullptr, nullptr);
        char read[4096];
        int headers = 0;
        long remaining = 0;
        for (;;) {
            const ssize_t n = ::recv(fd, read, sizeof read, 0);
            if (n <= 0) {
                return false;
            }
            const std::string_view bytes(read, static_cast<std::size_t>(n));
            if (remaining > 0) {
                // More than the data's end: a message came with it.
                if (n > remaining) {
                    return false;
                }
                remaining -= n;
            } else if (bytes == "END") {
                return headers == 2;
            } else {
                // A whole header and nothing after it: "FILE" CR size CR name CR.
                const std::size_t sizeEnd = bytes.find('\r', 5);
                if (!bytes.starts_with("FILE\r") || sizeEnd == std::string_view::npos ||
                    bytes.find('\r', sizeEnd + 1) != bytes.size() - 1) {
                    return false;
                }
                remaining = std::strtol(read + 5, nullptr, 10);
                ++headers;
                ::send(fd, "UPLOADING", 9, MSG_NOSIGNAL);
            }
            ::usleep(1000);
        }
    });
    const auto sender = makeSender(std::make_unique<couriel::TimerPauses>());
    senderView.selection = {"small.bin", "big.bin"};
    sender->start(source.folder(), "127.0.0.1");
    ASSERT_TRUE(waitUntil([&] { return receiver.wait_for(0s) == std::future_status::ready; }));
    EXPECT_TRUE(receiver.get());
    EXPECT_EQ(senderView.overs, 1);
    ::close(listener);
}

TEST_F(TransferTest, AHostileSenderWritesNothingOutsideTheFolderAndCorruptsNoFile) {
    TempFolder area;
    const fs::path target = fs::path(area.folder()) / "target";
    const fs::path outside = fs::path(area.folder()) / "outside";
    fs::create_directories(target);
    area.write("target/keep.txt", "original");
    const auto receiver = makeReceiver(target);
    RawPeer sender;
    ASSERT_TRUE(sender.connect(port));
    // The receiver sends nothing but go-aheads.
    const auto answered = [&](std::size_t goAheads) {
        return waitUntil([&] {
            sender.drain();
            return sender.received.size() >= goAheads * couriel::kGoAhead.size();
        });
    };

    sender.write("FILE\r5\rcoalesced.txt\rhello");
    ASSERT_TRUE(answered(1));
    sender.write("FILE\r3\rspl");
    runFor(30ms);
    sender.write("it.txt\rabc");
    ASSERT_TRUE(answered(2));
    sender.write("FILE\r5\r..\\..\\evil.txt\r");
    ASSERT_TRUE(answered(3)) << "a refused file is answered, and its data dropped";
    sender.write("EVIL!");
    const std::string absolute = (outside / "abs.txt").string();
    sender.write("FILE\r4\r" + absolute + "\rABS!FILE\r4\rC:\\drive.txt\rDRV!");
    ASSERT_TRUE(answered(5));
    sender.write("FILE\r-5\rneg.txt\r");
    runFor(30ms);
    sender.write("FILE\r3\rkeep.txt\rab");
    ASSERT_TRUE(waitUntil([&] { return receiverView.progress.back() == 67; }));
    EXPECT_EQ(TempFolder::read(target / "keep.txt"), "original") << "replaced once whole";
    // Too little room: No to the question leaves the header unanswered, and what data comes
    // all the same is dropped.
    host.free = 10;
    receiverView.answerYes = false;
    sender.write("cFILE\r11\rbig.txt\releven byteEND");
    ASSERT_TRUE(waitUntil([&] { return receiverView.overs == 1; }));
    EXPECT_EQ(receiverView.questions, std::vector<std::string>{"Small space, continue?"});
    sender.drain();
    EXPECT_EQ(sender.received.size(), 6 * couriel::kGoAhead.size())
        << "none for the negative size nor for the file there is no room for";

    EXPECT_EQ(filesBelow(area.folder()), (std::map<std::string, std::string>{
                                             {"target/coalesced.txt", "hello"},
                                             {"target/split.txt", "abc"},
                                             {"target/keep.txt", "abc"},
                                             {"target/" + absolute.substr(1), "ABS!"},
                                         }));
    EXPECT_EQ(receiverView.statuses.back(), "Not received: ..\\..\\evil.txt, C:\\drive.txt");
}

// The folder the files go to is on a small file system that runs full in the middle of a file.
// The free space is asked of the real file system, so that the question comes and is answered
// Yes; it is asked again for the small file, which finds the file system full.
TEST_F(TransferTest, AFullFileSystemNamesTheFileThatCouldNotBeWritten) {
    TempFolder source;
    const std::string data = patternBytes(200000);
    source.write("big.bin", data);
    source.write("small.txt", "small");
    TempFolder area;
    const fakes::TmpfsMount small(area.folder(), "size=64k");
    if (!small.error().empty()) {
        GTEST_SKIP() << "cannot mount a small file system here (needs root): " << small.error();
    }
    const platform::SystemHostInfo system;
    const auto receiver = makeReceiver(area.folder(), &system);
    const auto sender = makeSender();
    senderView.selection = {"small.txt", "big.bin"};
    sender->start(source.folder(), "127.0.0.1");
    ASSERT_TRUE(waitUntil([&] { return receiverView.overs == 1; }));
    runFor(300ms);

    EXPECT_EQ(receiverView.questions.size(), 2U);
    EXPECT_EQ(receiverView.statuses.back(), "Not received: big.bin, small.txt");
    EXPECT_EQ(receiverView.closes, 0) << "stays open to show what did not arrive";
    const std::string written = TempFolder::read(area.file("big.bin"));
    EXPECT_LT(written.size(), data.size());
    EXPECT_EQ(written, data.substr(0, written.size())) << "what was written is right";
    EXPECT_TRUE(messages.empty());
}

// What the reader makes of the chunks, one word an item: H<size>:<name>, D:<bytes> (pieces of
// one file's data joined), F (file end), E (end mark), I<count> (ignored bytes).
std::string trace(const std::vector<std::string>& chunks) {
    StreamReader reader;
    std::string text;
    bool inData = false;
    for (const std::string& chunk : chunks) {
        EXPECT_TRUE(reader.append(chunk));
        while (const auto item = reader.next()) {
            const auto* data = std::get_if<StreamReader::Data>(&*item);
            if (data != nullptr && inData) {
                text += data->bytes;
                continue;
            }
            inData = data != nullptr;
            text += text.empty() ? "" : " ";
            if (const auto* h = std::get_if<StreamReader::Header>(&*item)) {
                text += "H" + std::to_string(h->size) + ":" + h->name;
            } else if (data != nullptr) {
                text += "D:" + std::string(data->bytes);
            } else if (std::holds_alternative<StreamReader::FileEnd>(*item)) {
                text += "F";
            } else if (std::holds_alternative<StreamReader::End>(*item)) {
                text += "E";
            } else {
                text += "I" + std::to_string(std::get<StreamReader::Ignored>(*item).size);
            }
        }
    }
    return text;
}

TEST(StreamReaderTest, HeadersSizesAndUnknownBytes) {
    const std::vector<std::tuple<const char*, std::vector<std::string>, std::string>> cases = {
        {"case does not matter", {"file\r1\rLower\r", "z", "eNd"}, "H1:Lower D:z F E"},
        {"no digits give 0", {"FILE\r\rnone\r"}, "H0:none F"},
        {"digits end at another character", {"FILE\r12abc\rx\r"}, "H12:x"},
        {"a plus sign", {"FILE\r+2\rx\rab"}, "H2:x D:ab F"},
        {"minus zero is zero", {"FILE\r-0\rx\r"}, "H0:x F"},
        {"a letter first gives 0", {"FILE\rx1\rx\r"}, "H0:x F"},
        {"text after the name belongs to the data", {"FILE\r2\rx\rabEND"}, "H2:x D:ab F E"},
        {"a negative size is ignored", {"FILE\r-5\rneg.txt\r", "END"}, "I16 E"},
        {"a size beyond 32 bits is ignored", {"FILE\r2147483648\rbig\r"}, "I20"},
        {"the largest size", {"FILE\r2147483647\rbig\r"}, "H2147483647:big"},
        {"an unknown chunk is dropped whole", {"hello", "END"}, "I5 E"},
        {"FILE without its CR is no header", {"FILEX\r1\rx\r"}, "I10"},
        {"a beginning waits for the rest", {"E", "N"}, ""},
        {"an over-long header is dropped", {"FILE\r1\r" + std::string(5000, 'n') + "\r"}, "I5008"},
    };
    for (const auto& [what, chunks, expected] : cases) {
        EXPECT_EQ(trace(chunks), expected) << what;
    }
}

TEST(StreamReaderTest, EveryCutOfAStreamReadsTheSame) {
    const std::string stream = "FILE\r4\rsub\\x\rdataFILE\r0\re\rFILE\r2\ry\rEND";
    const std::string whole = trace({stream});
    ASSERT_EQ(whole, "H4:sub\\x D:data F H0:e F H2:y D:EN F I1");
    for (std::size_t at = 1; at < stream.size(); ++at) {
        EXPECT_EQ(trace({stream.substr(0, at), stream.substr(at)}), whole) << "cut at " << at;
    }
}

TEST(StreamReaderTest, BytesBeyondTheBacklogAreRefused) {
    StreamReader reader;
    ASSERT_TRUE(reader.append("FILE\r1\rx\r"));
    const std::string lot(StreamReader::kMaxBacklog, 'd');
    EXPECT_FALSE(reader.append(lot));
    EXPECT_TRUE(reader.append(std::string_view(lot).substr(0, 100)));
}

TEST(GoAheadReaderTest, CountsGoAheadsAcrossReadsAndDropsTheRest) {
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{"UPLOADING"}, 1},          {{"UPLO", "ADING"}, 1}, {{"uploading"}, 1},
        {{"UPLOADINGUPLOADING"}, 2}, {{"xUPLOADING"}, 0},    {{"UPLOADX", "ING"}, 0},
        {{"UPLOADING", "UP"}, 1},
    };
    for (const auto& [chunks, expected] : cases) {
        couriel::GoAheadReader reader;
        int count = 0;
        for (const std::string& chunk : chunks) {
            count += reader.append(chunk);
        }
        EXPECT_EQ(count, expected) << chunks.front();
    }
}

// Halves go to the even percent; sizes up to 2 GiB do not overflow.
TEST(ProgressTest, RoundsToTheNearestPercentHalvesToEven) {
    const std::vector<std::tuple<std::int64_t, std::int64_t, int>> cases = {
        {1, 200, 0}, {3, 200, 2}, {5, 200, 2}, {2, 3, 67}, {0, 0, 0}, {2147483647, 2147483647, 100},
    };
    for (const auto& [position, size, percent] : cases) {
        EXPECT_EQ(couriel::progressPercent(position, size), percent) << position << "/" << size;
    }
}

const common::CodePage cp1251("CP1251");

TEST(WireNamesTest, AReceivedNameStaysBelowTheFolderOrIsRefused) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"docs\\report.doc", "docs/report.doc"},
        {"sub\\deeper\\f", "sub/deeper/f"},
        {"a/b", "a/b"},
        {"\\etc\\passwd", "etc/passwd"},
        {"/tmp/x", "tmp/x"},
        {".\\a\\\\b", "a/b"},
        {"...", "..."},
        {"\xEF\xF0\xE8\xE2\xE5\xF2.txt", "привет.txt"},
        {"..\\..\\evil.txt", std::nullopt},
        {"a\\..\\..\\b", std::nullopt},
        {"../x", std::nullopt},
        {"C:\\Windows\\evil.txt", std::nullopt},
        {"c:evil.txt", std::nullopt},
        {"\\D:\\x", std::nullopt},
        {"", std::nullopt},
        {"\\", std::nullopt},
        {".", std::nullopt},
        {std::string("a\0b", 3), std::nullopt},
    };
    for (const auto& [name, expected] : cases) {
        const std::optional<fs::path> path = couriel::receivedPath(name, cp1251);
        EXPECT_EQ(path ? std::optional(path->string()) : std::nullopt, expected) << name;
    }
}

TEST(WireNamesTest, ASentNameIsCarriedExactlyOrNotAtAll) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"sub/deeper/f", "sub\\deeper\\f"},
        {"привет.txt", "\xEF\xF0\xE8\xE2\xE5\xF2.txt"},
        {"back\\slash", std::nullopt},
        {"carriage\rreturn", std::nullopt},
    };
    for (const auto& [relative, expected] : cases) {
        const std::optional<std::string> name = couriel::wireName(relative, cp1251);
        EXPECT_EQ(name, expected) << relative;
        if (name) {
            EXPECT_EQ(couriel::receivedPath(*name, cp1251), fs::path(relative)) << relative;
        }
    }
}

} // namespace

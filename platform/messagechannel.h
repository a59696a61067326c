#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
struct pollfd;

namespace platform {

// One program's end of the window messages between the chat and the file-exchange program.
// Each endpoint owns a number from 1 to 65535, its "window handle", and a socket named by that
// number in a per-user folder (messagefolder.h); a message is a code and a value.
//
// Sending is synchronous: send returns once the receiver's handler has run. While it waits, the
// sending thread serves the messages that arrive for any endpoint it owns, and only those, so
// two programs sending to each other at once, or a handler that sends back, cannot deadlock.
// Otherwise messages are served from the Qt event loop of the thread that created the endpoint,
// which is the only thread that may use it.
class MessageEndpoint {
public:
    // Called with the code and value of each message; it may send, but must not destroy the
    // endpoint it was called for.
    using Handler = std::function<void(int code, int value)>;

    // Takes the lowest free number in the folder; the socket of an endpoint whose program has
    // died is taken over. Null when the folder is unusable or every number is taken.
    static std::unique_ptr<MessageEndpoint> create(Handler handler, const std::string& folder);

    ~MessageEndpoint();
    MessageEndpoint(const MessageEndpoint&) = delete;
    MessageEndpoint& operator=(const MessageEndpoint&) = delete;

    int number() const { return number_; }

    // Delivers a message to the endpoint with the target's low 16 bits as its number, and
    // returns true once that endpoint's handler has run. False at once for target 0 or an
    // endpoint that does not exist; false as soon as the receiver dies, or when its handler
    // has not finished within the reply timeout. A message whose sender has given up before the
    // receiver got to it is dropped, never handled late.
    bool send(int target, int code, int value);

    void setReplyTimeout(std::chrono::milliseconds timeout) { replyTimeout_ = timeout; }

private:
    using Clock = std::chrono::steady_clock;

    struct Pending {
        int fd;
        std::unique_ptr<QSocketNotifier> notifier;
    };

    MessageEndpoint(Handler handler, std::string folder, int number, int listenFd);

    // One round of the wait inside send, over every endpoint of the thread.
    static bool waitRound(int replyFd, Clock::time_point until);
    void addWatched(std::vector<pollfd>& watched) const;
    bool serveReady(int fd);

    bool acceptOne();
    void keepPending(int fd);
    void servePending(int fd);
    void serveConnection(int fd);

    Handler handler_;
    std::string folder_;
    std::string path_;
    int number_;
    int listenFd_;
    std::unique_ptr<QSocketNotifier> listenNotifier_;
    std::vector<Pending> pending_;
    std::chrono::milliseconds replyTimeout_{5000};
};

} // namespace platform

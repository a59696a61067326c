// Plays the file-exchange program against the message channel tests. Arguments: the message
// folder and the test's endpoint number. It sends 225 and 221 with its own number, expects four
// 223 and a 224, and sends 222. Like the test, it answers every message from inside its handler
// with 900 and the count of messages it has handled, so that each side sees whether the other's
// handler had run by the time send returned.
#include "platform/messagechannel.h"
#include "tests/fakes/qtapplication.h"

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

constexpr int kHandledSoFar = 900;

int fail(const char* what) {
    std::fprintf(stderr, "messagechannel_peer: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        return fail("usage: messagechannel_peer <folder> <number>");
    }
    const int test = std::atoi(argv[2]);
    std::vector<std::pair<int, int>> handled;
    int answered = 0;
    std::unique_ptr<platform::MessageEndpoint> endpoint;
    endpoint = platform::MessageEndpoint::create(
        [&](int code, int value) {
            if (code == kHandledSoFar) {
                answered = value;
                return;
            }
            handled.emplace_back(code, value);
            endpoint->send(test, kHandledSoFar, static_cast<int>(handled.size()));
        },
        argv[1]);
    if (!endpoint) {
        return fail("no endpoint");
    }
    const auto notify = [&](int code, int value, int count) {
        return endpoint->send(test, code, value) && answered == count;
    };
    if (!notify(225, endpoint->number(), 1) || !notify(221, endpoint->number(), 2)) {
        return fail("a notice was not handled before send returned");
    }
    if (!fakes::waitUntil([&] { return handled.size() >= 5; })) {
        return fail("the address did not arrive");
    }
    const std::vector<std::pair<int, int>> address{
        {223, 192}, {223, 168}, {223, 0}, {223, 7}, {224, 0}};
    if (handled != address) {
        return fail("the address arrived wrong");
    }
    return notify(222, 0, 3) ? 0 : fail("222 was not handled before send returned");
}

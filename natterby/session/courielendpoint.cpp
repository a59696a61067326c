#include "natterby/session/courielendpoint.h"

namespace natterby::session {

CourielEndpoint::CourielEndpoint(const std::string& folder)
    : endpoint_(folder.empty() ? nullptr
                               : platform::MessageEndpoint::create(
                                     [this](int code, int value) {
                                         if (notice_) {
                                             notice_(code, value);
                                         }
                                     },
                                     folder)) {}

void CourielEndpoint::send(int window, int code, int value) {
    if (endpoint_) {
        endpoint_->send(window, code, value);
    }
}

} // namespace natterby::session

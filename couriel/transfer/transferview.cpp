#include "couriel/transfer/transferview.h"

namespace couriel {

int progressPercent(std::int64_t position, std::int64_t size) {
    if (size <= 0) {
        return 0;
    }
    // Whole numbers only: a file of up to 2 GiB times 100 fits easily.
    const std::int64_t scaled = position * 100;
    std::int64_t percent = scaled / size;
    const std::int64_t twiceRest = 2 * (scaled % size);
    if (twiceRest > size || (twiceRest == size && percent % 2 != 0)) {
        ++percent;
    }
    return static_cast<int>(percent);
}

std::string joinedNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += text.empty() ? "" : ", ";
        text += name;
    }
    return text;
}

} // namespace couriel

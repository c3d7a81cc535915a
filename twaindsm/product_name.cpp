#include "product_name.h"

std::string ProductNameOf(const std::string& vendor, const std::string& model) {
    std::string name = vendor.empty() ? model : model.empty() ? vendor : vendor + " " + model;
    constexpr size_t Limit = 33;
    if (name.size() <= Limit) return name;
    size_t end = Limit;
    // Step back over continuation bytes to the start of the character that
    // crosses the limit.
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    return name.substr(0, end);
}

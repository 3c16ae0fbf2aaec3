#include "base/errors.h"

namespace dodir {

std::string FormatMessage1(const std::string& templ, const std::string& arg) {
    const auto at = templ.find("%s");
    if (at == std::string::npos) return templ;
    std::string out = templ.substr(0, at);
    out += arg;
    out += templ.substr(at + 2);
    return out;
}

} // namespace dodir

#include "app/core/ProcessEnd.h"

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::function<void()>> &releases()
{
    static std::vector<std::function<void()>> registered;
    return registered;
}

} // namespace

namespace ProcessEnd {

void atEnd(const std::function<void()> &release)
{
    releases().push_back(release);
}

void now(int status)
{
    for (auto release = releases().rbegin(); release != releases().rend(); ++release)
        (*release)();
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(status);
}

} // namespace ProcessEnd

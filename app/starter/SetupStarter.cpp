// The program a release calls Setup (and an installation uninstall): it starts the installer
// the release carries as runtime/Setup, on the machine's own font libraries where it has
// them and on the release's copies in runtime/fallback where it has none.
//
// The installer links Qt's GUI library, which needs fontconfig and FreeType. A desktop has
// both, and they must be its own (its font configuration and caches are written for them),
// but a container or build server without them could not even start a headless run. The
// dynamic loader has no "use this copy only if the system has none", so this program asks
// before the installer's libraries are loaded. It uses the C library alone, so it starts
// wherever the installer is meant to run.
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A path below the folder this program lies in; false when it would not fit.
bool pathBeside(char (&path)[PATH_MAX], const char *relative)
{
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return false;
    path[length] = '\0';
    char *lastSlash = std::strrchr(path, '/');
    if (!lastSlash)
        return false;
    const size_t folderLength = size_t(lastSlash - path) + 1;
    return std::snprintf(lastSlash + 1, sizeof path - folderLength, "%s", relative) < int(sizeof path - folderLength);
}

// What the loader would find for the installer, looked up the same way.
bool systemHas(const char *library)
{
    void *handle = ::dlopen(library, RTLD_LAZY | RTLD_LOCAL);
    if (!handle)
        return false;
    ::dlclose(handle);
    return true;
}

bool useFallbackLibraries()
{
    char fallback[PATH_MAX];
    char configuration[PATH_MAX];
    if (!pathBeside(fallback, "runtime/fallback") || !pathBeside(configuration, "runtime/fallback/fonts.conf"))
        return false;
    const char *callerPath = std::getenv("LD_LIBRARY_PATH");
    char path[2 * PATH_MAX];
    if (callerPath && *callerPath)
        std::snprintf(path, sizeof path, "%s:%s", fallback, callerPath);
    else
        std::snprintf(path, sizeof path, "%s", fallback);
    // A machine without fontconfig has no configuration for it either; this one names the
    // system's font folders and no cache folder, so nothing is written anywhere.
    return ::setenv("LD_LIBRARY_PATH", path, 1) == 0 && ::setenv("FONTCONFIG_FILE", configuration, 1) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    const char *name = argc > 0 && argv[0] ? argv[0] : "Setup";
    char installer[PATH_MAX];
    if (!pathBeside(installer, "runtime/Setup")) {
        std::fprintf(stderr, "%s: cannot find the folder it was started from\n", name);
        return 1;
    }
    if ((!systemHas("libfontconfig.so.1") || !systemHas("libfreetype.so.6")) && !useFallbackLibraries()) {
        std::fprintf(stderr, "%s: cannot set up the release's own font libraries\n", name);
        return 1;
    }
    // The installer keeps the name it was started by: "uninstall" starts a removal.
    ::execv(installer, argv);
    std::fprintf(stderr, "%s: cannot start %s: %s\n", name, installer, std::strerror(errno));
    return 1;
}

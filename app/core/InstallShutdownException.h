#pragma once

#include <exception>

// End the installer at once: the event loop stops and the process exits.
class InstallShutdownException : public std::exception
{
public:
    const char *what() const noexcept override { return "installer shut down"; }
};

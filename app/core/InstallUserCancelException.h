#pragma once

#include <exception>

// The user chose to stop the run (Cancel in a question, or Yes to "terminate").
class InstallUserCancelException : public std::exception
{
public:
    const char *what() const noexcept override { return "cancelled by user"; }
};

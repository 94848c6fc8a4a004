#pragma once

// Where the running program and the user's files live, as the operating system reports them.

#include <string>

namespace snapvale {

// The folder holding the running program file, absolute, without a trailing separator (except
// for a root). Empty when the system cannot tell.
std::string ProgramFolder();

// The user's home folder, without a trailing separator; empty when unknown.
std::string HomeFolder();

} // namespace snapvale

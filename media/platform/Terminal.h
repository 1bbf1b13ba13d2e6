#pragma once

// Terminal queries for copy-files mode.
namespace Platform {

// Window size of the terminal on standard output; false (and the out-parameters
// untouched) when standard output is not a terminal.
bool terminalSize(int *columns, int *rows);
// One key from standard input, unbuffered and unechoed; EOF at end of input.
int readKey();

} // namespace Platform

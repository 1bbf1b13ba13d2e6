#pragma once

// The graphical installer run: prepares the process, makes sure no other installer of
// the product runs, builds the wizard, the product's configuration tree and the
// application, runs it and ends the process with 0 for a finished run, else 1.
// It does not return.
int runInstaller(int argc, char **argv);

#pragma once

// The program's entry: reads the start-up options, then shows the option summary,
// unpacks the product in copy-files mode, or hands over to the installer start-up.
// Answers the process's exit status.
int runSetup(int argc, char **argv);

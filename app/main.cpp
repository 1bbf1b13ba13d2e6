#include "app/entry/EntryPoint.h"

int main(int argc, char **argv)
{
    return runSetup(argc, argv);
}

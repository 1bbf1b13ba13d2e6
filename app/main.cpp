#include <cstdio>

int main(int, char **)
{
    std::fputs("error: the installer is not built yet\n", stderr);
    return 1;
}

// Entry point of Quorvadellix; the game itself is started from here.
#include <cstdio>

int main()
{
    std::puts("Quorvadellix");
    return 0;
}

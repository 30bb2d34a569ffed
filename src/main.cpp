// Placeholder until the window and the application's life are built; their owner replaces this file.
#include <cstdio>
int main() {
    std::fputs("kelvane is not built yet\n", stderr);
    return 6;
}

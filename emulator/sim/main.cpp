// Placeholder until kelvane-sim is built; its owner replaces this file.
#include <cstdio>
int main() {
    std::fputs("kelvane-sim is not built yet\n", stderr);
    return 1;
}

// Dereferences null: the sandbox must end it as a failure, without waiting on a crash dialog.
#include <cstdio>

int wmain() {
    std::puts("crashing on purpose");
    std::fflush(stdout);
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
    return 0;
}

// Makes the mistake the sanitizers are there for, then tells whether it went on: in a sanitizer
// build the first report must end the program, or a report inside a test would leave it passing.
#include <climits>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "address") == 0) {
        // Freed memory read again: what only AddressSanitizer sees.
        int* volatile cells = new int[4]();
        delete[] cells;
        std::printf("%d\n", cells[1]);
    } else {
        volatile int largest = INT_MAX;
        std::printf("%d\n", largest + 1);
    }
    std::puts("went on after the report");
    return 0;
}

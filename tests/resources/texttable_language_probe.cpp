// Prints the numeric language id the text table starts with in this process.
#include "TextTable.h"

#include <cstdio>

int main()
{
    std::printf("%d\n", static_cast<int>(TextTable::language()));
    return 0;
}

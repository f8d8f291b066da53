/* Compiled as C: proves the library header is plain C and both entries are callable. */
#include <stddef.h>

#include "archiver/Unlha32.h"

int CallBothEntriesFromC(const char* command, char* output, unsigned long outputSize,
                         int* runningBefore) {
    UnlhaGetRunningFunction running = UnlhaGetRunning;
    UnlhaFunction unlha = Unlha;
    *runningBefore = running();
    return unlha(NULL, command, output, outputSize);
}

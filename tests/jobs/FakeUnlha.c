/* A stand-in archiver library for the loader's tests: it remembers the last command and
   answers as the test sets it through the environment. */
#include <stdlib.h>
#include <string.h>

static char lastCommand[1024];

__attribute__((visibility("default"))) int UnlhaGetRunning(void) {
    const char* busy = getenv("FAKE_UNLHA_BUSY");
    return busy != NULL && busy[0] == '1';
}

#ifndef FAKE_WITHOUT_UNLHA
__attribute__((visibility("default"))) int Unlha(void* owner, const char* command, char* output,
                                                 unsigned long size) {
    const char* result = getenv("FAKE_UNLHA_RESULT");
    const char* reportLength = getenv("FAKE_UNLHA_REPORT_LENGTH");
    (void)owner;
    strncpy(lastCommand, command, sizeof lastCommand - 1);
    if (output != NULL && size > 0) {
        /* A report of the asked length, cut to the buffer as the real library does. */
        unsigned long length = reportLength != NULL ? strtoul(reportLength, NULL, 10) : 0;
        if (length > size - 1) {
            length = size - 1;
        }
        memset(output, 'r', length);
        output[length] = '\0';
    }
    return result != NULL ? atoi(result) : 0;
}
#endif

__attribute__((visibility("default"))) const char* FakeLastCommand(void) {
    return lastCommand;
}

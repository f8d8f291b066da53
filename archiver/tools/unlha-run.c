/* Runs one archiver command from the command line through the library's C entry, for
 * benchmarks and trying things by hand: unlha-run 'a -a1 "x.lzh" "*.*"' */
#include <stdio.h>

#include "archiver/Unlha32.h"

int main(int argc, char** argv) {
    static char report[65536];
    int result;
    if (argc != 2) {
        fprintf(stderr, "usage: unlha-run COMMAND\n");
        return 2;
    }
    result = Unlha(NULL, argv[1], report, sizeof report);
    fprintf(result == 0 ? stdout : stderr, "%s\n", report);
    return result == 0 ? 0 : 1;
}

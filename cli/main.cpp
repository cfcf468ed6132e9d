// quillbey-cli: the whole job of the tool without a window.
#include "CQuillbeyCli.h"

#include <cstdio>

int main(int argc, char** argv) {
    // Output is written in large blocks; a bigger buffer saves system calls.
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    CQuillbeyCli cli;
    const int exitCode = cli.Run(argc, argv);
    std::fflush(stdout);
    return exitCode;
}

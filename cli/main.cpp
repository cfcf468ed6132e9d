// quillbey-cli: the whole job of the tool without a window.
#include "CQuillbeyCli.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // Output is written in large blocks; a bigger buffer saves system calls.
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    CQuillbeyCli cli;
    const int exitCode = cli.Run(argc, argv);
    // Output that could not be written (a full disk) must not read as success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "quillbey-cli: cannot write the output: %s\n", std::strerror(errno));
        return CQuillbeyCli::kExitError;
    }
    return exitCode;
}

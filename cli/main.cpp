// quillbey-cli: the whole job of the tool without a window.
#include "CConsole.h"
#include "CQuillbeyCli.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    CConsole::Prepare();
    // Output is written in large blocks; a bigger buffer saves system calls.
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    std::vector<std::string> arguments = CConsole::Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    CQuillbeyCli cli;
    const int exitCode = cli.Run(static_cast<int>(arguments.size()), pointers.data());
    // Output that could not be written (a full disk) must not read as success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        CConsole::Write(stderr, std::string("quillbey-cli: cannot write the output: ") +
                                    std::strerror(errno) + "\n");
        return CQuillbeyCli::kExitError;
    }
    return exitCode;
}

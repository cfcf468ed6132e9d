// CreateProcessW with standard output and error redirected to files, so that
// neither can fill up and block the child while the test waits for it.
#include "tests/cli/CProcessRunner.h"

#include "tests/support/TempDir.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <windows.h>

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

std::string ReadFile(const std::string& path) {
    std::ifstream in(testing_support::NativePath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A handle the child inherits as one of its standard streams.
Handle Inherited(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE handle =
        CreateFileW(testing_support::NativePath(path).c_str(), access,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot open " + path + " for the child");
    }
    return Handle(handle);
}

// One argument as the child's runtime splits its command line again.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L'"';
}

std::wstring Wide(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring();
}

} // namespace

CProcessRunner::CProcessRunner(std::string program, std::string scratchDir)
    : m_strProgram(std::move(program)), m_strScratchDir(std::move(scratchDir)) {
    // A relative program lies beside the test program.
    if (std::filesystem::path(m_strProgram).is_relative()) {
        std::wstring self(32768, L'\0');
        self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
        const std::u8string beside =
            (std::filesystem::path(self).parent_path() / Wide(m_strProgram)).u8string();
        m_strProgram.assign(beside.begin(), beside.end());
    }
}

CProcessRunner::Result CProcessRunner::Run(const std::vector<std::string>& args,
                                           const std::string& stdoutTarget,
                                           std::chrono::seconds hangGuard) const {
    const std::string outPath = stdoutTarget.empty() ? m_strScratchDir + "\\stdout" : stdoutTarget;
    const std::string errPath = m_strScratchDir + "\\stderr";
    Handle in = Inherited("NUL", GENERIC_READ, OPEN_EXISTING);
    Handle out =
        Inherited(outPath, GENERIC_WRITE, stdoutTarget.empty() ? CREATE_ALWAYS : OPEN_EXISTING);
    Handle err = Inherited(errPath, GENERIC_WRITE, CREATE_ALWAYS);

    std::wstring commandLine = Quoted(Wide(m_strProgram));
    for (const std::string& arg : args) {
        commandLine += L' ' + Quoted(Wide(arg));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    PROCESS_INFORMATION process{};
    // Detached: a console of its own would outlive it and hold its output files.
    if (!CreateProcessW(Wide(m_strProgram).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        DETACHED_PROCESS, nullptr,
                        m_strWorkingDir.empty() ? nullptr : Wide(m_strWorkingDir).c_str(), &startup,
                        &process)) {
        throw std::runtime_error("cannot start " + m_strProgram);
    }
    const Handle child(process.hProcess);
    CloseHandle(process.hThread);
    in.reset(); // the child has its own
    out.reset();
    err.reset();

    Result result;
    const auto guard = static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(hangGuard).count());
    if (WaitForSingleObject(child.get(), guard) != WAIT_OBJECT_0) {
        TerminateProcess(child.get(), 1);
        WaitForSingleObject(child.get(), INFINITE);
        result.timedOut = true;
    } else {
        DWORD exitCode = 0;
        GetExitCodeProcess(child.get(), &exitCode);
        result.exitCode = static_cast<int>(exitCode); // peakRssKiB stays 0: Wine keeps none
    }
    if (stdoutTarget.empty()) {
        result.out = ReadFile(outPath);
    }
    result.err = ReadFile(errPath);
    return result;
}

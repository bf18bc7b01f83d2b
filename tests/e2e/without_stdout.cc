// Starts a Windows program with no standard output at all, as a program
// started from a desktop link or a service may be, and ends with its exit
// status: without_stdout PROGRAM [ARGUMENT...].
#include <windows.h>

#include <string>

// cppcheck-suppress constParameter ; main's own signature
int main(int argc, char *argv[])
{
    if (argc < 2)
        return 127;
    std::string command;
    for (int i = 1; i < argc; i++)
        command += std::string(i > 1 ? " \"" : "\"") + argv[i] + "\"";
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = nullptr;
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process))
        return 127;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 127;
    GetExitCodeProcess(process.hProcess, &status);
    return static_cast<int>(status);
}

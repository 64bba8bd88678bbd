// zwreport: the batch mono-compatibility report, a console program.

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "report/ReportRun.h"

#ifdef _WIN32
#include <windows.h>

#include <io.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

int main(int argc, char** argv)
{
    std::vector<std::string> args;
#ifdef _WIN32
    // The wide command line, as UTF-8: names outside the code page survive.
    (void)argc;
    (void)argv;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i)
    {
        const int bytes =
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(bytes > 0 ? bytes - 1 : 0, '\0');
        if (bytes > 1)
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &arg[0], bytes, nullptr, nullptr);
        args.push_back(arg);
    }
    LocalFree(wide);
    const bool terminal = _isatty(_fileno(stderr)) != 0;
#else
    args.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
    const bool terminal = isatty(fileno(stderr)) != 0;
#endif
    return runReport(args, std::cout, std::cerr, terminal);
}

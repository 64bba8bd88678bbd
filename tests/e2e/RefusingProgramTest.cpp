// A build of the program whose plug-in refuses to bind ends with exit code
// 4711 (read from Windows, all 32 bits) and never shows a window.

#include "tests/e2e/ProgramRunner.h"

#include <gtest/gtest.h>

TEST(RefusingProgram, ExitsWith4711WithoutShowingAWindow)
{
    CProgramRunner program("ZanderwickRefusing.exe", executableFolder() + "e2e-refusing");
    ASSERT_TRUE(program.start());
    DWORD code = 0;
    bool ended = false;
    std::vector<std::string> seen;
    for (int i = 0; i < 200 && !ended; ++i)
    {
        for (const std::string& cls : program.visibleWindowClasses())
            seen.push_back(cls);
        ended = program.waitForExit(50, &code);
    }
    ASSERT_TRUE(ended) << "the program did not end";
    EXPECT_EQ(4711u, code);
    EXPECT_TRUE(seen.empty()) << "a window was shown: " << seen.front();
}

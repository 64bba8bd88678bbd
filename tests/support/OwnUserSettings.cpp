// Linked into a test executable, keeps its user settings to each of its
// processes: HKEY_CURRENT_USER is mapped, for the process alone, to an empty
// volatile key made for it. The tests of one bitness share a Wine prefix
// that lives on between runs, and run side by side; so none sees a setting
// another left there or sets beside it, and none leaves one behind: the key
// is deleted when the tests end, and if the process dies first the
// wineserver forgets it when it stops, at the end of the run.

#include "editor/ZoomSetting.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
class COwnUserSettings : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        // A key of this name was left by a process with the same id.
        RegDeleteTreeA(HKEY_CURRENT_USER, name.c_str());
        HKEY own = create(HKEY_CURRENT_USER, name.c_str());
        // Only volatile keys may be made below a volatile one, and the
        // plug-in makes its settings' key as a lasting one: it is made here.
        HKEY settings = own ? create(own, CZoomSetting::kKeyPath) : nullptr;
        const LONG mapped = settings ? RegOverridePredefKey(HKEY_CURRENT_USER, own) : -1;
        if (settings)
            RegCloseKey(settings);
        if (own)
            RegCloseKey(own);
        ASSERT_EQ(ERROR_SUCCESS, mapped) << "no user settings of this test's own";
    }
    void TearDown() override
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegDeleteTreeA(HKEY_CURRENT_USER, name.c_str());
    }

  private:
    static HKEY create(HKEY parent, const char* path)
    {
        HKEY key = nullptr;
        return RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                               nullptr, &key, nullptr) == ERROR_SUCCESS
                   ? key
                   : nullptr;
    }

    const std::string name = "Zanderwick test settings " + std::to_string(GetCurrentProcessId());
};
const auto* const gOwnUserSettings = ::testing::AddGlobalTestEnvironment(new COwnUserSettings);
} // namespace

#include "lv2/ScopeSettings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "render/PanelGeometry.h"

namespace
{
const char kZoomKey[] = "Zoom=";
const char kBandsKey[] = "Bands=";

// Makes the folder and those above it that are missing.
bool makeFolders(const std::string& folder)
{
    for (size_t at = 1; at <= folder.size(); ++at)
        if (at == folder.size() || folder[at] == '/')
            if (mkdir(folder.substr(0, at).c_str(), 0755) != 0 && errno != EEXIST)
                return false;
    return true;
}

// The value of the file's last line for the key ("Key="), whole, or -1.
long storedNumber(const std::string& key)
{
    std::ifstream in(CScopeSettings::path());
    std::string line;
    long found = -1;
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0)
        {
            // Anything but a whole number is as if nothing were stored.
            const std::string value = line.substr(key.size());
            char* end = nullptr;
            errno = 0;
            const long number = std::strtol(value.c_str(), &end, 10);
            const bool whole = !value.empty() && !errno && (*end == '\0' || *end == '\r');
            found = whole && number >= 0 ? number : -1;
        }
    return found;
}

// Puts the line "Key=value" in place of the key's lines, keeping the others.
bool storeNumber(const std::string& key, long number)
{
    const std::string file = CScopeSettings::path();
    if (file.empty() || !makeFolders(file.substr(0, file.rfind('/'))))
        return false;
    std::vector<std::string> lines;
    {
        std::ifstream in(file);
        std::string line;
        while (std::getline(in, line))
            if (line.compare(0, key.size(), key) != 0)
                lines.push_back(line);
    }
    lines.push_back(key + std::to_string(number));
    // Written beside it and renamed over it, so that another instance
    // reading meanwhile finds the old file or the new one, never a part.
    const std::string written = file + ".new" + std::to_string(getpid());
    {
        std::ofstream out(written, std::ios::trunc);
        for (const std::string& line : lines)
            out << line << '\n';
        out.close();
        if (out.fail())
        {
            std::remove(written.c_str());
            return false;
        }
    }
    if (std::rename(written.c_str(), file.c_str()) != 0)
    {
        std::remove(written.c_str());
        return false;
    }
    return true;
}
} // namespace

std::string CScopeSettings::path()
{
    // A relative XDG_CONFIG_HOME counts as unset, as XDG's rules say.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return std::string(config) + "/zanderwick/scope.conf";
    const char* home = std::getenv("HOME");
    if (home && home[0])
        return std::string(home) + "/.config/zanderwick/scope.conf";
    return "";
}

int32_t CScopeSettings::rememberedZoom()
{
    const long number = storedNumber(kZoomKey);
    return number > 0 && number <= 1000 && isPanelSize(static_cast<int32_t>(number))
               ? static_cast<int32_t>(number)
               : 0;
}

bool CScopeSettings::rememberZoom(int32_t percent)
{
    return isPanelSize(percent) && storeNumber(kZoomKey, percent);
}

bool CScopeSettings::rememberedBands()
{
    return storedNumber(kBandsKey) == 1;
}

bool CScopeSettings::rememberBands(bool shown)
{
    return storeNumber(kBandsKey, shown ? 1 : 0);
}

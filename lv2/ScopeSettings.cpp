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

// Makes the folder and those above it that are missing.
bool makeFolders(const std::string& folder)
{
    for (size_t at = 1; at <= folder.size(); ++at)
        if (at == folder.size() || folder[at] == '/')
            if (mkdir(folder.substr(0, at).c_str(), 0755) != 0 && errno != EEXIST)
                return false;
    return true;
}
} // namespace

std::string CScopeSettings::path()
{
    // The base directory specification ignores relative paths.
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
    std::ifstream in(path());
    std::string line;
    int32_t zoom = 0;
    while (std::getline(in, line))
        if (line.compare(0, sizeof kZoomKey - 1, kZoomKey) == 0)
        {
            // Anything but one of the sizes, whole, is as if nothing were stored.
            const std::string value = line.substr(sizeof kZoomKey - 1);
            char* end = nullptr;
            const long number = std::strtol(value.c_str(), &end, 10);
            const bool whole = !value.empty() && (*end == '\0' || *end == '\r');
            zoom =
                whole && number > 0 && number <= 1000 && isPanelSize(static_cast<int32_t>(number))
                    ? static_cast<int32_t>(number)
                    : 0;
        }
    return zoom;
}

bool CScopeSettings::rememberZoom(int32_t percent)
{
    const std::string file = path();
    if (!isPanelSize(percent) || file.empty() || !makeFolders(file.substr(0, file.rfind('/'))))
        return false;
    std::vector<std::string> lines;
    {
        std::ifstream in(file);
        std::string line;
        while (std::getline(in, line))
            if (line.compare(0, sizeof kZoomKey - 1, kZoomKey) != 0)
                lines.push_back(line);
    }
    lines.push_back(kZoomKey + std::to_string(percent));
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

#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "report/AudioSource.h"

// Opens report.path through libsndfile and fills in format, channels,
// sampleRate and frames; nullptr with libsndfile's reason where it cannot.
std::unique_ptr<CAudioSource> openSndfile(FileReport& report, int32_t chunkFrames,
                                          std::string& reason);

#pragma once
// Where the scope editor's parts sit on its panel, in the pixels of the
// panel at 100 %: left, top, right, bottom, right and bottom exclusive. At
// the larger sizes every rectangle is this one scaled (CZoomSetting::scaled).
// The artwork is drawn around the same places: resources/generate_artwork.py
// and check_artwork.py read the constexpr lines of this file, so keep each
// on one line.

#include "gui/PortTypes.h"

constexpr PortRect kPanelArea = {0, 0, 220, 270};
constexpr PortRect kScopeArea = {46, 56, 177, 185};
constexpr PortRect kRangeArea = {25, 206, 197, 209};
constexpr PortRect kPointerArea = {22, 212, 199, 220};
// The MONO switch shows one of its picture's two states at a time.
constexpr PortRect kMonoButtonArea = {88, 231, 134, 250};
// Over the logo: a click here shows the credits.
constexpr PortRect kCreditsClickArea = {145, 231, 205, 255};
// The credits' three caption lines; the third is the version line, and the
// second reaches past the panel's right edge.
constexpr PortRect kFirstCaptionArea = {9, 249, 159, 261};
constexpr PortRect kSecondCaptionArea = {112, 249, 262, 261};
constexpr PortRect kVersionLineArea = {52, 42, 202, 54};
// "Bands and history": a strip below the panel, as wide as it, with the
// three band meters (low, mid and high, top to bottom) and the correlation
// history, newest at the right.
constexpr PortRect kBandsPanelArea = {0, 270, 220, 318};
constexpr PortRect kLowBandArea = {40, 278, 98, 284};
constexpr PortRect kMidBandArea = {40, 290, 98, 296};
constexpr PortRect kHighBandArea = {40, 302, 98, 308};
constexpr PortRect kHistoryArea = {106, 276, 208, 308};

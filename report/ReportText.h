#pragma once
// How the report writes its figures, the same in the pages, the CSV files
// and the pictures.

#include <string>

#include "report/FileReport.h"

const char* verdictName(Verdict verdict);
// m:ss, or m:ss.d with decimals 1; minutes go on past 59.
std::string formatClock(double seconds, int decimals = 0);
// A magnitude as dBFS with one decimal; silence is "-inf".
std::string formatDecibels(float magnitude);
// hh:mm:ss.mmm, rounded to the millisecond.
std::string formatTimestamp(double seconds);
// The fault's name in report.json and summary.csv: "silent_channel".
const char* channelFaultName(ChannelFault fault);
// The fault in words for people, with what to do about it.
std::string channelFaultText(const FileReport& report, ChannelFault fault);
// A float written as the shortest text that reads back as the same float.
std::string formatExact(float value);
// A band's name in report.json and summary.csv ("low", "mid", "high"), or
// "broadband" for kBroadband.
const char* bandName(int32_t band);
// A band for people: "low band (below 250 Hz)".
std::string bandText(int32_t band);

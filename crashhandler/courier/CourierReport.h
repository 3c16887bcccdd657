#pragma once
// What the reporter does with a finished dump, and its log.
//
// This reporter uploads nothing: it keeps the dump and writes beside it
// <id>.txt with the dump's details, one "Name=value" line each (UTF-8).
// Its log is the file "FaultCourier.log" in the runtime folder: one line per
// event ("start <command line>", "dump <file>", "report <file>", "error <what>").
#include <string>
#include <utility>
#include <vector>

using CourierPairs = std::vector<std::pair<std::wstring, std::wstring>>;

void CourierLog(const std::string& line);
std::string CourierLogPath();
// Writes the details file of `dumpFile` (which ends in ".dmp") and logs the report.
bool ReportDump(const std::string& dumpFile, const CourierPairs& details);

// The two renderings of what d88info finds: text for people, JSON for
// scripts. Both say the same facts; neither prints anything itself.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "DiskText.h"
#include "ImageFacts.h"

struct ReportOptions {
    // One line per sector instead of one per run of alike tracks.
    bool listSectors = false;
    // How text from the disk is shown in the text report.
    TextForm textForm = TextForm::Utf8;
};

void WriteTextReport(std::ostream& out, const std::string& fileName, const FileFacts& facts,
                     const ReportOptions& options);

nlohmann::json JsonReport(const std::string& fileName, const FileFacts& facts,
                          const ReportOptions& options);
// The entry of a file that could not be opened, and why.
nlohmann::json JsonUnopenedReport(const std::string& fileName, const std::string& reason);

// "1,281,968".
std::string Grouped(std::uint64_t value);

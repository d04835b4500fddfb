// The sample values the user keeps in samples.txt of the configuration folder, shared by the
// windows and the command line.
#pragma once

#include <string>

#include "form_request.h"

namespace verrimo {

// $XDG_CONFIG_HOME/verrimo/samples.txt, else ~/.config/verrimo/samples.txt; empty when neither
// variable is set.
std::string userSamplesPath();

// The file's values, or the defaults for what it lacks or when there is none.
SampleValues userSampleValues();

// The file's text for the values: one "keyword=value" line each.
std::string sampleValuesText(const SampleValues& samples);

// Writes the file, making its folder when missing; false when it cannot be written.
bool writeUserSampleValues(const SampleValues& samples);

}  // namespace verrimo

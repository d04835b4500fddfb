// The command lines of the commands: options, some with a value, and at most one operand.
#pragma once

#include <chrono>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"

namespace verrimo::cli {

struct ValueOption {
    std::string_view name;  // "--url": written "--url VALUE" or "--url=VALUE"
    std::string_view what;  // for the message when the value is missing
};

struct Arguments {
    bool help = false;
    std::map<std::string, std::string, std::less<>> values;
    std::set<std::string, std::less<>> flags;
    std::optional<std::string> operand;  // the first
    std::vector<std::string> operands;
};

// "--" ends the options; anything else beginning with "-" that is not an option of the command,
// and a second operand unless manyOperands, throw UsageError.
Arguments parseArguments(const Args& args, std::string_view command,
                         std::initializer_list<ValueOption> valueOptions,
                         std::initializer_list<std::string_view> flagOptions,
                         std::string_view operandName, bool manyOperands = false);

// The value of --timeout: a number of seconds above 0.
std::chrono::milliseconds stallTimeOut(const std::string& seconds);

// How long each request may take in all, redirects included: --timeout, else 30 seconds, so that
// an answer that trickles in cannot hold the command.
std::chrono::milliseconds wholeTimeOut(const Arguments& parsed);

}  // namespace verrimo::cli

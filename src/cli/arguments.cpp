#include "arguments.h"

#include <charconv>
#include <cmath>

namespace verrimo::cli {

namespace {

// Takes a as one of the options, with its value from the next argument where it needs one.
bool takeOption(const Args& args, std::size_t& i, std::initializer_list<ValueOption> valueOptions,
                std::initializer_list<std::string_view> flagOptions, Arguments& parsed) {
    const std::string& a = args[i];
    for (const ValueOption& option : valueOptions) {
        const std::string name(option.name);
        if (a == name) {
            if (++i == args.size()) throw UsageError(name + " needs " + std::string(option.what));
            parsed.values[name] = args[i];
            return true;
        }
        if (a.starts_with(name + "=")) {
            parsed.values[name] = a.substr(name.size() + 1);
            return true;
        }
    }
    for (const std::string_view flag : flagOptions) {
        if (a == flag) {
            parsed.flags.insert(a);
            return true;
        }
    }
    return false;
}

}  // namespace

Arguments parseArguments(const Args& args, std::string_view command,
                         std::initializer_list<ValueOption> valueOptions,
                         std::initializer_list<std::string_view> flagOptions,
                         std::string_view operandName, bool manyOperands) {
    Arguments parsed;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options) {
            if (a == "--help") {
                parsed.help = true;
                return parsed;
            }
            if (a == "--") {
                options = false;
                continue;
            }
            if (takeOption(args, i, valueOptions, flagOptions, parsed)) continue;
            if (a.size() > 1 && a[0] == '-')
                throw UsageError("unknown option for " + std::string(command) + ": " + a);
        }
        if (parsed.operand && !manyOperands)
            throw UsageError(std::string(command) + " takes one " + std::string(operandName) +
                             ", got another: " + a);
        if (!parsed.operand) parsed.operand = a;
        parsed.operands.push_back(a);
    }
    return parsed;
}

std::chrono::milliseconds stallTimeOut(const std::string& seconds) {
    double value = 0;
    const char* end = seconds.data() + seconds.size();
    const auto [at, error] = std::from_chars(seconds.data(), end, value);
    if (error != std::errc() || at != end || !(value > 0) || value > 1e6)
        throw UsageError("--timeout needs a number of seconds above 0, got " + seconds);
    return std::chrono::milliseconds(std::llround(value * 1000));
}

std::chrono::milliseconds wholeTimeOut(const Arguments& parsed) {
    const auto timeout = parsed.values.find("--timeout");
    return timeout == parsed.values.end() ? std::chrono::seconds(30)
                                          : stallTimeOut(timeout->second);
}

}  // namespace verrimo::cli

// verrimo-cli: the extraction steps of Verrimo for scripts and for pages saved to disk.
#include <unistd.h>

#include <csignal>
#include <iostream>

#include "codepage.h"
#include "commands.h"

namespace verrimo::cli {

std::string usage(std::string_view command) {
    std::string text =
        "usage: verrimo-cli [--codepage NAME] COMMAND [ARGS]\n       verrimo-cli --help\n\n";
    for (const auto& c : kCommands) {
        if (!command.empty() && c.name != command) continue;
        text += "  verrimo-cli " + std::string(c.name) + " " + std::string(c.synopsis) +
                "\n      " + std::string(c.summary) + "\n";
    }
    return text;
}

namespace {

bool readInPageCodePage = false;

void setCodePage(const std::string& name) {
    readInPageCodePage = name == "auto";
    if (!readInPageCodePage) CodePage::setProgram(name);
}

// Takes --codepage NAME (or --codepage=NAME) out of the arguments, wherever it stands before a
// "--", and makes NAME the program's code page; it overrides VERRIMO_CODEPAGE. "auto" keeps the
// program's code page for what is not read from a page.
Args withCodePageSet(const Args& args) {
    Args rest;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") options = false;
        if (options && arg == "--codepage") {
            if (i + 1 == args.size()) throw UsageError("--codepage needs a code page name");
            setCodePage(args[++i]);
        } else if (options && arg.rfind("--codepage=", 0) == 0) {
            setCodePage(arg.substr(11));
        } else {
            rest.push_back(arg);
        }
    }
    return rest;
}

int dispatch(const Args& given, Output& out) {
    const Args args = withCodePageSet(given);
    if (args.empty()) throw UsageError("no command given; try verrimo-cli --help");
    if (args[0] == "--help" || args[0] == "-h") {
        out.write(usage());
        return 0;
    }
    for (const auto& c : kCommands)
        if (c.name == args[0]) return c.run(Args(args.begin() + 1, args.end()), out);
    throw UsageError("unknown command: " + args[0]);
}

}  // namespace

bool pageCodePage() {
    return readInPageCodePage;
}

}  // namespace verrimo::cli

int main(int argc, char** argv) {
    using namespace verrimo::cli;
    // A closed pipe shows as EPIPE on the write, which ends the run quietly.
    std::signal(SIGPIPE, SIG_IGN);
    Output out(STDOUT_FILENO);
    try {
        const int status = dispatch(Args(argv + 1, argv + argc), out);
        out.flush();
        return status;
    } catch (const OutputClosed&) {
        return 0;
    } catch (const WriteError& e) {
        std::cerr << "verrimo-cli: " << e.what() << "\n";
        return kWriteFailed;
    } catch (const std::exception& e) {
        std::cerr << "verrimo-cli: " << e.what() << "\n";
        return 2;
    }
}

// The commands of verrimo-cli. Each takes the arguments after its name, writes its result to
// out and returns the exit status; a wrong command line throws UsageError, a failed write
// WriteError (status 1), any other failure another std::exception, which main reports in one
// line with status 2.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "output.h"

namespace verrimo::cli {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using Args = std::vector<std::string>;

struct Command {
    std::string_view name;
    std::string_view synopsis;  // the arguments, for the usage text
    std::string_view summary;
    int (*run)(const Args& args, Output& out);
};

int runExtract(const Args& args, Output& out);
int runWalk(const Args& args, Output& out);
int runEncode(const Args& args, Output& out);
int runFetch(const Args& args, Output& out);
int runCheck(const Args& args, Output& out);
int runCharset(const Args& args, Output& out);
int runRequest(const Args& args, Output& out);
int runHar(const Args& args, Output& out);
int runRepair(const Args& args, Output& out);
int runRun(const Args& args, Output& out);

// Every command, in the order the usage lists them.
inline constexpr Command kCommands[] = {
    {"extract", "[--url URL] [FILE]",
     "extract the tags, form actions and links of a page source (FILE, or standard input) as "
     "JSON",
     runExtract},
    {"walk", "[--auto FILE] [--no-getvalue] [FILE]",
     "walk the required tags of a page source (FILE, or standard input) accepting every "
     "proposal, as JSON lines",
     runWalk},
    {"encode", "TEXT", "URL-encode a field value as the tag walker proposes it", runEncode},
    {"fetch", "URL",
     "download the page at URL (http or https) and print what extract --url URL prints for it",
     runFetch},
    {"check", "[--page FILE] [FILE] | --live [--timeout SECONDS] FILE...",
     "check a definition (FILE, or standard input) and print its warnings as JSON lines, with "
     "--page also where it no longer fits that page; exit status 1 when there are any. With "
     "--live, fetch each definition's referrer page (four at a time, each within --timeout "
     "seconds, 30 by default) and print where each definition no longer fits it",
     runCheck},
    {"request", "[--page FILE] [--url REFERRER] [--curl] [DEFINITION]",
     "print the request each step of a definition makes as a JSON line, filled with sample "
     "values where the host fills in its own, with the findings against the page; --curl "
     "prints curl command lines",
     runRequest},
    {"run",
     "[--until N] [--yes] [--samples FILE] [--password-stdin] [--timeout SECONDS] DEFINITION",
     "run the definition's steps against the site in order, each on the page it was written "
     "for, and print one JSON line per step: the request as sent (the password masked), the "
     "status, the final address, the findings and whether the check string was found. Asks on "
     "the terminal before each step is sent; without a terminal, sends only with --yes. Each "
     "request may take --timeout seconds in all (30 by default)",
     runRun},
    {"charset", "[FILE]",
     "name the charset a page (FILE, or standard input) is written in: Shift_JIS, EUC-JP, UTF-8, "
     "...",
     runCharset},
    {"har", "[--steps 1,3] [--json] FILE.har",
     "read the form submissions of a HAR file that a browser's developer tools saved (- for "
     "standard input) and print them as the steps of a definition; --steps keeps the steps of "
     "those numbers, --json prints one JSON line per step; exit status 1 when the file holds no "
     "form submission",
     runHar},
    {"repair", "--page NEWPAGE [--url URL] [--diff] DEF | --live [--timeout SECONDS] [--diff] DEF",
     "repair a definition against its page as it is now (NEWPAGE, loaded from URL or from the "
     "first referrer; with --live each step's referrer page fetched as check --live fetches it) "
     "and print it in the code page with CR LF, or with --diff a unified diff that patch applies; "
     "one JSON line per change on standard error. Exit status 0 when nothing needed repair, 1 "
     "when it repaired something, 4 when something needs the user (the rest is repaired)",
     runRepair},
};

// Whether --codepage auto was given: each page is read in the code page of its own charset.
bool pageCodePage();

// The usage text for one command or, without a name, for all of them.
std::string usage(std::string_view command = {});

// Exit statuses besides 0 and the 2 of a wrong command line or unreadable input.
inline constexpr int kWriteFailed = 1;
inline constexpr int kNotFetched = 3;
// har: the file holds no form submission.
inline constexpr int kNothingFound = 1;
// repair: something was repaired; something needs the user.
inline constexpr int kRepaired = 1;
inline constexpr int kNeedsUser = 4;

}  // namespace verrimo::cli

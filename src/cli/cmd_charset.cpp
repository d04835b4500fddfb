// verrimo-cli charset [FILE]: the charset a page is written in, by its own bytes and
// declarations; for a page of ASCII alone that declares none, the program's code page, which a
// browser reads it and sends its forms in.
#include "arguments.h"
#include "charset.h"
#include "codepage.h"
#include "commands.h"
#include "input.h"

namespace verrimo::cli {

int runCharset(const Args& args, Output& out) {
    const Arguments parsed = parseArguments(args, "charset", {}, {}, "FILE");
    if (parsed.help) {
        out.write(usage("charset"));
        return 0;
    }
    out.write(detectCharset(readInput(parsed.operand.value_or("")), {},
                            canonicalCharset(CodePage::program().name())));
    out.put('\n');
    return 0;
}

}  // namespace verrimo::cli

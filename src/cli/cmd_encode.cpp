// verrimo-cli encode TEXT: the value encoder on one value.
#include "codepage.h"
#include "commands.h"
#include "encode_value.h"

namespace verrimo::cli {

int runEncode(const Args& args, Output& out) {
    if (args.size() == 1 && args[0] == "--help") {
        out.write(usage("encode"));
        return 0;
    }
    // "--" lets a value begin with "--".
    const bool separated = !args.empty() && args[0] == "--";
    if (args.size() != (separated ? 2u : 1u)) throw UsageError("encode takes one TEXT");
    const CodePage& cp = CodePage::program();
    // The command line is UTF-8; values are code-page text.
    out.write(cp.toUtf8(encodeValue(cp.fromUtf8(args.back()), cp)));
    out.put('\n');
    return 0;
}

}  // namespace verrimo::cli

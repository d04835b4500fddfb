// Reading a page: its charset, the code page it is read in, and the tag extraction as the page
// viewer's extract command runs it (normaliser, scanner and finder). Every load of the windows
// and every command of the command-line tool comes through readPage.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "find_targets.h"
#include "page_forms.h"
#include "scan.h"

namespace verrimo {

// What the page viewer's extract command leaves: the finder's boxes reset as the action entry
// dialog does on showing (target empty, kind "選択"), then the normaliser, the scanner and the
// finder.
struct Extraction {
    ScanResult lists;
    FinderResult targets;
};

struct PageInput {
    std::string bytes;               // given up, so that a big page is held about twice at most
    std::string_view contentType{};  // the HTTP answer's Content-Type, when it was downloaded
    std::string_view urlBox{};       // the finder's referrer, in the code page given
};

struct ReadingOptions {
    // Read the page in the code page of its own charset where it has one, rather than in the
    // code page given.
    bool pageCodePage = false;
    // Called with the code page chosen, before the first piece is cut.
    std::function<void(const CodePage&)> codePageChosen{};
    // Read the forms of the page too, for the requests and findings of a definition.
    bool forms = false;
    // When given, each piece of the page-source list goes here as a view into the normalised
    // text (alive until readPage returns), and lists.source stays empty.
    PieceReader readPiece{};
};

struct ReadingWarning {
    enum class Kind {
        Cut,           // the scanner's cycle limit left the rest of the page out
        OtherCharset,  // the page's bytes are text in charset, not in the code page it was read in
        Unreadable,    // charset is no code page the program can read (UTF-16, UTF-32)
    };
    Kind kind;
    std::string charset;
};

// The code page a text is read in: the one given, or with pageCodePage the one of the text's
// charset; and the warning when that charset is not the code page's.
struct TextCodePage {
    std::shared_ptr<const CodePage> codePage;
    std::optional<ReadingWarning> warning;
};
TextCodePage chooseCodePage(std::string_view text, std::string_view charset,
                            const CodePage& codePage, bool pageCodePage);

struct PageReading {
    std::string charset;                       // canonical name of what the page is written in
    std::shared_ptr<const CodePage> codePage;  // what it was read in
    Extraction extraction;
    // When asked for: the forms as a browser reads them, references decoded into its charset.
    std::shared_ptr<const PageForms> forms;
    std::vector<ReadingWarning> warnings;
    // The normalised text, kept when its pieces were handed out as views.
    std::shared_ptr<const std::string> normalised;
};

PageReading readPage(PageInput page, const CodePage& codePage, const ReadingOptions& options = {});

// The extraction alone, for a page the caller keeps.
Extraction extractPage(std::string_view pageSource, std::string_view urlBox, const CodePage& cp);

}  // namespace verrimo

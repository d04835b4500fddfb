#include "extract_page.h"

#include <future>

#include "charset.h"
#include "definition.h"
#include "form_charset.h"
#include "normalise.h"

namespace verrimo {

namespace {

Extraction withTargets(ScanResult lists, std::string_view urlBox, const CodePage& cp) {
    Extraction result;
    result.lists = std::move(lists);
    result.targets = findTargets(urlBox, result.lists.required, result.lists.links, std::string(),
                                 cp.fromUtf8(definition::kKindChooseUtf8), cp);
    return result;
}

// The forms as a browser builds them from the page: in the charset it reads the page in, whatever
// code page the program reads it in; a character reference becomes bytes of that charset.
std::shared_ptr<const PageForms> browserForms(const PageInput& page, const CodePage& programCp,
                                              const PageReading& reading) {
    const std::string charset =
        browserCharset(page.bytes, page.contentType, canonicalCharset(programCp.name()));
    std::shared_ptr<const CodePage> cp = browserCodePage(charset);
    // The reading's code page may be the caller's, which the forms outlive.
    if (!cp) cp = std::make_shared<const CodePage>(reading.codePage->name());
    auto forms = std::make_shared<PageForms>(readPageForms(page.bytes, *cp));
    forms->charset = charset;
    forms->codePage = std::move(cp);
    if (charset != reading.charset && !fitsCharset(page.bytes, charset))
        forms->bytesCharset = reading.charset;
    return forms;
}

}  // namespace

TextCodePage chooseCodePage(std::string_view text, std::string_view charset,
                            const CodePage& codePage, bool pageCodePage) {
    // The code page given is the caller's, and outlives the choice.
    TextCodePage choice{
        std::shared_ptr<const CodePage>(std::shared_ptr<const CodePage>(), &codePage), {}};
    if (readsAlike(text, charset, codePage.name())) return choice;
    std::shared_ptr<const CodePage> own = browserCodePage(charset);
    using Kind = ReadingWarning::Kind;
    if (!own)
        choice.warning = ReadingWarning{Kind::Unreadable, std::string(charset)};
    else if (!pageCodePage)
        choice.warning = ReadingWarning{Kind::OtherCharset, std::string(charset)};
    else
        choice.codePage = std::move(own);
    return choice;
}

PageReading readPage(PageInput page, const CodePage& codePage, const ReadingOptions& options) {
    PageReading r;
    const auto choose = [&] {
        TextCodePage choice = chooseCodePage(page.bytes, r.charset, codePage, options.pageCodePage);
        r.codePage = std::move(choice.codePage);
        if (choice.warning) r.warnings.push_back(std::move(*choice.warning));
    };
    // A page of ASCII alone that declares nothing is in what a browser reads it in, as its forms
    // are (see browserForms).
    const std::string fallback = canonicalCharset(codePage.name());
    // Read in the code page given, the page's charset is only told, and is found while the page
    // is normalised.
    std::future<std::string> charset;
    if (options.pageCodePage) {
        r.charset = detectCharset(page.bytes, page.contentType, fallback);
        choose();
    } else {
        r.codePage = std::shared_ptr<const CodePage>(std::shared_ptr<const CodePage>(), &codePage);
        charset = std::async(std::launch::async,
                             [&] { return detectCharset(page.bytes, page.contentType, fallback); });
    }
    const std::string urlBox = r.codePage.get() == &codePage
                                   ? std::string(page.urlBox)
                                   : r.codePage->fromUtf8(codePage.toUtf8(page.urlBox));
    const CodePage& cp = *r.codePage;
    if (options.codePageChosen) options.codePageChosen(cp);

    // The page is let go as soon as the normalised text is made. The text is kept with the
    // reading while the pieces handed out are views into it.
    auto joined = std::make_shared<std::string>(normalise(page.bytes, cp, LineEnds::None));
    if (charset.valid()) {
        r.charset = charset.get();
        choose();
    }
    if (options.forms) r.forms = browserForms(page, codePage, r);
    std::string().swap(page.bytes);
    ScanResult lists =
        options.readPiece ? scanJoined(*joined, options.readPiece) : scanJoined(*joined);
    if (lists.cut) r.warnings.push_back({ReadingWarning::Kind::Cut, {}});
    r.extraction = withTargets(std::move(lists), urlBox, cp);
    if (options.readPiece) r.normalised = std::move(joined);
    return r;
}

Extraction extractPage(std::string_view pageSource, std::string_view urlBox, const CodePage& cp) {
    return readPage({std::string(pageSource), {}, urlBox}, cp).extraction;
}

}  // namespace verrimo

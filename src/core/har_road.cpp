#include "har_road.h"

#include <algorithm>
#include <map>

#include "ascii_text.h"
#include "auto_list.h"
#include "charset.h"
#include "check_strings.h"
#include "classify.h"
#include "definition.h"
#include "extract_page.h"
#include "form_body.h"
#include "form_charset.h"
#include "form_recording.h"
#include "memo_text.h"
#include "tag_cuts.h"
#include "url.h"
#include "walk.h"

namespace verrimo {

namespace {

namespace def = definition;

std::string_view withoutFragment(std::string_view url) {
    return url.substr(0, url.find('#'));
}

std::string_view withoutQuery(std::string_view url) {
    url = withoutFragment(url);
    return url.substr(0, url.find('?'));
}

std::string_view queryOf(std::string_view url) {
    url = withoutFragment(url);
    const std::size_t q = url.find('?');
    return q == std::string_view::npos ? std::string_view() : url.substr(q + 1);
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// An address as a URL parser reads it: tabs and line breaks are no part of it, other controls
// are sent escaped. A file may hold them, and a definition line must not.
std::string urlText(std::string_view url) {
    std::string out;
    for (const char c : url) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\t' || c == '\r' || c == '\n') continue;
        if (b < 0x20 || b == 0x7F) {
            out += '%';
            out += "0123456789ABCDEF"[b >> 4];
            out += "0123456789ABCDEF"[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// Whether the address is one the host can send a form to.
bool isWebAddress(std::string_view url) {
    const std::string lower = asciiLowered(url.substr(0, 8));
    return lower.starts_with("http://") || lower.starts_with("https://");
}

// The scheme of an address that is no web one, for a note: "file:", "javascript:".
std::string schemeOf(std::string_view url) {
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 16) return "?";
    for (const char c : url.substr(0, colon))
        if (!isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return "?";
    return asciiLowered(url.substr(0, colon + 1));
}

// A byte no line of a definition may hold as it is.
bool holdsControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

bool isRedirect(const HarEntry& e) {
    return e.status >= 300 && e.status < 400 && !e.redirectUrl.empty();
}

// The Content-Type of the request's body.
const std::string& bodyType(const HarEntry& e) {
    return e.postMimeType.empty() ? e.requestContentType : e.postMimeType;
}

bool isFormType(std::string_view media) {
    return media == "application/x-www-form-urlencoded" || media == "multipart/form-data" ||
           media == "text/plain";
}

// Whether word stands in lower as a word of its own: no ASCII letter just before or after it.
bool holdsWord(std::string_view lower, std::string_view word) {
    for (std::size_t at = lower.find(word); at != std::string_view::npos;
         at = lower.find(word, at + 1))
        if ((at == 0 || !isAsciiLetter(lower[at - 1])) &&
            (at + word.size() == lower.size() || !isAsciiLetter(lower[at + word.size()])))
            return true;
    return false;
}

// A field whose name (UTF-8) says it holds a secret: one of the words for a password in it
// anywhere, or a short one as a word of its own ("pw", "pin", "pwd1", "login_pin").
bool looksLikePassword(std::string_view name) {
    static constexpr std::string_view kAnywhere[] = {
        "pass",  "pwd",   "pswd",     "secret",     "pincode", "kennwort", "contrase",
        "senha", "parol", "mdp",      "losen",      "lösen",   "wachtw",   "salasan",
        "haslo", "hasło", "jelsz",    "パスワード", "ﾊﾟｽﾜｰﾄﾞ", "暗証",     "密码",
        "密碼",  "口令",  "비밀번호", "пароль",
    };
    static constexpr std::string_view kWord[] = {"pw", "psw", "pin", "otp"};
    const std::string lower = asciiLowered(name);
    return std::any_of(std::begin(kAnywhere), std::end(kAnywhere),
                       [&](std::string_view w) { return holds(lower, w); }) ||
           std::any_of(std::begin(kWord), std::end(kWord),
                       [&](std::string_view w) { return holdsWord(lower, w); });
}

// Text that a urlencoded body could hold as it is: what browsers leave unescaped, and escapes.
bool looksUrlEncoded(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || hexDigit(text[i + 1]) < 0 || hexDigit(text[i + 2]) < 0)
                return false;
        } else if (!isAsciiLetter(c) && !(c >= '0' && c <= '9') &&
                   std::string_view("*-._+").find(c) == std::string_view::npos) {
            return false;
        }
    }
    return true;
}

constexpr std::string_view kLostCharacter = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Whether the bytes read as text in cp: no controls, no bytes that are no character of it.
bool isText(std::string_view bytes, const CodePage& cp) {
    for (const char32_t c : cp.decode(bytes))
        if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0xFFFD ||
            (c >= CodePage::kEscapeBase && c < CodePage::kEscapeBase + 0x100))
            return false;
    return true;
}

// A page of the file with what the walker reads of it.
struct FilePage {
    HarPage page;
    std::string source;    // the page-source list: the page a piece a line
    std::string required;  // the required-tag list
    VectorTagLines lines{{}};
};

// The fields as the file gives them. exporterText: the browser wrote the body's bytes down as
// text, which is written again in the charset the form was sent in.
struct Sent {
    std::vector<SentField> fields;
    bool exporterText = false;
};

// A request's body as the file gives it.
struct Body {
    std::string type;                 // its Content-Type
    std::optional<std::string> text;  // as the file writes it, without an upload head
};

// Firefox 45 wrote the upload's own head (Content-Type, Content-Length and a blank line) in front
// of the body; its Content-Type, and where the body begins. No head: none.
std::optional<std::pair<std::string, std::size_t>> uploadHead(std::string_view text) {
    std::string type;
    std::size_t at = 0;
    while (true) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) return std::nullopt;
        std::string_view line = text.substr(at, end - at);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty()) {
            if (at == 0) return std::nullopt;
            return std::pair{type, end + 1};
        }
        const std::string lower = asciiLowered(line);
        if (lower.starts_with("content-type:"))
            type = htmlTrimmed(line.substr(13));
        else if (!lower.starts_with("content-length:"))
            return std::nullopt;
        at = end + 1;
    }
}

Body bodyOf(const HarEntry& e) {
    Body body{bodyType(e), e.postText};
    if (!body.text || e.postBase64) return body;
    if (const auto head = uploadHead(*body.text)) {
        body.text->erase(0, head->second);
        if (body.type.empty()) body.type = head->first;
    }
    return body;
}

// Firefox writes a body holding a file one character per byte: when every character is below
// U+0100 and they are as many as the bytes sent, they are those bytes.
std::optional<std::string> bytePerCharacter(std::string_view utf8, std::int64_t size) {
    if (size < 0 || static_cast<std::uint64_t>(size) > utf8.size()) return std::nullopt;
    const std::u32string characters = CodePage::utf8ToUtf32(utf8);
    if (characters.size() != static_cast<std::uint64_t>(size)) return std::nullopt;
    std::string bytes;
    bytes.reserve(characters.size());
    for (const char32_t c : characters) {
        if (c > 0xFF) return std::nullopt;
        bytes += static_cast<char>(c);
    }
    return bytes;
}

class RoadFinder {
  public:
    RoadFinder(const Har& har, const CodePage& cp) : docs_(har.documents), cp_(cp) {}

    HarRoad find() {
        linkRedirects();
        std::optional<std::size_t> lastPage;  // the last document before that is no redirect
        for (std::size_t i = 0; i < docs_.size(); ++i) {
            if (!reached_[i]) consider(i, lastPage);
            if (!isRedirect(docs_[i]) && docs_[i].load != HarLoad::Frame) lastPage = i;
        }
        for (auto& read : read_) road_.pages.push_back(std::move(read->page));
        return std::move(road_);
    }

  private:
    // Each redirect's next document: the first later one requested from where it points.
    void linkRedirects() {
        reached_.assign(docs_.size(), false);
        next_.assign(docs_.size(), std::nullopt);
        for (std::size_t i = 0; i < docs_.size(); ++i) {
            if (!isRedirect(docs_[i])) continue;
            const std::string to =
                resolveUrl(docs_[i].url, docs_[i].redirectUrl, cp_).value_or(docs_[i].redirectUrl);
            for (std::size_t j = i + 1; j < docs_.size(); ++j) {
                if (reached_[j] || withoutFragment(docs_[j].url) != withoutFragment(to)) continue;
                next_[i] = j;
                reached_[j] = true;
                break;
            }
        }
    }

    std::optional<std::size_t> answerOf(std::size_t doc) const {
        for (std::size_t hops = 0; isRedirect(docs_[doc]); ++hops) {
            if (!next_[doc] || hops == docs_.size()) return std::nullopt;
            doc = *next_[doc];
        }
        return doc;
    }

    // The latest document before `before` loaded from url, that is no redirect.
    std::optional<std::size_t> documentAt(std::string_view url, std::size_t before) const {
        for (std::size_t j = before; j-- > 0;)
            if (!isRedirect(docs_[j]) && withoutFragment(docs_[j].url) == withoutFragment(url))
                return j;
        return std::nullopt;
    }

    std::shared_ptr<const CodePage> codePage(const std::string& charset) {
        auto [at, added] = codePages_.try_emplace(charset);
        if (added) at->second = browserCodePage(charset);
        return at->second;
    }

    // The page a document brought, read once; none when the file lacks its content.
    std::optional<std::size_t> page(std::size_t doc) {
        if (const auto at = pageOf_.find(doc); at != pageOf_.end()) return at->second;
        std::optional<std::size_t>& index = pageOf_[doc];
        const HarEntry& e = docs_[doc];
        if (!e.contentText) return index;
        std::string bytes;
        if (e.contentBase64) {
            auto decoded = base64Decoded(*e.contentText);
            if (!decoded) return index;
            bytes = std::move(*decoded);
        } else {
            // The file holds the text the browser read: written again in the charset declared.
            std::string declared = contentTypeCharset(e.responseContentType);
            if (declared.empty()) declared = metaCharset(*e.contentText);
            const auto own = declared.empty() ? nullptr : codePage(canonicalCharset(declared));
            bytes = own ? own->fromUtf8(*e.contentText) : *e.contentText;
        }
        PageReading reading = readPage({bytes, e.responseContentType, e.url}, cp_, {.forms = true});
        auto read = std::make_unique<FilePage>();
        read->page = {e.url,
                      std::move(bytes),
                      e.responseContentType,
                      reading.forms->charset,
                      reading.forms->forms,
                      reading.forms->baseHref,
                      reading.codePage->name()};
        read->source = std::move(reading.extraction.lists.source);
        read->required = std::move(reading.extraction.lists.required);
        read->lines = VectorTagLines(splitLines(read->required));
        read_.push_back(std::move(read));
        index = read_.size() - 1;
        return index;
    }

    // What the page's texts are in: its charset's code page, else the one it was read in.
    const CodePage& pageText(const HarPage& p) {
        const auto own = codePage(p.charset);
        return own ? *own : cp_;
    }

    // The page's text in the sent charset.
    std::string sentAs(std::string_view bytes, const HarPage& p, const CodePage* formCp) {
        const CodePage& own = pageText(p);
        return formCp && own.name() != formCp->name() ? inFormCharset(bytes, own, *formCp)
                                                      : std::string(bytes);
    }

    // The form of the page that sends to the request's address; of several, the one holding
    // most of the names sent.
    // Where a form of the page with this action sends to.
    std::string actionAddress(const HarPage& p, std::string_view action) {
        const CodePage& own = pageText(p);
        const std::string base = resolveUrl(p.url, p.baseHref, own).value_or(p.url);
        return requestedUrl(
            action.empty() ? p.url : resolveUrl(base, action, own).value_or(std::string(action)),
            &own);
    }

    // The form of the page that sends to the request's address; of several, the one holding
    // most of the names sent.
    const Form* formFor(const HarPage& p, const HarEntry& e, bool get,
                        const std::vector<SentField>& sent) {
        const Form* best = nullptr;
        std::size_t bestCount = 0;
        for (const Form& f : p.forms) {
            if (f.method != (get ? "get" : "post")) continue;
            const std::string action = actionAddress(p, f.action);
            const bool same = get ? withoutQuery(action) == withoutQuery(e.url)
                                  : withoutFragment(action) == withoutFragment(e.url);
            if (!same) continue;
            const std::size_t count = static_cast<std::size_t>(
                std::count_if(sent.begin(), sent.end(), [&](const SentField& s) {
                    return std::any_of(f.controls.begin(), f.controls.end(),
                                       [&](const FormControl& c) { return c.name == s.name; });
                }));
            if (!best || count > bestCount) best = &f, bestCount = count;
        }
        return best;
    }

    // The target line's address: the action of the form's line as the finder reads it, unless
    // the forms model reads the form's action otherwise (the finder knows no single quotes).
    std::string formTarget(const HarPage& p, const Form& form, const std::string& found) {
        if (form.action.empty() || actionAddress(p, found) == actionAddress(p, form.action))
            return found;
        const CodePage& own = pageText(p);
        return own.name() == cp_.name() ? form.action : cp_.fromUtf8(own.toUtf8(form.action));
    }

    Sent sentFields(const HarEntry& e, const Body& body, bool get,
                    std::vector<std::string>& notes) {
        if (get) return {urlEncodedFields(queryOf(e.url)), false};
        const std::string media = mediaType(body.type);
        // Old Edge writes an empty text beside the parameters it did read.
        if (body.text && (!body.text->empty() || e.params.empty())) {
            std::string bytes = *body.text;
            if (e.postBase64) {
                auto decoded = base64Decoded(bytes);
                if (!decoded) {
                    notes.push_back("送信内容の base64 が読めません");
                    return {};
                }
                bytes = std::move(*decoded);
            }
            Sent sent;
            sent.exporterText = !e.postBase64 && media != "application/x-www-form-urlencoded";
            if (sent.exporterText) {
                if (auto raw = bytePerCharacter(bytes, e.bodySize)) {
                    bytes = std::move(*raw);
                    sent.exporterText = false;
                }
            }
            if (media == "multipart/form-data") {
                sent.fields = multipartFields(bytes, multipartBoundary(body.type));
                if (sent.fields.empty() && !bytes.empty())
                    notes.push_back("multipart の本文に区切りが見つからず、項目を読めません");
            } else if (media == "text/plain") {
                sent.fields = plainTextFields(bytes);
            } else {
                sent.fields = urlEncodedFields(bytes);
            }
            if (bytes.empty() && e.bodySize > 0)
                notes.push_back("送信内容がファイルでは空になっています（" +
                                std::to_string(e.bodySize) + " バイト送られています）");
            return sent;
        }
        if (!e.params.empty()) {
            notes.push_back("送信内容の本文がファイルに無いため、params から読みました");
            if (e.paramsCut) notes.push_back("params の一部の値が大きすぎるため読んでいません");
            const bool encoded = std::all_of(e.params.begin(), e.params.end(), [](const auto& p) {
                return looksUrlEncoded(p.name) && looksUrlEncoded(p.value);
            });
            Sent sent{{}, !encoded};
            for (const HarParam& p : e.params)
                sent.fields.push_back(
                    encoded ? SentField{queryDecoded(p.name), queryDecoded(p.value), p.file}
                            : SentField{p.name, p.value, p.file});
            return sent;
        }
        notes.push_back(e.postCut ? "送信内容が大きすぎるため読んでいません"
                                  : "送信内容がファイルにありません（中身を除いて保存されたファイル"
                                    "です）");
        return {};
    }

    // The charset the values went out in: the form's, else the page's, else what the request
    // says, else what the bytes look like.
    std::string charsetOf(const FilePage* from, const Form* form, const Body& body,
                          const Sent& sent, std::vector<std::string>& notes) {
        if (form) return submissionCharset(form->acceptCharset, from->page.charset);
        if (from) return from->page.charset;
        std::string charset = canonicalCharset(contentTypeCharset(body.type));
        if (!charset.empty()) return charset;
        std::string bytes;
        for (const SentField& f : sent.fields) bytes += f.name + f.value;
        if (!sent.exporterText &&
            std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; })) {
            notes.push_back("送信の文字コードは、送った値から推し量りました");
            return detectCharset(bytes);
        }
        return "UTF-8";
    }

    // The identity keyword the walker proposes for the control's tag, if any; formLines: the
    // form's lines of the required-tag list.
    std::optional<std::string> walkerIdentity(const FilePage& from, const Form& form,
                                              const LineRange& formLines,
                                              const FormControl& control) {
        std::size_t nth = 0;  // among the form's controls of its name
        for (const FormControl& c : form.controls) {
            if (&c == &control) break;
            nth += c.name == control.name;
        }
        for (std::size_t i = formLines.begin; i < formLines.end; ++i) {
            const std::string line = from.lines.line(i);
            if (!isFieldTag(line) || !holds(line, "name=") || nameCut(line).field != control.name ||
                nth-- != 0)
                continue;
            const Classification c =
                classifyTag(line, i, from.lines, autoList_, true, initialProposal(), cp_);
            if (c.proposal.row == Row::Identity && def::isIdentityKeyword(c.proposal.identity))
                return c.proposal.identity;
            return std::nullopt;
        }
        return std::nullopt;
    }

    // The field lines. unmatched: how many fields the form has no control for; secrets: the
    // values written as Zem-Pass, as sent.
    std::vector<std::string> fieldLines(const Sent& sent, const FilePage* from, const Form* form,
                                        const std::optional<RecordedForm>& recorded,
                                        const std::string& charset, std::size_t& unmatched,
                                        std::vector<std::string>& secrets,
                                        std::vector<std::string>& notes) {
        const auto formCp = codePage(charset);
        const CodePage& sentCp = formCp ? *formCp : cp_;
        // As a recording writes a typed value: its characters stand where the charset is the
        // program's code page.
        const bool keepNonAscii = codePageFor(charset) == cp_.name();
        std::map<std::string, std::size_t> seen;  // fields sent so far, per name
        std::vector<std::string> lines;
        for (const SentField& f : sent.fields) {
            if (f.file || holdsControl(f.name)) {
                notes.push_back((f.file ? "ファイルの項目 " : "名前に改行や制御文字を含む項目 ") +
                                urlText(sentCp.toUtf8(f.name)) + " は定義に書けないため除きました");
                continue;
            }
            const FormControl* c = nullptr;
            if (form) {
                std::size_t nth = seen[f.name]++;
                for (const FormControl& candidate : form->controls)
                    if (sentAs(candidate.name, from->page, formCp.get()) == f.name && nth-- == 0) {
                        c = &candidate;
                        break;
                    }
            }
            unmatched += !c;
            std::string value;
            if (c) {
                auto identity =
                    recorded ? walkerIdentity(*from, *form, recorded->lines, *c) : std::nullopt;
                if (identity)
                    value = std::move(*identity);
                else if (c->type == "password")
                    value = def::kPass;
                else if (c->type == "hidden" &&
                         // Browsers send a value's line breaks as CR LF.
                         splitLines(sentAs(c->value, from->page, formCp.get())) ==
                             splitLines(f.value))
                    value = def::expression(def::kGetValue, c->name);
            } else if (looksLikePassword(sentCp.toUtf8(f.name))) {
                value = def::kPass;
            }
            if (value == def::kPass && !f.value.empty()) secrets.push_back(f.value);
            if (value.empty()) value = exactQueryText(f.value, keepNonAscii);
            lines.push_back(def::fieldLine(c ? std::string_view(c->name) : f.name, value));
        }
        return lines;
    }

    // The values the browser wrote down as text, in the charset they were sent in.
    void writeAgain(Sent& sent, const std::string& charset, std::vector<std::string>& notes) {
        if (!sent.exporterText) return;
        const auto formCp = codePage(charset);
        bool lost = false;
        for (SentField& f : sent.fields) {
            for (std::string* text : {&f.name, &f.value}) {
                lost = lost || holds(*text, kLostCharacter);
                if (formCp && charset != "UTF-8") *text = formCp->fromUtf8(*text);
            }
        }
        if (lost)
            notes.push_back(
                "送信内容の一部の文字がファイルで失われています（値を確かめてください）");
    }

    // The answer's check strings, but those that hold a secret sent (as it was sent, as the
    // answer's charset writes it, or behind character references) and those that are no text.
    std::vector<std::string> checkStrings(const FilePage& answer, const FilePage* previous,
                                          const std::vector<std::string>& secrets,
                                          const std::string& charset) {
        const CodePage& answerCp = pageText(answer.page);
        std::string before;
        if (previous) {
            const CodePage& previousCp = pageText(previous->page);
            before = previousCp.name() == answerCp.name()
                         ? previous->page.bytes
                         : answerCp.fromUtf8(previousCp.toUtf8(previous->page.bytes));
        }
        const auto sentCp = codePage(charset);
        std::vector<std::string> hidden;
        for (const std::string& secret : secrets) {
            hidden.push_back(secret);
            if (sentCp) hidden.push_back(answerCp.fromUtf8(sentCp->toUtf8(secret)));
        }
        std::vector<std::string> out;
        for (std::string& text : checkStringCandidates(answer.page.bytes, before, answerCp)) {
            const std::string read = decodeReferences(text, answerCp);
            const bool secret = std::any_of(hidden.begin(), hidden.end(), [&](const auto& h) {
                return holds(text, h) || holds(read, h);
            });
            if (!secret && isText(text, answerCp)) out.push_back(std::move(text));
        }
        return out;
    }

    void consider(std::size_t i, std::optional<std::size_t> lastPage) {
        const HarEntry& e = docs_[i];
        const Body body = bodyOf(e);
        const bool get = e.method == "GET" && !queryOf(e.url).empty() && lastPage;
        const bool post = e.method == "POST";
        if (!get && !post) return;
        if (post && !body.type.empty() && !isFormType(mediaType(body.type))) return;
        // A frame's load, or one the file does not say is a page's, is a step only when its page
        // holds the form it sends: scripts and pings load frames and ask for HTML too.
        const bool mustMatch = e.load != HarLoad::Document;
        if (!isWebAddress(e.url)) {
            // The host sends only to the web, and such an address may be a trap.
            road_.notes.push_back("エントリ " + std::to_string(e.index + 1) + " の " +
                                  urlText(e.method.substr(0, 16)) +
                                  " は送信先が http でも https でもない（" + schemeOf(e.url) +
                                  "）ため、手順にしていません");
            return;
        }

        HarStep s;
        s.entry = e.index;
        s.method = e.method;
        s.url = urlText(e.url);
        s.referrer = urlText(!e.referer.empty() ? e.referer : lastPage ? docs_[*lastPage].url : "");
        const auto referrerDoc = documentAt(s.referrer, i);
        if (referrerDoc) s.referrerPage = page(*referrerDoc);
        const FilePage* from = s.referrerPage ? read_[*s.referrerPage].get() : nullptr;
        if (mustMatch && !from) return;
        if (!from)
            s.notes.push_back(referrerDoc ? "送信元のページの中身がファイルにありません"
                                          : "送信元のページがファイルにありません");
        if (s.referrer.empty())
            s.notes.push_back(
                "送信元のアドレスがファイルにありません（Referer も前のページも"
                "ありません）: Zem-Referer の行を書いていません");

        Sent sent = sentFields(e, body, get, s.notes);
        const Form* form = from ? formFor(from->page, e, get, sent.fields) : nullptr;
        // A link with a query is no form's submission.
        if ((get || mustMatch) && from && !form) return;
        if (from && !form) s.notes.push_back("送信元のページに、この送信先のフォームがありません");
        s.charset = charsetOf(from, form, body, sent, s.notes);
        writeAgain(sent, s.charset, s.notes);
        // The form's lines and its target, as a recording of it finds them.
        std::optional<RecordedForm> recorded;
        if (form) {
            auto recording = std::make_shared<FormRecording>();
            recording->formIndex = form->index;
            recording->action = get ? withoutQuery(e.url) : withoutFragment(e.url);
            recorded = findRecordedForm(recording, from->source, from->lines, from->page.forms,
                                        from->page.charset, cp_);
            s.target = urlText(
                formTarget(from->page, *form, recordedTarget(from->lines, recorded, *recording)));
        } else {
            s.target = urlText(get ? withoutQuery(e.url) : withoutFragment(e.url));
        }
        std::size_t unmatched = 0;
        std::vector<std::string> secrets;
        s.fields = fieldLines(sent, from, form, recorded, s.charset, unmatched, secrets, s.notes);
        if (mustMatch && unmatched > 0) return;
        if (s.fields.empty() && s.notes.empty())
            s.notes.push_back("送信した項目が 1 つもありません");

        if (const auto answer = answerOf(i)) {
            s.answerPage = page(*answer);
            if (s.answerPage)
                s.checkStrings = checkStrings(*read_[*s.answerPage], from, secrets, s.charset);
        }
        if (!s.checkStrings.empty()) s.checkString = s.checkStrings.front();
        road_.steps.push_back(std::move(s));
    }

    const std::vector<HarEntry>& docs_;
    const CodePage& cp_;
    const AutoList autoList_;
    std::vector<bool> reached_;  // by a redirect: no step of its own
    std::vector<std::optional<std::size_t>> next_;
    std::map<std::size_t, std::optional<std::size_t>> pageOf_;
    std::vector<std::unique_ptr<FilePage>> read_;  // in the order of road_.pages
    std::map<std::string, std::shared_ptr<const CodePage>> codePages_;
    HarRoad road_;
};

}  // namespace

HarRoad findRoad(const Har& har, const CodePage& cp) {
    return RoadFinder(har, cp).find();
}

std::vector<std::string> stepLines(const HarStep& step) {
    std::vector<std::string> lines;
    // No referrer known: no empty line, which would send an empty Referer (the step says so).
    if (!step.referrer.empty()) lines.push_back(def::referrerLine(step.referrer));
    lines.push_back(def::targetLine(def::kKindAction, step.target));
    lines.insert(lines.end(), step.fields.begin(), step.fields.end());
    lines.emplace_back(def::kDashLine);
    lines.push_back(def::checkStringLine(step.checkString));
    return lines;
}

std::string roadDefinition(const HarRoad& road, const std::vector<std::size_t>& chosen) {
    std::string text;
    for (const std::size_t step : chosen)
        for (const std::string& line : stepLines(road.steps.at(step))) appendLine(text, line);
    return text;
}

}  // namespace verrimo
